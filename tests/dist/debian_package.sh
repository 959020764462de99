#!/usr/bin/env bash
# The Debian package: it holds exactly the installed files below /usr, its texts name /usr/bin, and
# its dependencies were computed from the binaries (the Qt, transfer and archive libraries among them).
# Usage: debian_package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || fail "cpack: $(cat "$tmp/cpack.log")"
deb=$(ls "$tmp"/autorateloom_*_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's#^\./usr/##' | LC_ALL=C sort >"$tmp/files"
LC_ALL=C sort "$src/dist/installed_files.txt" | diff -u - "$tmp/files" || fail "package files differ"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6charts6 libcurl4 libarchive13 libgumbo1 libpcre2-8-0 qt6-qpa-plugins; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/autorateloom.desktop | grep -qx 'Exec=/usr/bin/autorateloom' ||
  fail "the desktop entry does not start /usr/bin/autorateloom"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/systemd/user/autorateloom.service |
  grep -qx 'ExecStart=/usr/bin/autorateloom-cli' || fail "the service does not run /usr/bin/autorateloom-cli"
echo "debian package: ok"
