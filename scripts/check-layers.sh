#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or of a
# sibling it must not know (README, "How the code is laid out"). Each folder
# of src/ may include its own headers and those of the folders listed for it.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [platform]="platform"
    [piperpc]="platform piperpc"
    [model]="platform model"
    [settings]="platform model settings"
    [assembly]="platform model assembly"
    [engine]="platform piperpc model assembly engine"
    [setup]="platform piperpc model settings assembly engine setup"
    [form]="platform piperpc model settings assembly engine setup form"
    [ui]="platform piperpc model settings assembly engine setup form ui"
    [apps]="platform piperpc model settings assembly engine setup form ui apps"
)

status=0
for folder in src/*/; do
    layer=$(basename "$folder")
    if [ -z "${allowed[$layer]+set}" ]; then
        echo "check-layers: src/$layer/ has no place in the layers; add it to scripts/check-layers.sh"
        status=1
        continue
    fi
    while IFS=: read -r file line included; do
        target=${included%%/*}
        case " ${allowed[$layer]} " in
            *" $target "*) ;;
            *) echo "$file:$line: $layer/ must not include $target/ (\"$included\")"; status=1 ;;
        esac
    done < <(grep -rnoE '#include "[a-z_]+/[^"]+"' "$folder" | sed -E 's/:#include "/:/; s/"$//')
done
[ "$status" = 0 ] && echo "check-layers: every include follows the layers"
exit "$status"
