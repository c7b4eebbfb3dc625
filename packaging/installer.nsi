; The Windows installer of OrvaReader, made by scripts/make-installer from
; the files of the release zip, which it unpacks into STAGE. It defines:
;   VERSION   the program's version (from OrvaReader.exe's version information)
;   STAGE     the unpacked release
;   OUTFILE   the installer to write
;   ICON      the program's icon
;   FILES     the lines that install every file of STAGE
;   UNFILES   the lines that delete exactly those files and their folders
;
; Per user by default (no administrator rights): %LOCALAPPDATA%\Programs.
; /ALLUSERS installs into Program Files for every user, asking for elevation
; when needed. /S is silent; /D=FOLDER (last) chooses the folder, which later
; installs remember. What the installer writes, the uninstaller removes, and
; nothing else; an install over an earlier one first runs that one's
; uninstaller, so one version is installed at a time.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define APP "OrvaReader"
!define PUBLISHER "The OrvaReader authors"
!define PROGID "OrvaReader.Document"
!define PDF_PROGID "OrvaReader.PDF"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define VCRT_KEY "SOFTWARE\Microsoft\VisualStudio\14.0\VC\Runtimes\x64"
; The runtime's DLLs that the bundled poppler tools import.
!define VCRT_DLLS "vcruntime140.dll, vcruntime140_1.dll and msvcp140.dll"
!define VCRT_URL "https://aka.ms/vs/17/release/vc_redist.x64.exe"
!define SHCNE_ASSOCCHANGED 0x08000000

Name "${APP}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "MIT licence, ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var AllUsers
Var Runtime
Var Made

; What the install had to create besides its own files and keys, so that
; the uninstaller removes that too and nothing that was there before
; (bits of the value "InstallerMade" of the Apps & features entry).
!define MADE_FOLDER 1        ; the folder that holds the program's folder
!define MADE_APPLICATIONS 2  ; Software\Classes\Applications
!define MADE_UNINSTALL 4     ; ...\CurrentVersion\Uninstall
!define MADE_PDF 8           ; Software\Classes\.pdf
!define MADE_ORVA 16         ; Software\Classes\.orva

; Sets `bit` in $Made when the key `key` does not exist yet.
!macro NoteMadeKey key bit
    ClearErrors
    EnumRegKey $R0 SHCTX "${key}" 0
    ${If} ${Errors}
        IntOp $Made $Made | ${bit}
    ${EndIf}
!macroend

; Deletes `key` when it is empty and the install made it.
!macro un.DeleteMadeKey key bit
    IntOp $R0 $Made & ${bit}
    ${If} $R0 <> 0
        DeleteRegKey /ifempty SHCTX "${key}"
    ${EndIf}
!macroend

; Unless it has administrator rights, runs this program again elevated
; with the arguments `params` and ends; when that was tried already, or is
; refused, says why and ends.
!macro ElevateOrQuit params
    UserInfo::GetAccountType
    Pop $R0
    ${If} $R0 != "Admin"
        ${GetParameters} $R1
        ClearErrors
        ${GetOptions} $R1 "/ELEVATED" $R2
        ${If} ${Errors}
            ClearErrors
            ExecShellWait "runas" "$EXEPATH" '${params}'
            ${IfNot} ${Errors}
                Quit
            ${EndIf}
        ${EndIf}
        MessageBox MB_ICONSTOP "${APP} for all users needs administrator rights." /SD IDOK
        SetErrorLevel 740
        Quit
    ${EndIf}
!macroend

