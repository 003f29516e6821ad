; The Windows installer of the Lintora configuration library and its tools (scripts/package
; --win32). makensis is given the staged tree and the names from the build:
;   -DSTAGE=<folder of the staged files> -DVERSION=2.0.0.37 -DOUTFILE=<installer .exe>
; A 64-bit installer, since the library and the tools are 64-bit programs: it sees the
; machine's own Program Files and registry, not the 32-bit views.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!ifndef STAGE | VERSION | OUTFILE
  !error "makensis needs -DSTAGE, -DVERSION and -DOUTFILE"
!endif

!define PRODUCT "Lintora"
!define ROOT_KEY "SOFTWARE\Quendal\PrintServer\CurrentVersion"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lintora"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quendal\Lintora"
; An earlier installation's folder is used again, so that an upgrade replaces it in place.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUnInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Quendal"
VIAddVersionKey "FileDescription" "${PRODUCT} configuration library and tools"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Quendal"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Lintora"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  ; The configuration's root key: the library opens it, and only creates what lies below it.
  ; Values already there (an upgrade, or a reinstallation) are kept.
  WriteRegStr HKLM "${ROOT_KEY}" "" ""
  DeleteRegValue HKLM "${ROOT_KEY}" ""
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quendal"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  ; Only what the installer put there: the files of the staged tree (listed at build time),
  ; then the folders it made if they are empty. Files an administrator added stay.
  !include "${STAGE}.uninstall.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The configuration is the administrator's: its keys and values are left, and the keys above
  ; them go only when nothing at all was ever stored under them.
  Push "${ROOT_KEY}"
  Call un.DeleteKeyIfEmpty
  Push "SOFTWARE\Quendal\PrintServer"
  Call un.DeleteKeyIfEmpty
  Push "SOFTWARE\Quendal"
  Call un.DeleteKeyIfEmpty
SectionEnd

; Deletes the HKLM key on the stack when it holds neither a subkey nor a value (DeleteRegKey
; /ifempty would delete a key with values).
Function un.DeleteKeyIfEmpty
  Exch $0
  Push $1
  EnumRegKey $1 HKLM "$0" 0
  StrCmp $1 "" 0 done
  ClearErrors
  EnumRegValue $1 HKLM "$0" 0
  StrCmp $1 "" 0 done
  DeleteRegKey HKLM "$0"
done:
  Pop $1
  Pop $0
FunctionEnd
