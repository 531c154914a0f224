; Pobelo's installer for Windows: per user, without administrator rights.
; makensis -DVERSION=1.0.0 -DSTAGE=<folder with the programs> -DOUT=<setup.exe> pobelo.nsi
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define APP "Pobelo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pobelo"
!define PROGID "Pobelo.QuestionFile"
!define SETPROGID "Pobelo.SheetSet"

Name "${APP} ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\Pobelo"
InstallDirRegKey HKCU "Software\Pobelo" "InstallDir"
BrandingText "${APP} ${VERSION}"

!define MUI_ICON "${STAGE}\pobelo.ico"
!define MUI_UNICON "${STAGE}\pobelo.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\pobelo.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${APP} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Pobelo developers (MIT)"

Section "Pobelo"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Pobelo" "InstallDir" "$INSTDIR"

  CreateShortCut "$SMPROGRAMS\Pobelo 小テスト作成.lnk" "$INSTDIR\pobelo.exe" "" "$INSTDIR\pobelo.exe" 0

  ; Question files (.moj) open in Pobelo, with its icon; 印刷 prints their first sheet.
  WriteRegStr HKCU "Software\Classes\.moj" "" "${PROGID}"
  WriteRegStr HKCU "Software\Classes\.moj\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Orvane 問題ファイル"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\pobelo.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\print" "" "印刷(&P)"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\print\command" "" '"$INSTDIR\pobelo.exe" --print "%1"'
  ; Sheet sets (.pobelo-set) open and print as they were saved.
  WriteRegStr HKCU "Software\Classes\.pobelo-set" "" "${SETPROGID}"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}" "" "Pobelo テストセット"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\DefaultIcon" "" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\shell\open\command" "" '"$INSTDIR\pobelo.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\shell\print" "" "印刷(&P)"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\shell\print\command" "" '"$INSTDIR\pobelo.exe" --print "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP} ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pobelo developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Pobelo 小テスト作成.lnk"
  ; The .moj association goes only where it is still ours.
  ReadRegStr $0 HKCU "Software\Classes\.moj" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegKey HKCU "Software\Classes\.moj"
  DeleteRegValue HKCU "Software\Classes\.moj\OpenWithProgids" "${PROGID}"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  ReadRegStr $0 HKCU "Software\Classes\.pobelo-set" ""
  StrCmp $0 "${SETPROGID}" 0 +2
    DeleteRegKey HKCU "Software\Classes\.pobelo-set"
  DeleteRegKey HKCU "Software\Classes\${SETPROGID}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Pobelo"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  RMDir /r "$INSTDIR"
SectionEnd
