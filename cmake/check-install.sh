#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree as the package ships it: every
# file in its place, --version from both programs without a display, icons of the size their
# folder names, and the desktop entry and AppStream metainfo passing their validators.
#   check-install.sh BUILD_FOLDER VERSION APP_ID
set -euo pipefail
build=$1 version=$2 id=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install tree: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/torvane bin/torvane-migrate lib/torvane/downsize share/torvane/db.mdb share/torvane/dbn.mdb share/torvane/Info.doc \
  "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
  "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/48x48/apps/$id.png" \
  share/man/man1/torvane.1.gz share/man/man1/torvane-migrate.1.gz share/doc/torvane/copyright \
  share/doc/torvane/changelog.gz; do
  [ -f "$prefix/$f" ] || fail "$f missing"
done
[ ! -e "$prefix/bin/downsize" ] || fail "downsize is in bin/"

for named in "bin/torvane:Torvane" "lib/torvane/downsize:downsize"; do
  program=${named%%:*} name=${named#*:}
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/$program" --version) ||
    fail "$program --version failed"
  [ "$out" = "$name $version" ] || fail "$program --version printed: $out"
  env -u DISPLAY -u QT_QPA_PLATFORM "$prefix/$program" --help | grep -q -- '--version' ||
    fail "$program --help does not name --version"
done

# An unknown option is answered with the usage, also where there is no display to open.
rc=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/torvane" --bogus 2>&1) || rc=$?
[ "$rc" = 1 ] || fail "torvane --bogus ended with $rc: $out"
grep -q "Unknown option 'bogus'" <<<"$out" && grep -q -- '--print <view>' <<<"$out" ||
  fail "torvane --bogus did not print the usage: $out"

# The manual pages render without a warning from the formatter.
if command -v man >/dev/null; then
  for page in torvane torvane-migrate; do
    text=$(MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man -l $page failed: $text"
    [ -z "$text" ] || fail "man -l $page warned: $text"
    MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | grep -q 'SYNOPSIS' || fail "$page renders no synopsis"
  done
fi
grep -q '^StartupWMClass=Torvane$' "$prefix/share/applications/$id.desktop" || fail "desktop entry names no StartupWMClass"

for png in "$prefix"/share/icons/hicolor/*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not $size"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "metainfo invalid: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
echo "install tree ok: $version"
