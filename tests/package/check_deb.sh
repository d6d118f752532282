#!/bin/sh
# Makes the Debian package from this build with tools/make-deb and checks
# it as a user's system would take it: the files it installs and their
# owner, the control fields and the dependencies dpkg-shlibdeps found,
# lintian with no error and no warning, the copyright file and the licence
# it names, the desktop entry, the AppStream metainfo, the shared-mime-info
# declaration, the icons, and apt's plan to install it.
#
# usage: check_deb.sh SOURCE_DIR BUILD_DIR VERSION
set -u
if [ $# -ne 3 ]; then
    echo "usage: check_deb.sh SOURCE_DIR BUILD_DIR VERSION" >&2
    exit 2
fi
source_dir=$1
build=$2
version=$3
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}
for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli update-mime-database; do
    command -v "$tool" >/dev/null 2>&1 || { echo "check_deb.sh: $tool is missing (make deps installs it)" >&2; exit 1; }
done

deb=$(cd "$source_dir" && ./tools/make-deb "$build") || { echo "FAIL: tools/make-deb failed"; exit 1; }
arch=$(dpkg --print-architecture)
[ "$deb" = "$build/sonkrate_${version}_${arch}.deb" ] || fail "the package is $deb"
work=$(mktemp -d "${TMPDIR:-/tmp}/sonkrate-deb.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

# The contents: every file a user needs, all owned by root.
dpkg-deb -c "$deb" > "$work/contents" || fail "dpkg-deb -c cannot read $deb"
app=org.sonkrate.Sonkrate
for path in usr/bin/sonkrate-cli usr/lib/sonkrate/sonkrate usr/lib/sonkrate/auto_stop \
    usr/lib/sonkrate/Sonkrate-help.chm usr/lib/sonkrate/sonkrate.installed \
    usr/share/man/man1/sonkrate.1.gz usr/share/man/man1/sonkrate-cli.1.gz \
    usr/share/bash-completion/completions/sonkrate-cli \
    usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
    usr/share/mime/packages/sonkrate.xml usr/share/icons/hicolor/scalable/apps/sonkrate.svg \
    usr/share/doc/sonkrate/copyright usr/share/doc/sonkrate/changelog.gz; do
    grep -q " \./$path\$" "$work/contents" || fail "$path is not in the package"
done
grep -q ' \./usr/bin/sonkrate -> \.\./lib/sonkrate/sonkrate$' "$work/contents" ||
    fail "usr/bin/sonkrate is not a link to ../lib/sonkrate/sonkrate"
awk '$2 != "root/root" { print }' "$work/contents" | grep . && fail "files not owned by root/root"
grep -E ' \./usr/(bin|lib/sonkrate)/' "$work/contents" | grep -Ev '^-rwxr-xr-x|^lrwxrwxrwx|^drwxr-xr-x|\.(chm|installed)$' |
    grep . && fail "programs without mode 0755"

# The control fields; the dependencies are the shared libraries' packages.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sonkrate ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is $(field Architecture)"
depends=$(field Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libfltk1.3 libsdl2-2.0-0 libx11-6; do
    echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -Fqx "$lib" || fail "Depends lacks $lib"
done
echo "$depends" | grep -q -- '-dev' && fail "Depends names a development package"
dpkg-deb --info "$deb" | grep -q 'Installed-Size: [1-9]' || fail "no Installed-Size"

# The files, unpacked.
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop-file-validate"
grep -qx 'MimeType=application/x-trespasser-tpa;audio/x-trespasser-cau;text/x-trespasser-eel;' \
    "$root/usr/share/applications/$app.desktop" || fail "the desktop entry lacks the three file types"
grep -q '^Exec=sonkrate %F$' "$root/usr/share/applications/$app.desktop" || fail "the desktop entry's Exec"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app.metainfo.xml" ||
    fail "the metainfo names no release $version"
grep -q '<project_license>MIT</project_license>' "$root/usr/share/metainfo/$app.metainfo.xml" ||
    fail "the metainfo does not name the MIT licence"
# The copyright file in the machine-readable form, naming the licence.
copyright=$root/usr/share/doc/sonkrate/copyright
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
    fail "the copyright file is not in the machine-readable form"
grep -qx 'Copyright: 2026 The Sonkrate developers' "$copyright" && grep -qx 'License: Expat' "$copyright" &&
    grep -q 'MIT licence' "$copyright" || fail "the copyright file does not name the MIT licence of Sonkrate"

# The MIME database takes the declaration: globs and magic for the types.
mkdir -p "$work/mime/packages"
cp "$root/usr/share/mime/packages/sonkrate.xml" "$work/mime/packages/"
XDG_DATA_HOME=$work update-mime-database "$work/mime" 2> "$work/mime.err" || fail "update-mime-database: $(cat "$work/mime.err")"
[ -s "$work/mime.err" ] && fail "update-mime-database: $(cat "$work/mime.err")"
for glob in 'application/x-trespasser-tpa:\*\.tpa' 'audio/x-trespasser-cau:\*\.cau' 'text/x-trespasser-eel:\*\.eel'; do
    grep -q ":$glob\$" "$work/mime/globs2" || fail "no glob $glob in the MIME database"
done
# The magic of the archive: "P" 1 0 0 at offset 0, and "WBOR" for a sound image.
# (the rule's text: "tpa]", a new line, ">0=", the length 0 4, then the bytes)
od -An -tx1 -v "$work/mime/magic" | tr -d ' \n' | grep -q '7470615d0a3e303d0004500100000a' ||
    fail "the archive's magic is not P 1 0 0 at offset 0"
od -An -tx1 -v "$work/mime/magic" | tr -d ' \n' | grep -q '6361755d0a3e303d000457424f520a' || fail "the sound image's magic WBOR is missing"

# The icons: the SVG, and PNGs of their own sizes.
for size in 16 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/sonkrate.png
    if [ ! -f "$png" ]; then fail "no ${size}x${size} icon"; continue; fi
    head=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$head" = 89504e470d0a1a0a ] || fail "the ${size}x${size} icon is not a PNG"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
    [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done

# The window runs from its installed place and says how it is used.
"$root/usr/lib/sonkrate/sonkrate" --help | grep -q 'usage: sonkrate \[FILE...\]' || fail "sonkrate --help"
"$root/usr/bin/sonkrate-cli" --version >/dev/null || fail "sonkrate-cli --version"

# apt takes the package with what this system has or can fetch.
apt-get install --simulate "$deb" > "$work/apt" 2>&1 || fail "apt cannot install the package: $(tail -n 5 "$work/apt")"
grep -q '^Inst sonkrate ' "$work/apt" || fail "apt would not install sonkrate: $(tail -n 5 "$work/apt")"

# lintian: no error and no warning (informational tags are shown).
lintian --display-info --fail-on error,warning "$deb" || fail "lintian reported errors or warnings"

[ $failed = 0 ] && echo "package: all checks held"
exit $failed
