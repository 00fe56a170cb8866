#!/usr/bin/env bash
# Builds the Debian package from build/, installs it as any package is
# installed, tries the installed program as a user and a script would, checks
# its desktop files, and removes it again. Run as root after scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive

(cd build && cpack -G DEB)
deb=$(ls build/randola_*.deb)
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb" | awk '{print $6}'

work=$(mktemp -d)
cleanup() {
  dpkg -r randola > /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
dpkg -i "$deb" || apt-get -f install -y
dpkg -s randola | grep -q '^Status: install ok installed'

fail() { echo "check-package: $*" >&2; exit 1; }
expect() {  # what, wanted, got
  [ "$2" = "$3" ] || fail "$1: wanted [$2], got [$3]"
  echo "ok: $1"
}

[ "$(command -v randola)" = /usr/bin/randola ] || fail "randola is not /usr/bin/randola"
expect "--version" "randola 3.00" "$(randola --version)"

data="$work/data"
r() { randola --data-dir "$data" "$@"; }
printf 'NAME,TOWN\r\nAda,Paris\r\n"Bo, Jr",Lyon\r\nCyd,Nice\r\n' > "$work/entries.csv"
expect "create" '"club" created with the fields NAME,TOWN' "$(r create club name,town)"
expect "import" "3 records read from $work/entries.csv
3 records added to \"club\", which now holds 3 records" "$(r import club "$work/entries.csv")"
expect "list" "$(printf 'club\t3')" "$(r list)"

pick=$(r pick club 2)
echo "$pick"
stamp=$(head -n 1 <<< "$pick")
[[ $stamp =~ ^[0-9]{2}-[0-9]{2}-[0-9]{4}\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || fail "pick stamp [$stamp]"
drawn=$(tail -n +2 <<< "$pick")
[ "$(wc -l <<< "$drawn")" = 2 ] || fail "pick gave [$drawn]"
grep -qxF -- "$(head -n 1 <<< "$drawn")" <(printf 'Ada\tParis\nBo, Jr\tLyon\nCyd\tNice\n') ||
  fail "a record drawn is not one of the file's"
expect "history" "$stamp" "$(r history club)"
expect "pick --json" '"NAME","TOWN"' "$(r pick club 1 --json | python3 -c \
  'import json,sys; print(",".join(json.dumps(f) for f in json.load(sys.stdin)["fields"]))')"

expect "export" "2 records written to $work/winners.csv" \
  "$(r export club "$work/winners" --pick "$stamp" --fields "name,Times Picked" --header)"
exported=$(tr -d '\r' < "$work/winners.csv")
echo "$exported"
expect "export header" '"NAME","Times Picked"' "$(head -n 1 <<< "$exported")"
while IFS=$'\t' read -r name town; do
  grep -qxF "\"$name\",\"1\"" <<< "$exported" || fail "export lacks $name"
done <<< "$drawn"
status=0; r pick nosuch 1 2> "$work/err" || status=$?
expect "no such database" "3 randola: there is no database \"nosuch\" in $data" "$status $(cat "$work/err")"

# The menu's way in: the desktop entry's Exec line, with no data folder
# named. Installed, the databases go to the user's data folder, never to
# /usr/bin, though root may write there.
apps=/usr/share/applications/com.randola.randola.desktop
desktop-file-validate "$apps"
appstreamcli validate --no-net /usr/share/metainfo/com.randola.randola.metainfo.xml
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
  file /usr/share/icons/hicolor/$size/apps/com.randola.randola.png | grep -q "PNG image data, ${size/x/ x }" ||
    fail "icon $size"
done
man -w randola > /dev/null
exec_line=$(sed -n 's/^Exec=//p' "$apps")
status=0
HOME="$work/home" XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen timeout 5 $exec_line || status=$?
expect "the window keeps running until stopped" 124 "$status"
[ -d "$work/home/.local/share/randola3" ] || fail "no data folder in ~/.local/share/randola3"
HOME="$work/home" XDG_DATA_HOME= randola create home A > /dev/null
[ -f "$work/home/.local/share/randola3/home.dat" ] || fail "installed: databases not in ~/.local/share"
[ ! -e /usr/bin/home.dat ] || fail "installed: a database in /usr/bin"
echo "check-package: the installed package works"
