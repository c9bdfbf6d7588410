#!/usr/bin/env bash
# The folders under src/ form a stack, bottom to top. A file may include files of its own folder
# and of the folders below it, never of a folder above it. Prints each include that climbs and
# fails when there is one. Usage: include_layers_check.sh [SOURCE_DIR]
set -euo pipefail
root=${1:-$(dirname "$0")/..}
order=(base catalogue link editor workbench update app)

rank() {
  local i
  for i in "${!order[@]}"; do
    if [ "${order[$i]}" = "$1" ]; then echo "$i"; return; fi
  done
  echo -1
}

bad=0
for dir in "$root"/src/*/; do
  folder=$(basename "$dir")
  own=$(rank "$folder")
  if [ "$own" -lt 0 ]; then
    echo "src/$folder is not in the folder order of $0"; bad=1; continue
  fi
  while IFS=: read -r file line target; do
    up=$(rank "$target")
    if [ "$up" -lt 0 ]; then
      echo "${file#"$root"/}:$line includes $target/, a folder the order does not know"; bad=1
    elif [ "$up" -gt "$own" ]; then
      echo "${file#"$root"/}:$line: src/$folder includes $target/, which stands above it"; bad=1
    fi
  done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$dir" \
             --include='*.h' --include='*.cpp' |
           sed -E 's/^([^:]+):([0-9]+):.*"([a-z_]+)\/$/\1:\2:\3/')
done
if [ "$bad" -ne 0 ]; then
  echo "Folder order, bottom to top: ${order[*]}"
  exit 1
fi
echo "includes follow the folder order: ${order[*]}"
