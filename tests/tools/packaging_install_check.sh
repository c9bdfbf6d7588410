#!/usr/bin/env bash
# Installs the build into a scratch root under /usr, as the Debian package does, and checks what
# a user and the desktop find there: the three programs, the pictures and help pages where the
# program looks for them (../share/qsp/Picture from its folder), the manual pages, the udev rules,
# the theme icons in every size, and a desktop entry, metainfo and icon that belong together.
# Usage: packaging_install_check.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1
source=$2
version=$3
root=$(mktemp -d "$build/packaging-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
usr=$root/usr
problems=0
complain() {
  echo "installed tree: $*" >&2
  problems=$((problems + 1))
}

cmake --install "$build" --prefix "$usr" >/dev/null

for program in qsp qspctl qsp-scanner-sim; do
  [ -x "$usr/bin/$program" ] || complain "bin/$program missing"
done
said=$("$usr/bin/qspctl" --version 2>&1) || true
[ "$said" = "qspctl $version" ] || complain "installed qspctl --version says '$said'"
"$usr/bin/qsp-scanner-sim" --help | grep -q '^Usage: qsp-scanner-sim' ||
  complain "installed qsp-scanner-sim --help prints no usage"

# The program finds Picture/ beside itself in the build tree and here when installed.
[ ! -e "$usr/bin/Picture" ] || complain "bin/Picture would hide share/qsp/Picture"
for file in "$source"/resources/Picture/*.html "$source"/resources/Picture/*.svg; do
  cmp -s "$file" "$usr/share/qsp/Picture/$(basename "$file")" ||
    complain "share/qsp/Picture/$(basename "$file") missing or different"
done

for program in qspctl qsp-scanner-sim; do
  page=$usr/share/man/man1/$program.1.gz
  if ! gzip -t "$page" 2>/dev/null; then
    complain "share/man/man1/$program.1.gz missing or not gzip"
  elif ! zcat "$page" | grep -q "^\.TH .*\"QSP $version\""; then
    complain "$program.1.gz does not carry version $version"
  fi
done

cmp -s "$source/resources/udev/70-qsp-scanner.rules" "$usr/lib/udev/rules.d/70-qsp-scanner.rules" ||
  complain "lib/udev/rules.d/70-qsp-scanner.rules missing"

# Desktop entry, metainfo and icon are found by the application id.
id=$(sed -nE 's:.*<id>([^<]+)</id>.*:\1:p' "$source"/resources/desktop/*.metainfo.xml | head -n 1)
desktop=$usr/share/applications/$id.desktop
[ -f "$usr/share/metainfo/$id.metainfo.xml" ] || complain "share/metainfo/$id.metainfo.xml missing"
if [ ! -f "$desktop" ]; then
  complain "share/applications/$id.desktop missing"
else
  icon=$(sed -nE 's/^Icon=//p' "$desktop")
  exec=$(sed -nE 's/^Exec=([^ ]*).*/\1/p' "$desktop")
  [ "$icon" = "$id" ] || complain "the desktop entry's icon is '$icon', not the application id"
  [ -x "$usr/bin/$exec" ] || complain "the desktop entry starts '$exec', which is not installed"
fi
icons=$usr/share/icons/hicolor
[ -f "$icons/scalable/apps/$id.svg" ] || complain "scalable icon missing"
for size in 16 32 48 64 128 256; do
  png=$icons/${size}x$size/apps/$id.png
  if [ ! -f "$png" ]; then
    complain "${size}x$size icon missing"
    continue
  fi
  # The PNG header: signature, then width and height as big-endian 32-bit numbers at byte 16.
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  width=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
  height=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
  [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
    complain "${size}x$size icon is ${width}x$height"
done
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --strict --no-net --no-color "$root" || complain "validate-tree failed"
else
  echo "appstreamcli not installed: the tree's metadata is not validated"
fi

if [ "$problems" -gt 0 ]; then
  echo "$problems problem(s) in the installed tree" >&2
  exit 1
fi
echo "installed tree complete: $(find "$root" -type f | wc -l) files"
