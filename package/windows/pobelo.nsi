; Pobelo's installer for Windows: per user, without administrator rights.
; makensis -DVERSION=1.0.0 -DSTAGE=<folder with the programs> -DFILES=<files.nsh>
;          -DLICENCE=<licence text> -DOUT=<setup.exe> pobelo.nsi
; FILES (written by scripts/windows/package.sh from STAGE) installs each file of STAGE and names
; it in the list, deletes them, and tells this version's files apart.
;
; What it touches, and what the uninstaller does with it:
; - the install folder: each file it puts there is named in installed-files.txt there (with those
;   an earlier install named); the uninstaller removes those files only, and the folders only
;   when nothing else is left in them.
; - the Start menu's shortcut, and the entry of 設定 > アプリ (HKCU ...\Uninstall\Pobelo): removed.
; - HKCU\Software\Classes: Pobelo's three ProgIDs (removed); for .csv and .tsv Pobelo under the
;   extension's OpenWithProgids only (removed); for .moj and .pobelo-set, Pobelo
;   under the extension's OpenWithProgids (removed), and as the extension's default only when the
;   teacher leaves its box ticked, which it is only where no other program opens those files.
;   What the extension's key held before the first install is kept in HKCU\Software\Pobelo, and
;   put back exactly at uninstall (or when a later install is told not to be the default).
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
!include "TextFunc.nsh"
!include "${FILES}"

${UnStrStr}

!define APP "Pobelo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pobelo"
!define OWN_KEY "Software\Pobelo"
!define PROGID "Pobelo.QuestionFile"
!define SETPROGID "Pobelo.SheetSet"
!define OWNPROGID "Pobelo.OwnQuestions"
!define LIST "installed-files.txt"

Name "${APP} ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\Pobelo"
InstallDirRegKey HKCU "${OWN_KEY}" "InstallDir"
BrandingText "${APP} ${VERSION}"

!define MUI_ICON "${STAGE}\pobelo.ico"
!define MUI_UNICON "${STAGE}\pobelo.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\pobelo.exe"
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_CUSTOMFUNCTION_GUIINIT WidenButton
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.WidenButton
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
; The label beside the folder is narrow: 「アンインストール元:」 is cut short.
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "フォルダー:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${APP} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Pobelo developers (MIT)"

; --- The window ------------------------------------------------------------------------------------

; 「インストール(I)」 and 「アンインストール(U)」 do not fit the button they share with 「次へ(N) >」
; in a Japanese font: it grows to the left by WIDEN dialog units, and 「戻る(B)」 moves with it.
!define WIDEN 26
!macro WidenButton
  System::Call '*(i 0, i 0, i ${WIDEN}, i 0) p .r2'
  System::Call 'user32::MapDialogRect(p $HWNDPARENT, p r2)'
  System::Call '*$2(i, i, i .r7, i)'
  GetDlgItem $0 $HWNDPARENT 1
  System::Call 'user32::GetWindowRect(p r0, p r2)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r2, i 2)'
  System::Call '*$2(i .r3, i .r4, i .r5, i .r6)'
  IntOp $3 $3 - $7
  IntOp $5 $5 - $3
  IntOp $6 $6 - $4
  System::Call 'user32::SetWindowPos(p r0, p 0, i r3, i r4, i r5, i r6, i 0x14)'
  GetDlgItem $0 $HWNDPARENT 3
  System::Call 'user32::GetWindowRect(p r0, p r2)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r2, i 2)'
  System::Call '*$2(i .r3, i .r4, i, i)'
  IntOp $3 $3 - $7
  System::Call 'user32::SetWindowPos(p r0, p 0, i r3, i r4, i 0, i 0, i 0x15)'
  System::Free $2
!macroend
Function WidenButton
  !insertmacro WidenButton
FunctionEnd
Function un.WidenButton
  !insertmacro WidenButton
FunctionEnd

; --- File associations ----------------------------------------------------------------------------

; What HKCU\Software\Classes\EXT held before Pobelo: whether the key and its OpenWithProgids were
; there, and its default (the program that opens the files), kept under OWN_KEY as NAME...; only
; once, so that a reinstall keeps what was there before the first install. A default of Pobelo's
; own (left by a version before these records) counts as none.
!macro RecordAssociation EXT PROGID NAME
  ReadRegDWORD $0 HKCU "${OWN_KEY}" "${NAME}Recorded"
  ${If} $0 != 1
    ClearErrors
    EnumRegKey $1 HKCU "Software\Classes\${EXT}" 0
    ${If} ${Errors}
      WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}KeyExisted" 0
    ${Else}
      WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}KeyExisted" 1
    ${EndIf}
    ClearErrors
    EnumRegKey $1 HKCU "Software\Classes\${EXT}\OpenWithProgids" 0
    ${If} ${Errors}
      WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}ListExisted" 0
    ${Else}
      WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}ListExisted" 1
    ${EndIf}
    ClearErrors
    ReadRegStr $1 HKCU "Software\Classes\${EXT}" ""
    ${If} ${Errors}
    ${OrIf} $1 == "${PROGID}"
      WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}HadDefault" 0
    ${Else}
      WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}HadDefault" 1
      WriteRegStr HKCU "${OWN_KEY}" "${NAME}Default" "$1"
    ${EndIf}
    WriteRegDWORD HKCU "${OWN_KEY}" "${NAME}Recorded" 1
  ${EndIf}
