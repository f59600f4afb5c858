#!/usr/bin/env bash
# Builds the Debian package from a configured build folder (default build/), installs it with apt-get,
# which pulls in what it depends on, and checks the installed program as a user meets it: both programs
# from /usr/bin, the audio module, the manual, the menu entry, the icons, the metainfo and lintian's
# verdict. The package is purged again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
fail() {
    echo "package-test: $*" >&2
    exit 1
}

cmake --build "$build" -j "$(nproc)"
rm -f "$build"/tapelink_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(realpath "$build"/tapelink_*.deb)"
version="$(dpkg-deb -f "$deb" Version)"
echo "package-test: built $deb"

work="$(mktemp -d)"
trap '$SUDO apt-get purge -y -qq tapelink >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null

# The command-line tool, from the installed path, with its audio module found beside its prefix.
[ "$(/usr/bin/tapelink-cli --version)" = "tapelink-cli $version" ] || fail "tapelink-cli --version is not $version"
/usr/bin/tapelink-cli demo-store "$work/phone" --recordings 7 >/dev/null
rows=$(/usr/bin/tapelink-cli --store "$work/phone" list | wc -l)
[ "$rows" -eq 7 ] || fail "tapelink-cli list printed $rows rows, not 7"
if /usr/bin/tapelink-cli volume >"$work/volume.out" 2>&1; then :; fi
! grep -q "could not be loaded" "$work/volume.out" || fail "$(cat "$work/volume.out")"

# The manuals: installed where man finds them, and the CLI's page lists its commands' own help.
man -w tapelink-cli >/dev/null && man -w tapelink >/dev/null || fail "man does not find the manual pages"
zcat /usr/share/man/man1/tapelink-cli.1.gz | grep -q '^\.SS "bin restore"' || fail "the manual lacks bin restore"
zcat /usr/share/man/man1/tapelink-cli.1.gz | grep -q '^\.SH "EXIT STATUS"' || fail "the manual lacks EXIT STATUS"

# The window program starts offscreen from its installed path and ends with status 0 on SIGTERM.
mkdir -p "$work/home" "$work/run" && chmod 700 "$work/run"
HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TAPELINK_STORE="$work/phone" QT_QPA_PLATFORM=offscreen \
    /usr/bin/tapelink 2>"$work/gui.err" &
gui=$!
# The profile folder is made after the signal handlers are in place and just before the window opens.
for _ in $(seq 1 100); do
    [ -d "$work/home/Tapelink" ] && break
    kill -0 "$gui" 2>/dev/null || break
    sleep 0.1
done
sleep 1
kill -TERM "$gui" 2>/dev/null || fail "tapelink ended on its own: $(cat "$work/gui.err")"
status=0
wait "$gui" || status=$?
[ "$status" -eq 0 ] || fail "tapelink ended with status $status on SIGTERM: $(cat "$work/gui.err")"

# Menu entry, icons and metainfo, as the desktop reads them.
desktop-file-validate /usr/share/applications/org.example.Tapelink.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.example.Tapelink.metainfo.xml >/dev/null ||
    appstreamcli validate --no-net /usr/share/metainfo/org.example.Tapelink.metainfo.xml
for size in 16 22 24 32 48 64 128 256; do
    file /usr/share/icons/hicolor/${size}x${size}/apps/tapelink.png | grep -q "PNG image data, $size x $size" ||
        fail "no ${size}x${size} icon"
done
# The newest release named to software centres and in the changelog is the packaged version.
grep -q "<release version=\"$version\"" /usr/share/metainfo/org.example.Tapelink.metainfo.xml ||
    fail "the metainfo's releases lack $version"
zcat /usr/share/doc/tapelink/changelog.gz | head -1 | grep -q "^tapelink ($version)" ||
    fail "the changelog does not start with $version"

# Errors fail; the warnings that stay are printed.
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "package-test: $deb installed and checked"
