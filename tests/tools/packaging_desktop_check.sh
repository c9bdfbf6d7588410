#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as desktops and software centres read them: both
# pass the freedesktop validators, and the metainfo's newest release is the version being built.
# Exits 77 (skipped) when the validators are not installed.
# Usage: packaging_desktop_check.sh DESKTOP_DIR VERSION
set -euo pipefail
dir=$1
version=$2
metainfo=$(ls "$dir"/*.metainfo.xml)

newest=$(grep -oE '<release [^>]*version="[^"]*"' "$metainfo" | head -n 1 |
  sed -E 's/.*version="([^"]*)".*/\1/')
if [ "$newest" != "$version" ]; then
  echo "$metainfo: the newest <release> is '$newest' but QSP is $version; add a release" >&2
  exit 1
fi

missing=()
command -v desktop-file-validate >/dev/null || missing+=("desktop-file-validate (desktop-file-utils)")
command -v appstreamcli >/dev/null || missing+=("appstreamcli (appstream)")
if [ "${#missing[@]}" -gt 0 ]; then
  echo "SKIPPED: not installed: ${missing[*]}; bash scripts/setup.sh installs them"
  exit 77
fi

status=0
# desktop-file-validate exits 0 on warnings; a warning is a fault here too (hints are not).
report=$(desktop-file-validate "$dir/qsp.desktop" 2>&1) || status=1
if grep -qE 'error|warning' <<<"$report"; then status=1; fi
[ -z "$report" ] || echo "$report"
appstreamcli validate --strict --no-net --no-color "$metainfo" || status=1
exit "$status"