!macroend

; Where the default is still Pobelo's, the one recorded comes back (or none, as before).
!macro PutBackDefault EXT PROGID NAME
  ReadRegStr $1 HKCU "Software\Classes\${EXT}" ""
  ${If} $1 == "${PROGID}"
    ReadRegDWORD $2 HKCU "${OWN_KEY}" "${NAME}HadDefault"
    ${If} $2 == 1
      ReadRegStr $3 HKCU "${OWN_KEY}" "${NAME}Default"
      WriteRegStr HKCU "Software\Classes\${EXT}" "" "$3"
    ${Else}
      DeleteRegValue HKCU "Software\Classes\${EXT}" ""
    ${EndIf}
  ${EndIf}
!macroend

; Pobelo is one of the programs 「プログラムから開く」 offers, and the default when SECTION is
; selected.
!macro RegisterAssociation EXT PROGID NAME SECTION
  !insertmacro RecordAssociation "${EXT}" "${PROGID}" "${NAME}"
  WriteRegStr HKCU "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
  ${If} ${SectionIsSelected} ${SECTION}
    WriteRegStr HKCU "Software\Classes\${EXT}" "" "${PROGID}"
  ${Else}
    !insertmacro PutBackDefault "${EXT}" "${PROGID}" "${NAME}"
  ${EndIf}
!macroend

; Pobelo is one of the programs 「プログラムから開く」 offers, never the default: a teacher's own
; question files (.csv, .tsv) are the spreadsheet's.
!macro RegisterOpenWith EXT PROGID NAME
  !insertmacro RecordAssociation "${EXT}" "${PROGID}" "${NAME}"
  WriteRegStr HKCU "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
!macroend

; The key as it was before the first install: the default put back, Pobelo's entry gone, and the
; keys Pobelo made removed when nothing else is in them.
!macro UnregisterAssociation EXT PROGID NAME
  !insertmacro PutBackDefault "${EXT}" "${PROGID}" "${NAME}"
  DeleteRegValue HKCU "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
  ReadRegDWORD $2 HKCU "${OWN_KEY}" "${NAME}ListExisted"
  ${If} $2 != 1
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}\OpenWithProgids"
  ${EndIf}
  ReadRegDWORD $2 HKCU "${OWN_KEY}" "${NAME}KeyExisted"
  ${If} $2 != 1
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}"
  ${EndIf}
!macroend

; The box starts ticked unless another program opens the files: for this user, for every user
; (installed by the school's IT), or by the user's own choice in Windows' 既定のアプリ.
!macro PreselectDefault EXT PROGID SECTION
  StrCpy $2 0
  ReadRegStr $0 HKCU "Software\Classes\${EXT}" ""
  ${If} $0 == ""
    ReadRegStr $0 HKLM "Software\Classes\${EXT}" ""
  ${EndIf}
  ${If} $0 != ""
  ${AndIf} $0 != "${PROGID}"
    StrCpy $2 1
  ${EndIf}
  ReadRegStr $1 HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\${EXT}\UserChoice" "ProgId"
  ${If} $1 != ""
  ${AndIf} $1 != "${PROGID}"
    StrCpy $2 1
  ${EndIf}
  ${If} $2 == 1
    !insertmacro UnselectSection ${SECTION}
  ${Else}
    !insertmacro SelectSection ${SECTION}
  ${EndIf}
!macroend

; --- Installing ------------------------------------------------------------------------------------

Section "Pobelo" SEC_MAIN
  SectionIn RO
  SetShellVarContext current
  CreateDirectory "$INSTDIR"
  ; The new list: what an earlier install listed that this one does not install, then each file
  ; this one puts here.
  FileOpen $9 "$INSTDIR\${LIST}.new" w
  ClearErrors
  FileOpen $8 "$INSTDIR\${LIST}" r
  ${IfNot} ${Errors}
    ${Do}
      ClearErrors
      FileRead $8 $0
      ${If} ${Errors}
        ${ExitDo}
      ${EndIf}
      ${TrimNewLines} "$0" $0
      !insertmacro POBELO_IS_INSTALLED_FILE $0 $1
      ${If} $0 != ""
      ${AndIf} $1 == 0
        FileWrite $9 "$0$\r$\n"
      ${EndIf}
    ${Loop}
    FileClose $8
  ${EndIf}
  !insertmacro POBELO_INSTALL_FILES $9
  FileWrite $9 "uninstall.exe$\r$\n"
  FileClose $9
  Delete "$INSTDIR\${LIST}"
  Rename "$INSTDIR\${LIST}.new" "$INSTDIR\${LIST}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${OWN_KEY}" "InstallDir" "$INSTDIR"

  CreateShortCut "$SMPROGRAMS\Pobelo 小テスト作成.lnk" "$INSTDIR\pobelo.exe" "" "$INSTDIR\pobelo.exe" 0

  ; Question files (.moj) open in Pobelo, with its icon; 印刷 prints their first sheet.
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Orvane 問題ファイル"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\pobelo.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\print" "" "印刷(&P)"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\print\command" "" '"$INSTDIR\pobelo.exe" --print "%1"'
  ; A teacher's own questions (.csv, .tsv) open and print in Pobelo when it is chosen for them.
  WriteRegStr HKCU "Software\Classes\${OWNPROGID}" "" "自作の問題"
  WriteRegStr HKCU "Software\Classes\${OWNPROGID}\DefaultIcon" "" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "Software\Classes\${OWNPROGID}\shell\open\command" "" '"$INSTDIR\pobelo.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\${OWNPROGID}\shell\print" "" "印刷(&P)"
  WriteRegStr HKCU "Software\Classes\${OWNPROGID}\shell\print\command" "" '"$INSTDIR\pobelo.exe" --print "%1"'
  ; Sheet sets (.pobelo-set) open and print as they were saved.
  WriteRegStr HKCU "Software\Classes\${SETPROGID}" "" "Pobelo テストセット"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\DefaultIcon" "" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\shell\open\command" "" '"$INSTDIR\pobelo.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\shell\print" "" "印刷(&P)"
  WriteRegStr HKCU "Software\Classes\${SETPROGID}\shell\print\command" "" '"$INSTDIR\pobelo.exe" --print "%1"'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP} ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pobelo developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pobelo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SEC_MAIN} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Only their choice: the associations are written by the last section.
