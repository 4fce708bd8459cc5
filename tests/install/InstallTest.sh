#!/usr/bin/env bash
# Installs the programs into a temporary prefix whose bin folder cannot be
# written, starts both from there, and checks that the settings and the log
# live in the user's folders, not beside the programs, and that the
# converter's preview finds its module.
#
# Usage: InstallTest.sh BUILD_DIR EXAMPLES_DIR
#
# The bin folder is made unwritable for real: with chmod for an ordinary
# user, and as root (who may write any folder with any mode bits) by marking
# it immutable (chattr +i), which the system refuses even to root. Exits with
# 77 (skipped) when neither is possible.
set -euo pipefail
build=$1
examples=$2

tmp=$(mktemp -d)
bin=$tmp/prefix/bin
cleanup() {
  [ -d "$bin" ] && { chattr -i "$bin" 2>/dev/null || true; chmod u+w "$bin" 2>/dev/null || true; }
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/morvatex bin/morvatex-convert share/applications/morvatex.desktop \
         share/icons/hicolor/scalable/apps/morvatex.svg share/mime/packages/morvatex.xml \
         lib/systemd/user/morvatex-watch@.service; do
  [ -f "$tmp/prefix/$f" ] || fail "not installed: $f"
done

if [ "$(id -u)" -ne 0 ]; then
  chmod a-w "$bin"
elif ! chattr +i "$bin" 2>/dev/null; then
  echo "cannot make $bin unwritable for root here (chattr +i refused); skipped"
  exit 77
fi
[ -w "$bin" ] && fail "$bin is still writable"

# XDG_CONFIG_HOME unset: its fallback below HOME; XDG_STATE_HOME set.
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state QT_QPA_PLATFORM=offscreen
unset XDG_CONFIG_HOME
mkdir -p "$HOME"
settings=$HOME/.config/morvatex/morvatex.set
log=$XDG_STATE_HOME/morvatex/morvatex.log

"$bin/morvatex-convert" --help >/dev/null || fail "morvatex-convert --help"

# The converter reads its default settings from the user's folder: its
# output equals that of the same file named explicitly, and differs from a
# new configuration's.
mkdir -p "$(dirname "$settings")"
"$bin/morvatex-convert" --write-settings "$settings" --preset mach3 --set Nachkommastellen=2 >/dev/null
"$bin/morvatex-convert" "$examples/rechtecktasche.ncp" "$tmp/out/default.cnc" >/dev/null 2>"$tmp/err" ||
  fail "conversion with the default settings: $(cat "$tmp/err")"
grep -q "Konfiguration" "$tmp/err" && fail "the default settings were not found: $(cat "$tmp/err")"
"$bin/morvatex-convert" --settings "$settings" "$examples/rechtecktasche.ncp" "$tmp/out/named.cnc" >/dev/null
cmp -s "$tmp/out/default.cnc" "$tmp/out/named.cnc" || fail "the default settings are not those in $settings"
rm "$settings"
"$bin/morvatex-convert" "$examples/rechtecktasche.ncp" "$tmp/out/new.cnc" >/dev/null 2>&1
cmp -s "$tmp/out/default.cnc" "$tmp/out/new.cnc" && fail "the settings file made no difference"
"$bin/morvatex-convert" --write-settings "$settings" >/dev/null

# --preview finds its module in the installed layout, also when the converter
# is started through a link from elsewhere.
ln -s "$bin/morvatex-convert" "$tmp/convert-link"
"$tmp/convert-link" --preview "$tmp/out/kreis.png" --settings "$settings" "$examples/kreis.ncp" >/dev/null \
  2>"$tmp/err" || fail "--preview: $(cat "$tmp/err")"
[ "$(head -c 4 "$tmp/out/kreis.png" | tail -c 3)" = PNG ] || fail "--preview wrote no PNG picture"

# The desktop program starts its log in the state folder. The log is begun
# after the settings are loaded; had the program not found them, it would
# still wait on its new-configuration warnings, with no log.
"$bin/morvatex" &
pid=$!
for _ in $(seq 100); do
  grep -qs "Neustart" "$log" && break
  kill -0 "$pid" 2>/dev/null || fail "morvatex ended early"
  sleep 0.2
done
kill "$pid"
wait "$pid" 2>/dev/null || true
grep -q "Neustart" "$log" || fail "no log at $log"
grep -qF "$bin/morvatex" "$log" || fail "the log does not name the installed program"

leftovers=$(ls "$bin" | grep -v -x -e morvatex -e morvatex-convert || true)
[ -z "$leftovers" ] || fail "files beside the installed programs: $leftovers"
echo "settings: $settings, log: $log"
