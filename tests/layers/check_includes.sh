#!/usr/bin/env bash
# check_includes.sh ROOT - every source folder includes only its own headers
# and those of the layers below it. Linking each layer alone catches calls up
# the layers; this catches the headers (inline code, types) a link cannot see.
set -euo pipefail
cd "$1"

# The layers each folder builds on, as the top CMakeLists.txt links them.
declare -A below=(
  [base]=""
  [platform]="base"
  [sound]="base"
  [assets/jpeg]="base"
  [assets/l3ds]="base"
  [assets]="assets/jpeg assets/l3ds"
  [render]="assets platform"
  [settings]="platform"
  [game]="render sound settings"
  [replay]="game"
  [shell]="replay"
)

# Every layer under a folder, however deep.
reachable() {
  local layer
  for layer in ${below[$1]}; do
    echo "$layer"
    reachable "$layer"
  done
}

bad=0
for folder in "${!below[@]}"; do
  allowed=" $folder $(reachable "$folder" | sort -u | tr '\n' ' ') "
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    while IFS=: read -r line text; do
      included=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"(.*)\/[^/]*".*/\1/' <<<"$text")
      [ -n "${below[$included]+set}" ] || continue  # a system or generated header
      if [[ "$allowed" != *" $included "* ]]; then
        echo "$file:$line: $folder/ includes $included/, which is not below it: $text"
        bad=1
      fi
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+/[^"]+"' "$file" || true)
  done
done
# A folder of sources that the table does not know is a new layer to place.
for folder in $(git ls-files '*.cpp' '*.h' | grep -v -E '^(tests|fuzz|tools|bench|assets-src|packaging)/' | xargs -n1 dirname | sort -u); do
  if [ "$folder" != . ] && [ -z "${below[$folder]+set}" ]; then
    echo "$folder/: a source folder with no place among the layers (tests/layers/check_includes.sh)"
    bad=1
  fi
done
exit $bad
