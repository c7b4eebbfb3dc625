# cmake -DROOT=<sources> -P check_includes.cmake      every source of the program, tools, tests,
#                                                     benchmarks and fuzz targets
# cmake "-DFILES=a.cpp;b.h" -P check_includes.cmake   just these files
#
# The layers hold because a header is reachable only as "<layer>/..." through
# the include folders a library is given. A path that climbs ("../pdf/x.h",
# "view/../pdf/x.h") or starts at the root gets round that: the compiler
# resolves it from the including file's own folder or through the layer's
# link into src/. So no include may have a ".." segment or be absolute, and
# the build stops on the first run that finds one. With STAMP, the file is
# touched when every include is clean.
set(files ${FILES})
if(ROOT)
  foreach(folder src tests tools bench fuzz)
    file(GLOB_RECURSE found ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.c
         ${ROOT}/${folder}/*.hpp ${ROOT}/${folder}/*.cc ${ROOT}/${folder}/*.in)
    list(APPEND files ${found})
  endforeach()
endif()

set(faults "")
foreach(source ${files})
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">]")
      continue()
    endif()
    set(target "${CMAKE_MATCH_1}")
    string(REPLACE "\\" "/" path "${target}")
    if(path MATCHES "(^|/)\\.\\.(/|$)")
      string(APPEND faults "${source}: #include \"${target}\" climbs with \"..\"; name the header as <layer>/...\n")
    elseif(path MATCHES "^/" OR path MATCHES "^[A-Za-z]:")
      string(APPEND faults "${source}: #include \"${target}\" is an absolute path; name the header as <layer>/...\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "includes that get round the layers:\n${faults}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