Section "問題ファイル（.moj）を Pobelo で開く" SEC_MOJ
SectionEnd
Section "テストセット（.pobelo-set）を Pobelo で開く" SEC_SET
SectionEnd

Section "-Associations"
  !insertmacro RegisterAssociation ".moj" "${PROGID}" "Moj" ${SEC_MOJ}
  !insertmacro RegisterAssociation ".pobelo-set" "${SETPROGID}" "Set" ${SEC_SET}
  !insertmacro RegisterOpenWith ".csv" "${OWNPROGID}" "Csv"
  !insertmacro RegisterOpenWith ".tsv" "${OWNPROGID}" "Tsv"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SEC_MAIN} "プログラム、見本の問題ファイル、教科書体の代わりの書体（Klee One）。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SEC_MOJ} "ダブルクリックした .moj ファイルが Pobelo で開きます。ほかのプログラム（漢字ドリルなど）が開くように設定されているときは、はじめはチェックがありません。どちらでも、右クリックの「プログラムから開く」に Pobelo が加わります。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SEC_SET} "ダブルクリックしたテストセット（.pobelo-set）が Pobelo で開きます。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro PreselectDefault ".moj" "${PROGID}" ${SEC_MOJ}
  !insertmacro PreselectDefault ".pobelo-set" "${SETPROGID}" ${SEC_SET}
FunctionEnd

; --- Uninstalling ----------------------------------------------------------------------------------

; Removes $0, a name from the list, inside the install folder; anything else (a name with a drive,
; a folder above, an absolute path) is not Pobelo's to remove.
Function un.DeleteListed
  ${If} $0 == ""
    Return
  ${EndIf}
  ${UnStrStr} $1 "$0" ":"
  ${UnStrStr} $2 "$0" ".."
  StrCpy $3 "$0" 1
  ${If} $1 != ""
  ${OrIf} $2 != ""
  ${OrIf} $3 == "\"
  ${OrIf} $3 == "/"
    Return
  ${EndIf}
  Delete "$INSTDIR\$0"
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The files the installs put here, as their list names them: the teacher's own files stay.
  ClearErrors
  FileOpen $8 "$INSTDIR\${LIST}" r
  ${If} ${Errors}
    ; No list (deleted by hand): this version's own files.
    !insertmacro POBELO_DELETE_FILES
  ${Else}
    ${Do}
      ClearErrors
      FileRead $8 $0
      ${If} ${Errors}
        ${ExitDo}
      ${EndIf}
      ${un.TrimNewLines} "$0" $0
      Call un.DeleteListed
    ${Loop}
    FileClose $8
  ${EndIf}
  Delete "$INSTDIR\${LIST}"
  Delete "$INSTDIR\uninstall.exe"
  ; A folder goes only when nothing is left in it.
  !insertmacro POBELO_REMOVE_FOLDERS
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Pobelo 小テスト作成.lnk"
  !insertmacro UnregisterAssociation ".moj" "${PROGID}" "Moj"
  !insertmacro UnregisterAssociation ".pobelo-set" "${SETPROGID}" "Set"
  !insertmacro UnregisterAssociation ".csv" "${OWNPROGID}" "Csv"
  !insertmacro UnregisterAssociation ".tsv" "${OWNPROGID}" "Tsv"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  DeleteRegKey HKCU "Software\Classes\${OWNPROGID}"
  DeleteRegKey HKCU "Software\Classes\${SETPROGID}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${OWN_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
