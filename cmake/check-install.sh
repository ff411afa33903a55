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
  "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/48x48/apps/$id.png"; do
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

for png in "$prefix"/share/icons/hicolor/*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not $size"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "metainfo invalid: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
echo "install tree ok: $version"