Function .onInit
    SetRegView 64
    StrCpy $AllUsers 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/ALLUSERS" $1
    ${IfNot} ${Errors}
        !insertmacro ElevateOrQuit "/ELEVATED $0"
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}

    ${If} $INSTDIR == ""
        ReadRegStr $INSTDIR SHCTX "${UNINST_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $INSTDIR == ""
        ${If} $AllUsers == 1
            StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
        ${Else}
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
        ${EndIf}
    ${EndIf}

    ; The bundled poppler tools need the Visual C++ runtime. Its setup
    ; records itself under VCRT_KEY, in the 64-bit view or, by some setups,
    ; in the 32-bit one (WOW6432Node); the DLLs may also be there with no
    ; key at all (copied by another program's setup, or a system that
    ; supplies them itself, as Wine does). Any of the three will do.
    ReadRegDWORD $0 HKLM "${VCRT_KEY}" "Installed"
    SetRegView 32
    ReadRegDWORD $1 HKLM "${VCRT_KEY}" "Installed"
    SetRegView 64
    ${If} $0 == 1
        StrCpy $Runtime "found (registry, 64-bit view)"
    ${ElseIf} $1 == 1
        StrCpy $Runtime "found (registry, 32-bit view: WOW6432Node)"
    ${Else}
        ; This installer is a 64-bit program, so $SYSDIR is the 64-bit
        ; System32 itself: no file-system redirection applies to it.
        StrCpy $Runtime "found (${VCRT_DLLS} in $SYSDIR)"
        ${IfNot} ${FileExists} "$SYSDIR\vcruntime140.dll"
        ${OrIfNot} ${FileExists} "$SYSDIR\vcruntime140_1.dll"
        ${OrIfNot} ${FileExists} "$SYSDIR\msvcp140.dll"
            StrCpy $Runtime "not found"
        ${EndIf}
    ${EndIf}
    ${If} $Runtime == "not found"
        MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON1 \
            "The Microsoft Visual C++ 2015-2022 Redistributable (x64) is not installed.$\r$\n$\r$\n\
${APP} opens its own .orva documents without it, but PDF files need it: \
until it is installed, opening a PDF fails (see README.txt).$\r$\n$\r$\n\
Get it from Microsoft: ${VCRT_URL}$\r$\n$\r$\n\
Install ${APP} anyway?" /SD IDYES IDYES install_anyway
        SetErrorLevel 1602
        Quit
        install_anyway:
    ${EndIf}
FunctionEnd

