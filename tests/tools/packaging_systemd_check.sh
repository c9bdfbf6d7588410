#!/usr/bin/env bash
# The deploy service as systemd sees it: the unit template passes `systemd-analyze verify` for an
# instance, and its confinement rates OK or better in `systemd-analyze security --offline=true`.
# Usage: packaging_systemd_check.sh UNIT_TEMPLATE
set -euo pipefail
template=$1
command -v systemd-analyze >/dev/null || { echo "no systemd-analyze" >&2; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
unit=$dir/qspctl-deploy@shop.service
cp "$template" "$unit"
# The manual page is installed with the package only.
systemd-analyze verify --man=no "$unit"
rating=$(systemd-analyze security --offline=true --no-pager "$unit" 2>&1 | grep 'Overall exposure level')
echo "$rating"
grep -Eq ': [0-9.]+ (SAFE|OK)' <<<"$rating" || { echo "confinement rated worse than OK" >&2; exit 1; }
