#!/usr/bin/env bash
# The installer and uninstaller under wine, in a fresh prefix of their own, run silently (/S) as
# a teacher without administrator rights would: what they leave of the teacher's files and of
# another program's file association.
#   test_installer.sh SETUP.EXE
set -uo pipefail
setup="$1"
[ -f "$setup" ] || { echo "no installer at $setup (run scripts/windows/package.sh first)"; exit 1; }
export WINEPREFIX
WINEPREFIX="$(mktemp -d /tmp/pobelo-installer-XXXXXX)"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

wineboot -i >/dev/null 2>&1
wineserver -w
user=$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')
folder="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Pobelo"
menu="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

reg() { wine reg "$@" >/dev/null 2>&1; }
# A key as `reg export` writes it, or "none".
key() {
  local out="$WINEPREFIX/drive_c/key.reg"
  rm -f "$out"
  if wine reg export "$1" 'C:\key.reg' /y >/dev/null 2>&1; then iconv -f UTF-16 -t UTF-8 "$out"; else echo none; fi
}
# The key's default value; empty when it has none.
default_of() {
  wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p' | grep -vx '(value not set)'
}
run() { wine "$@" >/dev/null 2>&1; wineserver -w; }
uninstall() { run "$folder/uninstall.exe" /S; }

# --- 1. Another program (the drill program) opens .moj files -----------------------------------
reg add 'HKCU\Software\Classes\.moj' /ve /d Orvane.Drill /f
reg add 'HKCU\Software\Classes\.moj\OpenWithProgids' /v Orvane.Drill /d "" /f
reg add 'HKCU\Software\Classes\Orvane.Drill\shell\open\command' /ve /d 'drill.exe "%1"' /f
# A spreadsheet opens .csv files.
reg add 'HKCU\Software\Classes\.csv' /ve /d Sheet.Csv /f
moj_before=$(key 'HKCU\Software\Classes\.moj')
csv_before=$(key 'HKCU\Software\Classes\.csv')
run "$setup" /S
check "installed without administrator rights into the user's folder" test -f "$folder/pobelo.exe"
check "the drill program still opens .moj files" \
  test "$(default_of 'HKCU\Software\Classes\.moj')" = Orvane.Drill
check "Pobelo is offered in 「プログラムから開く」 for .moj" \
  bash -c "wine reg query 'HKCU\Software\Classes\.moj\OpenWithProgids' /v Pobelo.QuestionFile >/dev/null 2>&1"
check "sheet sets, which nothing opened, open in Pobelo" \
  test "$(default_of 'HKCU\Software\Classes\.pobelo-set')" = Pobelo.SheetSet
check "the spreadsheet still opens .csv files" \
  test "$(default_of 'HKCU\Software\Classes\.csv')" = Sheet.Csv
check "Pobelo is offered in 「プログラムから開く」 for .csv and .tsv" \
  bash -c "wine reg query 'HKCU\Software\Classes\.csv\OpenWithProgids' /v Pobelo.OwnQuestions >/dev/null 2>&1 &&
           wine reg query 'HKCU\Software\Classes\.tsv\OpenWithProgids' /v Pobelo.OwnQuestions >/dev/null 2>&1"

# The teacher's own files beside the program: a PDF saved there, a folder of their own.
echo "%PDF-1.4 the teacher's" >"$folder/第1回.pdf"
mkdir -p "$folder/mine" && echo notes >"$folder/mine/notes.txt"
listed=$(wc -l <"$folder/installed-files.txt")
run "$setup" /S
check "a reinstall lists each file once" test "$(wc -l <"$folder/installed-files.txt")" -eq "$listed"
check "a reinstall leaves the drill program the default" \
  test "$(default_of 'HKCU\Software\Classes\.moj')" = Orvane.Drill

uninstall
check "uninstall leaves the teacher's PDF" test -f "$folder/第1回.pdf"
check "uninstall leaves the teacher's folder" test -f "$folder/mine/notes.txt"
check "uninstall removes every file it installed" \
  test "$(cd "$folder" && find . -type f | LC_ALL=C sort | tr '\n' ' ')" = "./mine/notes.txt ./第1回.pdf "
check "uninstall puts .moj back exactly" test "$(key 'HKCU\Software\Classes\.moj')" = "$moj_before"
check "uninstall removes the .pobelo-set key it made" test "$(key 'HKCU\Software\Classes\.pobelo-set')" = none
check "uninstall puts .csv back exactly" test "$(key 'HKCU\Software\Classes\.csv')" = "$csv_before"
check "uninstall removes the .tsv key it made" test "$(key 'HKCU\Software\Classes\.tsv')" = none
for k in 'HKCU\Software\Classes\Pobelo.QuestionFile' 'HKCU\Software\Classes\Pobelo.SheetSet' \
  'HKCU\Software\Classes\Pobelo.OwnQuestions' \
  'HKCU\Software\Pobelo' 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pobelo'; do
  check "uninstall removes $k" test "$(key "$k")" = none
done
check "uninstall removes the Start menu's shortcut" test ! -e "$menu/Pobelo 小テスト作成.lnk"

# --- 2. Nothing opened .moj files: Pobelo does, and afterwards nothing again ---------------------
rm -rf "$folder"
reg delete 'HKCU\Software\Classes\.moj' /f
run "$setup" /S
check "with no other program, .moj files open in Pobelo" \
  test "$(default_of 'HKCU\Software\Classes\.moj')" = Pobelo.QuestionFile
uninstall
check "uninstall removes the .moj key it made" test "$(key 'HKCU\Software\Classes\.moj')" = none
check "uninstall removes the folder it made, left empty" test ! -e "$folder"

# --- 3. The drill program was installed for every user (by the school's IT) -----------------------
reg add 'HKLM\Software\Classes\.moj' /ve /d Orvane.Drill /f
run "$setup" /S
check "a program of every user's keeps .moj (nothing set for this user)" \
  test -z "$(default_of 'HKCU\Software\Classes\.moj')"
check "Pobelo is offered beside it" \
  bash -c "wine reg query 'HKCU\Software\Classes\.moj\OpenWithProgids' /v Pobelo.QuestionFile >/dev/null 2>&1"
uninstall
check "and uninstall leaves no .moj key for this user" test "$(key 'HKCU\Software\Classes\.moj')" = none

echo "$failures failed"
[ "$failures" -eq 0 ]
