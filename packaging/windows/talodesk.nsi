; Talodesk's Windows installer. Made by package.sh, which passes VERSION, STAGE (the
; folder of files to install), UNINSTALL_LIST and OUTFILE.
; A 64-bit installer for a 64-bit program (it also runs where no 32-bit layer is, as
; under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Talodesk"

Name "Talodesk ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Talodesk"
InstallDirRegKey HKLM "Software\Talodesk" "InstallDir"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Talodesk"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Talodesk installer"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Talodesk"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The Start menu entry is for every user, as the program is.
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Talodesk"
  CreateShortcut "$SMPROGRAMS\Talodesk\Talodesk.lnk" "$INSTDIR\talodesk.exe"
  CreateShortcut "$SMPROGRAMS\Talodesk\Uninstall Talodesk.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "Software\Talodesk" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "Software\Talodesk" "Version" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Talodesk"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Talodesk"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\talodesk.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes the program's files only: each user's store and settings under
; %LOCALAPPDATA%\Talodesk stay, as does anything else put in the folder.
Section "Uninstall"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\Talodesk\Talodesk.lnk"
  Delete "$SMPROGRAMS\Talodesk\Uninstall Talodesk.lnk"
  RMDir "$SMPROGRAMS\Talodesk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Talodesk"
SectionEnd
