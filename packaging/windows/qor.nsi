; The Windows installer: the programs under Program Files, Start-menu
; shortcuts, the .qor association when the decrypt program is built, an entry
; in the list of installed programs and an uninstaller that takes it all away.
; scripts/dist builds it:
;   makensis -DCONFIG=config.nsh -DSTAGE=DIR -DOUTFILE=setup.exe [-DAMD64] qor.nsi
; CONFIG comes from CMake (version and programs of the build), STAGE holds the
; stripped programs as `cmake --install` lays them out. AMD64 makes the 64-bit
; installer that the tests run under Wine; the release is the 32-bit one.

Unicode true
!ifdef AMD64
  Target amd64-unicode
!endif
!include "${CONFIG}"
!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QOR"
!define PROGID "QOR.ArchivoCifrado"
!define UNINSTALLER "Desinstalar.exe"

Name "QOR Peldar ${VERSION}"
BrandingText "QOR Peldar ${VERSION}"
OutFile "${OUTFILE}"
!ifdef AMD64
  InstallDir "$PROGRAMFILES64\QOR"
!else
  InstallDir "$PROGRAMFILES\QOR"
!endif
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

VIProductVersion "${VERSION_4}"
VIAddVersionKey /LANG=${LANG_SPANISH} "ProductName" "QOR Peldar"
VIAddVersionKey /LANG=${LANG_SPANISH} "FileDescription" "Instalador de QOR Peldar"
VIAddVersionKey /LANG=${LANG_SPANISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISH} "LegalCopyright" "(C) 2026 Equipo QOR Peldar"

; Tells Explorer that file associations changed (SHCNE_ASSOCCHANGED).
!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\${MAIN_EXE}"
  File "${STAGE}\${CLI_EXE}"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "$SMPROGRAMS\QOR"
  CreateShortcut "$SMPROGRAMS\QOR\QOR Peldar.lnk" "$INSTDIR\${MAIN_EXE}"
!ifdef DECRYPT_EXE
  File "${STAGE}\${DECRYPT_EXE}"
  CreateShortcut "$SMPROGRAMS\QOR\QOR Descifrar.lnk" "$INSTDIR\${DECRYPT_EXE}"
  WriteRegStr HKLM "Software\Classes\.qor" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Archivo cifrado QOR"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\${DECRYPT_EXE}",0'
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${DECRYPT_EXE}" "%1"'
  !insertmacro AssociationsChanged
!endif

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "QOR Peldar"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Equipo QOR Peldar"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${MAIN_EXE}",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; File by file, not the whole folder: the user may have put files of their
; own in it.
Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\${MAIN_EXE}"
  Delete "$INSTDIR\${CLI_EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "$SMPROGRAMS\QOR\QOR Peldar.lnk"
!ifdef DECRYPT_EXE
  Delete "$INSTDIR\${DECRYPT_EXE}"
  Delete "$SMPROGRAMS\QOR\QOR Descifrar.lnk"
!endif
  RMDir "$INSTDIR"
  RMDir "$SMPROGRAMS\QOR"

  ; The association, if it is still ours.
  ReadRegStr $0 HKLM "Software\Classes\.qor" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.qor"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  !insertmacro AssociationsChanged
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
