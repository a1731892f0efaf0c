#!/usr/bin/env bash
# Installs the build into a throw-away DESTDIR, as a package build does, and
# checks what a desktop needs of it: every file in its place, a desktop entry
# and metainfo that the freedesktop tools accept, a MIME package that the
# MIME database takes in, a man page that renders, and a program that
# answers --version there without a display.
#
#   install_test.sh BUILD_DIR
# Exit 77 (skipped) when desktop-file-validate, appstreamcli, xmllint,
# update-mime-database or man is missing.
set -euo pipefail

build="$1"
for tool in desktop-file-validate appstreamcli xmllint update-mime-database man; do
  command -v "$tool" >/dev/null || { echo "missing $tool (tools/install-deps.sh installs it)"; exit 77; }
done

dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

id=example.zeq_text_editor.zeqedit
root="$dest/usr"
status=0
fail() { echo "FAIL: $*"; status=1; }

expected=(
  bin/zeqedit
  share/zeqedit/help/zqhelp.html
  share/zeqedit/readings/preferred.tsv
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/mime/packages/$id.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man1/zeqedit.1
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
  [ -s "$root/$file" ] || fail "not installed: /usr/$file"
done
[ -x "$root/bin/zeqedit" ] || fail "/usr/bin/zeqedit is not executable"

# Each PNG is the size its folder says.
for size in 16 24 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -s "$png" ] || continue
  dims="$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')"
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -q "^Icon=$id\$" "$root/share/applications/$id.desktop" || fail "the desktop entry names another icon"
grep -q '^MimeType=.*text/plain;' "$root/share/applications/$id.desktop" || fail "the desktop entry does not take text/plain"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

# The editor's own type: the entry and the metainfo offer it, and the MIME
# database, built from the installed package alone, knows it as a kind of
# text/plain.
own=text/x-zeq-ruby
grep -q "^MimeType=.*$own;" "$root/share/applications/$id.desktop" || fail "the desktop entry does not take $own"
grep -q "<mediatype>$own</mediatype>" "$root/share/metainfo/$id.metainfo.xml" || fail "the metainfo does not provide $own"
xmllint --noout "$root/share/mime/packages/$id.xml" || fail "xmllint on the MIME package"
mime_warnings="$(XDG_DATA_DIRS="$root/share" update-mime-database "$root/share/mime" 2>&1 >/dev/null)" || fail "update-mime-database failed"
[ -z "$mime_warnings" ] || fail "update-mime-database warns: $mime_warnings"
grep -qx "$own" "$root/share/mime/types" || fail "$own is not in the built MIME database"
grep -qx "$own text/plain" "$root/share/mime/subclasses" || fail "$own is not a sub-class of text/plain"

warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/zeqedit.1" 2>&1 >/dev/null || true)"
[ -z "$warnings" ] || fail "the man page renders with warnings: $warnings"

version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/zeqedit" --version)" || fail "--version failed"
[ "$version" = "Zeq Text Editor 1.02" ] || fail "--version printed: $version"

exit $status
