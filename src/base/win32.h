#pragma once
// Shared helpers of the Windows shell.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string_view>

#include "base/allocator.h"
#include "base/error_code.h"

namespace orva {

// The program's code for a system error number from GetLastError.
ErrorCode errorFromWin32(DWORD error);

// UTF-8 text as a terminated UTF-16 string; InvalidUtf8 or OutOfMemory.
Result<OwnedArray<char16_t>> toWide(Allocator& allocator, std::string_view text);
// A path as toWide gives it, with text that is not UTF-8 reported as
// BadPathName: no file can have such a name.
Result<OwnedArray<char16_t>> toWidePath(Allocator& allocator, std::string_view path);
inline const wchar_t* wideChars(const OwnedArray<char16_t>& text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

// UTF-8 text in the ANSI code page, terminated, for the ...A entry points.
// Characters the code page lacks become its default character.
Result<OwnedArray<char>> toAnsi(Allocator& allocator, std::string_view text);

}  // namespace orva
