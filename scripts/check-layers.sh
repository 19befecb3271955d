#!/usr/bin/env bash
# Keeps the layers of src/ in one order: a file includes headers of its own layer or of the layers
# below it, never of one above. From the bottom:
#   serial < settings < download < datafile < analysis < export < session < library < viewer
#   < language < cli < ui < app
# (analysis: figures computed from a run, beyond its summary; export: a run written in other
# tools' formats; library: the runs kept and found again, below the viewer, the command line and
# the window that use it; the language unit chooses the interface's language and installs its catalogues for the shells
# above it; the viewer and the command line are shells beside the window; the command line opens the
# viewer for `view` and `report`, the window never runs a command). Headers of no layer, such as
# the generated version/Version.h, may be included anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(serial settings download datafile analysis export session library viewer language cli ui app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

status=0
for layer in "${layers[@]}"; do
    [[ -d src/$layer ]] || continue  # a layer whose folder does not exist yet
    while IFS=: read -r file line include; do
        target=${include#*\"}
        target=${target%%/*}
        [[ -n ${rank[$target]+set} ]] || continue
        if (( ${rank[$target]} > ${rank[$layer]} )); then
            echo "$file:$line: $layer includes $target, a layer above it:${include#*#}" >&2
            status=1
        fi
    done < <(grep -n '^#include "' -r "src/$layer" --include='*.h' --include='*.cpp' || true)
done
for folder in src/*/; do
    name=$(basename "$folder")
    [[ -n ${rank[$name]+set} ]] || { echo "check-layers: src/$name is in no layer" >&2; status=1; }
done
if ((status == 0)); then echo "check-layers: every include runs down (${layers[*]})"; fi
exit $status
