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
for file in "$source"/resources/Picture/*.html "$source"/resources/Picture/*.css "$source"/resources/Picture/*.svg; do
  cmp -s "$file" "$usr/share/qsp/Picture/$(basename "$file")" ||
    complain "share/qsp/Picture/$(basename "$file") missing or different"
done

for program in qspctl qsp-scanner-sim; do
  zcat "$usr/share/man/man1/$program.1.gz" 2>/dev/null | grep -q "^\.TH .*\"QSP $version\"" ||
    complain "share/man/man1/$program.1.gz missing or not of version $version"
done

cmp -s "$source/resources/systemd/qspctl-deploy@.service" "$usr/lib/systemd/system/qspctl-deploy@.service" ||
  complain "lib/systemd/system/qspctl-deploy@.service missing"
grep -q '^u qsp-deploy ' "$usr/lib/sysusers.d/qsp.conf" 2>/dev/null ||
  complain "lib/sysusers.d/qsp.conf does not make the user qsp-deploy"

cmp -s "$source/resources/udev/70-qsp-scanner.rules" "$usr/lib/udev/rules.d/70-qsp-scanner.rules" ||
  complain "lib/udev/rules.d/70-qsp-scanner.rules missing"

# The Ansible collection where Debian's Ansible looks for collections.
collections=$usr/share/ansible/collections
for file in galaxy.yml README.md meta/runtime.yml plugins/modules/settings.py plugins/modules/info.py \
  plugins/module_utils/qspctl.py plugins/doc_fragments/link.py; do
  cmp -s "$source/ansible/qsp/scanner/$file" "$collections/ansible_collections/qsp/scanner/$file" ||
    complain "the Ansible collection's $file missing or different"
done
if command -v ansible-doc >/dev/null; then
  mkdir "$root/ansible-home" && printf '[defaults]\n' >"$root/ansible-home/ansible.cfg"
  ANSIBLE_COLLECTIONS_PATH=$collections ANSIBLE_HOME=$root/ansible-home \
    ANSIBLE_CONFIG=$root/ansible-home/ansible.cfg \
    ansible-doc qsp.scanner.settings 2>&1 | grep -q 'src' ||
    complain "ansible-doc does not find qsp.scanner.settings in the installed tree"
  rm -rf "$root/ansible-home"
fi

# Desktop entry, metainfo and icon are found by the application id.
id=$(sed -nE 's:.*<id>([^<]+)</id>.*:\1:p' "$source"/resources/desktop/*.metainfo.xml | head -n 1)
desktop=$usr/share/applications/$id.desktop
[ -f "$usr/share/metainfo/$id.metainfo.xml" ] || complain "share/metainfo/$id.metainfo.xml missing"
icon=$(sed -nE 's/^Icon=//p' "$desktop" 2>/dev/null)
exec=$(sed -nE 's/^Exec=([^ ]*).*/\1/p' "$desktop" 2>/dev/null)
[ "$icon" = "$id" ] || complain "$id.desktop missing, or its icon '$icon' is not the application id"
[ -x "$usr/bin/$exec" ] || complain "the desktop entry starts '$exec', which is not installed"
icons=$usr/share/icons/hicolor
[ -f "$icons/scalable/apps/$id.svg" ] || complain "scalable icon missing"
for size in 16 32 48 64 128 256; do
  # The PNG header: signature, then width and height as big-endian 32-bit numbers at byte 16.
  [ "$(od -An -tx1 -j16 -N8 "$icons/${size}x$size/apps/$id.png" 2>/dev/null | tr -d ' \n')" = \
    "$(printf '%08x%08x' "$size" "$size")" ] || complain "no ${size}x$size icon of that size"
done
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --strict --no-net --no-color "$root" || complain "validate-tree failed"
else
  echo "appstreamcli not installed: the tree's metadata is not validated"
fi

[ "$problems" -eq 0 ] || { echo "$problems problem(s) in the installed tree" >&2; exit 1; }
echo "installed tree complete: $(find "$root" -type f | wc -l) files"
