; The Morvatex installer for Windows x86-64 (packaging/windows/package makes it).
; /S installs silently, /D=FOLDER (last on the command line) chooses the folder.
; The installed program keeps its settings and log in %APPDATA%\Morvatex; the
; uninstaller removes the program's files only, never those.
; A 64-bit installer: it runs where the program runs, and needs no 32-bit layer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "x64.nsh"

Name "Morvatex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Morvatex"
InstallDirRegKey HKLM "Software\Morvatex" "InstallDir"
BrandingText "Morvatex ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvatex"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; A file type that opens in Morvatex: extension, type name, description.
!macro FileType EXT TYPE TEXT
  WriteRegStr HKLM "Software\Classes\${EXT}" "" "${TYPE}"
  WriteRegStr HKLM "Software\Classes\${TYPE}" "" "${TEXT}"
  WriteRegStr HKLM "Software\Classes\${TYPE}\DefaultIcon" "" "$INSTDIR\morvatex.exe,0"
  WriteRegStr HKLM "Software\Classes\${TYPE}\shell\open\command" "" '"$INSTDIR\morvatex.exe" "%1"'
!macroend

!macro RemoveFileType EXT TYPE
  ; The extension only if it still names our type: another program may own it now.
  ReadRegStr $0 HKLM "Software\Classes\${EXT}" ""
  StrCmp $0 "${TYPE}" 0 +2
    DeleteRegKey HKLM "Software\Classes\${EXT}"
  DeleteRegKey HKLM "Software\Classes\${TYPE}"
!macroend

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Morvatex"
  SetOutPath "$INSTDIR"
  !include "${PACKAGE}/install-files.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Deinstallieren.exe"

  CreateDirectory "$SMPROGRAMS\Morvatex"
  CreateShortcut "$SMPROGRAMS\Morvatex\Morvatex.lnk" "$INSTDIR\morvatex.exe"
  CreateShortcut "$SMPROGRAMS\Morvatex\Morvatex deinstallieren.lnk" "$INSTDIR\Deinstallieren.exe"

  !insertmacro FileType ".ncp" "Morvatex.IselProgramm" "Isel-NC-Programm"
  !insertmacro FileType ".mvx" "Morvatex.Auftragsliste" "Morvatex-Auftragsliste"
  ; Tells Explorer that file types changed (SHCNE_ASSOCCHANGED).
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKLM "Software\Morvatex" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Morvatex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Morvatex-Team"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvatex.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Deinstallieren.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Deinstallieren.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !include "${PACKAGE}/uninstall-files.nsh"
  Delete "$INSTDIR\Deinstallieren.exe"
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Morvatex\Morvatex.lnk"
  Delete "$SMPROGRAMS\Morvatex\Morvatex deinstallieren.lnk"
  RMDir "$SMPROGRAMS\Morvatex"

  !insertmacro RemoveFileType ".ncp" "Morvatex.IselProgramm"
  !insertmacro RemoveFileType ".mvx" "Morvatex.Auftragsliste"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Morvatex"
SectionEnd
