#!/usr/bin/env bash
# check_includes.sh ROOT - every source folder includes only its own headers
# and those of the layers below it. The link of each layer alone catches calls
# up the layers; this catches the headers (inline code, types) that the link
# cannot see.
set -euo pipefail
cd "$1"

# Layer of each folder, lowest first. Folders of one layer may include each
# other's headers.
declare -A layer=([base]=0 [platform]=1 [assets]=2 [render]=2 [game]=2 [shell]=2)

bad=0
for folder in "${!layer[@]}"; do
  while IFS=: read -r file line text; do
    included=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^/"]+)\/.*/\1/' <<<"$text")
    [ "$included" = "$folder" ] && continue
    [ -n "${layer[$included]+set}" ] || continue  # a system or generated header
    if [ "${layer[$included]}" -gt "${layer[$folder]}" ]; then
      echo "$file:$line: $folder/ includes a layer above it: $text"
      bad=1
    fi
  done < <(grep -n -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^/"]+/' \
             "$folder"/*.cpp "$folder"/*.h 2>/dev/null || true)
done
exit $bad