Section "${APP}"
    ; What an earlier install made counts as made by this one.
    ReadRegDWORD $Made SHCTX "${UNINST_KEY}" "InstallerMade"
    IntOp $Made $Made + 0
    ${GetParent} "$INSTDIR" $0
    ${IfNot} ${FileExists} "$0\*.*"
        IntOp $Made $Made | ${MADE_FOLDER}
    ${EndIf}
    !insertmacro NoteMadeKey "Software\Classes\Applications" ${MADE_APPLICATIONS}
    !insertmacro NoteMadeKey "Software\Microsoft\Windows\CurrentVersion\Uninstall" ${MADE_UNINSTALL}
    !insertmacro NoteMadeKey "Software\Classes\.pdf" ${MADE_PDF}
    !insertmacro NoteMadeKey "Software\Classes\.orva" ${MADE_ORVA}

    ; An earlier install of this scope is removed by its own uninstaller,
    ; so no file of an older version stays behind.
    ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\Uninstall.exe"
        DetailPrint "Removing the installed version in $0"
        ExecWait '"$0\Uninstall.exe" /S _?=$0'
        Delete "$0\Uninstall.exe"
        RMDir "$0"
    ${EndIf}

    !include "${FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    FileOpen $1 "$INSTDIR\install.log" w
    ${If} $AllUsers == 1
        FileWrite $1 "${APP} ${VERSION}, installed for all users in $INSTDIR$\r$\n"
    ${Else}
        FileWrite $1 "${APP} ${VERSION}, installed for the current user in $INSTDIR$\r$\n"
    ${EndIf}
    ${If} $Runtime == "not found"
        FileWrite $1 "Visual C++ 2015-2022 runtime (x64): not found; PDF files will not open until it is installed from ${VCRT_URL}$\r$\n"
    ${Else}
        FileWrite $1 "Visual C++ 2015-2022 runtime (x64): $Runtime$\r$\n"
    ${EndIf}
    FileClose $1
    DetailPrint "Visual C++ 2015-2022 runtime (x64): $Runtime"

    CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\OrvaReader.exe" "" "$INSTDIR\OrvaReader.exe" 0

    ; The .orva type, and the viewer among the programs offered for PDF
    ; files (the default PDF program is left as it is).
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Orva document"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\OrvaReader.exe",0'
    WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\OrvaReader.exe" "%1"'
    WriteRegStr SHCTX "Software\Classes\.orva" "" "${PROGID}"
    WriteRegStr SHCTX "Software\Classes\.orva\OpenWithProgids" "${PROGID}" ""
    WriteRegStr SHCTX "Software\Classes\${PDF_PROGID}" "" "PDF document"
    WriteRegStr SHCTX "Software\Classes\${PDF_PROGID}\DefaultIcon" "" '"$INSTDIR\OrvaReader.exe",0'
    WriteRegStr SHCTX "Software\Classes\${PDF_PROGID}\shell\open\command" "" '"$INSTDIR\OrvaReader.exe" "%1"'
    WriteRegStr SHCTX "Software\Classes\.pdf\OpenWithProgids" "${PDF_PROGID}" ""
    WriteRegStr SHCTX "Software\Classes\Applications\OrvaReader.exe" "FriendlyAppName" "${APP}"
    WriteRegStr SHCTX "Software\Classes\Applications\OrvaReader.exe\DefaultIcon" "" '"$INSTDIR\OrvaReader.exe",0'
    WriteRegStr SHCTX "Software\Classes\Applications\OrvaReader.exe\shell\open\command" "" '"$INSTDIR\OrvaReader.exe" "%1"'
    WriteRegStr SHCTX "Software\Classes\Applications\OrvaReader.exe\SupportedTypes" ".orva" ""
    WriteRegStr SHCTX "Software\Classes\Applications\OrvaReader.exe\SupportedTypes" ".pdf" ""

    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP}"
    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" '"$INSTDIR\OrvaReader.exe",0'
    WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
    WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
    WriteRegDWORD SHCTX "${UNINST_KEY}" "InstallerMade" $Made

    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Function un.onInit
    SetRegView 64
    ; The scope is the one whose entry names this folder.
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $1 "/ELEVATED"
        IfSilent 0 +2
        StrCpy $1 "$1 /S"
        !insertmacro ElevateOrQuit "$1 _?=$INSTDIR"
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

; Deletes a value only while it still holds what the installer wrote, then
; the key and its parent when nothing else is left in them.
!macro un.DeleteOwnedDefault key value
    ReadRegStr $0 SHCTX "${key}" ""
    ${If} $0 == "${value}"
        DeleteRegValue SHCTX "${key}" ""
    ${EndIf}
!macroend

Section "Uninstall"
    ReadRegDWORD $Made SHCTX "${UNINST_KEY}" "InstallerMade"
    IntOp $Made $Made + 0

    !include "${UNFILES}"
    Delete "$INSTDIR\install.log"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    IntOp $0 $Made & ${MADE_FOLDER}
    ${If} $0 <> 0
        ${GetParent} "$INSTDIR" $0
        RMDir "$0"
    ${EndIf}

    Delete "$SMPROGRAMS\${APP}.lnk"

    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
    DeleteRegKey SHCTX "Software\Classes\${PDF_PROGID}"
    DeleteRegKey SHCTX "Software\Classes\Applications\OrvaReader.exe"
    !insertmacro un.DeleteOwnedDefault "Software\Classes\.orva" "${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\.orva\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.orva\OpenWithProgids"
    DeleteRegValue SHCTX "Software\Classes\.pdf\OpenWithProgids" "${PDF_PROGID}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.pdf\OpenWithProgids"
    DeleteRegKey SHCTX "${UNINST_KEY}"
    !insertmacro un.DeleteMadeKey "Software\Classes\.orva" ${MADE_ORVA}
    !insertmacro un.DeleteMadeKey "Software\Classes\.pdf" ${MADE_PDF}
    !insertmacro un.DeleteMadeKey "Software\Classes\Applications" ${MADE_APPLICATIONS}
    !insertmacro un.DeleteMadeKey "Software\Microsoft\Windows\CurrentVersion\Uninstall" ${MADE_UNINSTALL}

    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
