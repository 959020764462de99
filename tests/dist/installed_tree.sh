#!/usr/bin/env bash
# The installed program, as `make install` and the package lay it out: the tree below the prefix is
# exactly dist/installed_files.txt; the desktop entry, the user units and the manual page pass their
# validators; the installed copy finds its plugin and data from its own folder, keeps its home in
# ~/.local/share/autorateloom (window and headless front end alike) and runs against a local site;
# and the uninstall leaves no file behind.
# Usage: installed_tree.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
tmp=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
(cd "$prefix" && find . -type f -o -type l | sed 's#^\./##' | LC_ALL=C sort) >"$tmp/tree"
LC_ALL=C sort "$src/dist/installed_files.txt" | diff -u - "$tmp/tree" || fail "installed tree differs from dist/installed_files.txt"

desktop=$prefix/share/applications/autorateloom.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
grep -qx "Exec=$prefix/bin/autorateloom" "$desktop" || fail "desktop entry does not start the installed window"

units=$prefix/share/systemd/user
grep -qx "ExecStart=$prefix/bin/autorateloom-cli" "$units/autorateloom.service" || fail "service does not run the installed front end"
if command -v systemd-analyze >/dev/null; then
  out=$(systemd-analyze verify --man=no "$units/autorateloom.service" "$units/autorateloom.timer" 2>&1) || fail "units: $out"
  # Complaints about the machine's own units are not ours.
  if grep -i autorateloom <<<"$out"; then fail "units: $out"; fi
else
  echo "systemd-analyze not available: units not verified"
fi

page=$prefix/share/man/man1/autorateloom-cli.1.gz
warnings=$(zcat "$page" | groff -ww -man -Tutf8 -z 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"

# A new user: no XDG_DATA_HOME, a home of their own.
export HOME=$tmp/user
unset XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
data=$HOME/.local/share/autorateloom
"$prefix/bin/autorateloom-cli" --init >/dev/null
cmp "$data/CurrencyList.txt" "$prefix/share/autorateloom/CurrencyList.txt" || fail "--init did not copy the shipped currency list"
"$prefix/bin/autorateloom-cli" --help | grep -q "local/share/autorateloom" || fail "--help does not say where the home is"

site=$tmp/site
"$build/bin/fake_site" generate "$site" --seed 3 --years 2025-2026 --days 3 --newest-days 2 --tickers 3 >/dev/null
"$build/bin/fake_site" tickers "$site" >"$data/CurrencyList.txt"
"$build/bin/fake_site" serve "$site" --port-file "$tmp/port" >/dev/null 2>&1 &
server=$!
for _ in $(seq 1 100); do [ -s "$tmp/port" ] && break; sleep 0.1; done
url="http://127.0.0.1:$(cat "$tmp/port")/free_forex_quotes/forex_history_arhiv.html"
sed -i "s#^EditURL=.*#EditURL=$url\r#" "$data/autorateloom.ini"
"$prefix/bin/autorateloom-cli" >"$tmp/cli.log" || fail "headless run: $(tail -n 5 "$tmp/cli.log")"
ls "$data"/HistoricalData/*/1min/1min_2026.txt >/dev/null || fail "no year files in the user's data folder"
[ ! -e "$prefix/bin/autorateloom.ini" ] || fail "the installed copy wrote beside its executable"

# The window in auto mode takes the same home.
"$build/bin/fake_site" grow "$site" --days 1 >/dev/null
lines=$(wc -l <"$data/autorateloom.log")
QT_QPA_PLATFORM=offscreen timeout 120 "$prefix/bin/autorateloom" auto || fail "window run"
[ "$(wc -l <"$data/autorateloom.log")" -gt "$lines" ] || fail "the window did not log into the same home"
[ ! -e "$prefix/bin/autorateloom.log" ] || fail "the window wrote beside its executable"

DESTDIR= "$src/scripts/uninstall" "$prefix" >/dev/null
left=$(find "$prefix" -type f -o -type l)
[ -z "$left" ] || fail "left after uninstall: $left"
[ -d "$data/HistoricalData" ] || fail "uninstall touched the data"
echo "installed tree: ok"
