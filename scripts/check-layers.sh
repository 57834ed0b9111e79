#!/usr/bin/env bash
# Keeps the floors of src/: each folder includes only itself and the folders listed before it
# below. Prints every include that reaches up (or into a folder missing from the list) and ends
# with status 1; status 0 when the floors hold. Run by CTest; by hand: scripts/check-layers.sh [SRC]
set -euo pipefail

src=${1:-"$(dirname "$0")/../src"}

# From the bottom up. The README's Layout table names them in the same order.
floors=(platform base sensors project link protocol graph session sync app collect qtcommon ui plotvane)

declare -A rank
for i in "${!floors[@]}"; do
    rank[${floors[$i]}]=$i
done

status=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if [[ -z ${rank[$folder]+set} ]]; then
        echo "src/$folder/ has no place in the floors of $0" >&2
        status=1
        continue
    fi
    # Every quoted include whose path starts with a folder of src/.
    while IFS=: read -r file line target; do
        [[ -n ${rank[$target]+set} ]] || continue
        if ((rank[$target] > rank[$folder])); then
            echo "src/${file#"$src"/}:$line: $folder/ includes $target/, a floor above it" >&2
            status=1
        fi
    done < <(grep -rnoE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[A-Za-z0-9_]+/' "$dir" |
        sed -E 's@^([^:]*):([0-9]+):.*"([A-Za-z0-9_]+)/$@\1:\2:\3@')
done

if ((status == 0)); then
    echo "floors hold: ${floors[*]}"
fi
exit $status
