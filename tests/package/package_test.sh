#!/usr/bin/env bash
# Builds the Debian package, checks what it holds and declares, runs lintian on it, validates its
# desktop entry and AppStream metadata, and runs the extracted tools from a temporary root.
# Installs nothing into the machine.
# Usage: package_test.sh CPACK_CONFIG LEGACY_SAMPLE PROGRAM_FOLDER SHARED_FOLDER
set -euo pipefail
config=$1 sample=$2 folder=$3 shared=$4
id=org.cuepilot.Cuepilot

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$config" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log"
    fail "cpack"
}
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, got: ${debs[*]}"
deb=${debs[0]}

dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' >"$tmp/contents"
for f in ".$folder/cuepilot" ".$folder/cuepilot-init" ".$folder/cuepilot-import" ".$folder/cuepilot-copy" \
    ".$shared/" ./usr/share/doc/cuepilot/copyright ./usr/share/doc/cuepilot/changelog.gz \
    ./usr/share/man/man1/cuepilot.1.gz ./usr/share/man/man1/cuepilot-init.1.gz \
    ./usr/share/man/man1/cuepilot-import.1.gz ./usr/share/man/man1/cuepilot-copy.1.gz \
    ./usr/share/man/man1/cuepilot-history.1.gz ".$folder/cuepilot-history" \
    "./usr/share/applications/$id.desktop" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "./usr/share/metainfo/$id.metainfo.xml"; do
    grep -qxF "$f" "$tmp/contents" || fail "$f not in the package"
done
for c in cuepilot cuepilot-init cuepilot-import cuepilot-copy cuepilot-aired cuepilot-history; do
    grep -qxF "./usr/bin/$c -> ../lib/cuepilot/$c" "$tmp/contents" || fail "/usr/bin/$c is not a link to $folder/$c"
done
if grep -E '\.mdb$' "$tmp/contents"; then fail "the package must not carry database files"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libsqlcipher0 libmdb3 adduser; do
    [[ ",$depends," =~ [,\ ]$p[\ ,] ]] || fail "Depends lacks $p: $depends"
done

dpkg-deb -e "$deb" "$tmp/control"
for s in postinst postrm; do
    [ -x "$tmp/control/$s" ] || fail "$s missing or not executable"
    sh -n "$tmp/control/$s" || fail "$s is not a valid shell script"
done
grep -qF "\"\$programs/cuepilot-init\" \"\$folder\"" "$tmp/control/postinst" || fail "postinst does not create the setup files"

# lintian, errors and warnings alike. The package made from the sanitizer build cannot carry
# _FORTIFY_SOURCE (it needs optimisation); a release build gets dpkg-buildflags' flags whole.
command -v lintian >/dev/null || fail "lintian is not installed"
suppress=""
if dpkg-deb --fsys-tarfile "$deb" | tar -xO ".$folder/cuepilot-import" | grep -qa __asan_init; then
    suppress="--suppress-tags hardening-no-fortify-functions"
fi
# shellcheck disable=SC2086
lintian --fail-on error,warning $suppress "$deb" >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log"; fail "lintian"; }
cat "$tmp/lintian.log"

# The same layout from cmake --install, staged under DESTDIR.
DESTDIR="$tmp/staged" cmake --install "$(dirname "$config")" --prefix /usr/local >"$tmp/install.log"
for f in /usr/local/lib/cuepilot/cuepilot-import /usr/local/share/man/man1/cuepilot-import.1.gz /usr/local/share/metainfo/$id.metainfo.xml /usr/local/share/applications/$id.desktop; do
    [ -f "$tmp/staged$f" ] || fail "cmake --install did not make $f"
done
[ "$(readlink -f "$tmp/staged/usr/local/bin/cuepilot")" = "$tmp/staged/usr/local/lib/cuepilot/cuepilot" ] || fail "cmake --install: bin/cuepilot"

dpkg-deb -x "$deb" "$tmp/root"
desktop="$tmp/root/usr/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$tmp/root" || fail "appstreamcli validate-tree"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$tmp/root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon not in the package"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -L "$tmp/root/usr/bin/$exec" ] || fail "Exec=$exec is not a command of the package"

# Every tool answers --help on standard output and --version.
program="$tmp/root$folder"
for c in cuepilot-init cuepilot-import cuepilot-copy cuepilot-history; do
    "$program/$c" --help >"$tmp/help.log" 2>"$tmp/help.err" || fail "$c --help exited $?"
    grep -q "^usage: $c" "$tmp/help.log" && [ ! -s "$tmp/help.err" ] || fail "$c --help: $(cat "$tmp/help.log" "$tmp/help.err")"
    [ "$("$program/$c" --version)" = "$c $(dpkg-deb -f "$deb" Version)" ] || fail "$c --version"
done

# The installation's blank setup files, as the maintainer script makes them.
setup="$tmp/root$shared"
"$program/cuepilot-init" "$setup" >"$tmp/init.log"
[ "$(cd "$setup" && ls ./*.mdb | tr '\n' ' ')" = "./Location.mdb ./Setup.mdb " ] || fail "cuepilot-init made: $(ls "$setup")"

# A legacy station taken over by the extracted importer.
status=0
"$program/cuepilot-import" "$sample/data" "$tmp/station/data" >"$tmp/data.log" || status=$?
[ $status -eq 0 ] || { cat "$tmp/data.log"; fail "import of the content files exited $status"; }
grep -qxF "37 of 37 files taken." "$tmp/data.log" ||
    { cat "$tmp/data.log"; fail "content import report"; }
status=0
"$program/cuepilot-import" --setup "$sample/program" "$tmp/station/program" >"$tmp/setup.log" || status=$?
[ $status -eq 0 ] || { cat "$tmp/setup.log"; fail "import of the setup files exited $status"; }
grep -qxF "2 of 2 files taken." "$tmp/setup.log" && grep -qF "set them anew in Network Setup" "$tmp/setup.log" ||
    { cat "$tmp/setup.log"; fail "setup import report"; }

# Onto the blank setup files the importer overwrites nothing and says so.
before=$(sha256sum "$setup"/*.mdb)
status=0
"$program/cuepilot-import" --setup "$sample/program" "$setup" >"$tmp/again.log" || status=$?
[ $status -eq 1 ] || fail "import onto existing setup files exited $status"
[ "$(sha256sum "$setup"/*.mdb)" = "$before" ] || fail "existing setup files were changed"
echo "package ok: $(basename "$deb")"
