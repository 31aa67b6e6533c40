#!/usr/bin/env bash
# Checksums of everything the music player renders, to show that a change
# of structure leaves every sound bit-identical: run it before and after and
# compare the two outputs line by line (diff).
#
# usage: scripts/sound_checksums.sh [BIN_DIR [DATA_DIR]]
#   BIN_DIR   where varnek-modrender and varnek-render are (default build/bin)
#   DATA_DIR  the generated data (default build/data; its phased.mod is one
#             of the MODs)
#
# The modules come from the machine, never from the repository: every S3M,
# XM and IT file under /usr/share (games' data packages such as njam-data,
# penguin-command, pingus-data, bomberclone-data) and every MOD there, each
# recognised by its signature rather than its name. Each is rendered once
# through on both mixing paths. A module set that is not installed is
# skipped with a note, so the output of two runs on one machine compares.
#
# Output: one line per render, "sha256  path  file", sorted by file, then the
# demo's WAV sha256 and frames hash.
set -u
BIN=${1:-build/bin}
DATA=${2:-build/data}
SEARCH=${SOUND_CHECKSUMS_SEARCH:-/usr/share}
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

# $3 bytes of file $1 from offset $2, anything but letters, digits, "!", "&",
# "." and " " shown as "?".
bytes() {
    dd if="$1" bs=1 skip="$2" count="$3" 2>/dev/null | tr -c 'A-Za-z0-9!&. :' '?'
}

# The signature at the offset each format keeps it.
format_of() {
    local f=$1
    if [ "$(bytes "$f" 0 17)" = "Extended Module: " ]; then echo xm; return; fi
    if [ "$(bytes "$f" 0 4)" = "IMPM" ]; then echo it; return; fi
    if [ "$(bytes "$f" 44 4)" = "SCRM" ]; then echo s3m; return; fi
    local tag
    tag=$(bytes "$f" 1080 4)
    case "$tag" in
        M.K.|M!K!|M\&K!|FLT4|FLT8|?CHN|??CH|CD81|OKTA|OCTA|TDZ?) echo mod ;;
    esac
}

modules=()
while IFS= read -r f; do
    [ -n "$(format_of "$f")" ] && modules+=("$f")
done < <(find "$SEARCH" -type f \( -iname '*.s3m' -o -iname '*.xm' -o -iname '*.it' -o -iname '*.mod' \) \
             -size +1k 2>/dev/null | sort)
[ -f "$DATA/phased.mod" ] && modules+=("$DATA/phased.mod")

for set in njam penguin-command pingus bomberclone tecnoballz; do
    ls "$SEARCH"/games/"$set" >/dev/null 2>&1 || echo "# note: $SEARCH/games/$set is not installed; its modules are skipped" >&2
done

count_mod=0
for f in "${modules[@]}"; do
    fmt=$(format_of "$f")
    [ "$fmt" = mod ] && count_mod=$((count_mod + 1))
    for path in integer float; do
        wav="$OUT/out.wav"
        if "$BIN/varnek-modrender" "--$path" "$f" "$wav" >"$OUT/log" 2>&1; then
            sum=$(sha256sum "$wav" | cut -d' ' -f1)
        else
            sum="failed:$(tail -n 1 "$OUT/log")"
        fi
        printf '%s  %-7s  %s\n' "$sum" "$path" "$f"
        rm -f "$wav"
    done
done
echo "# ${#modules[@]} modules, $count_mod of them MODs" >&2

demo="$OUT/demo.wav"
frames=$("$BIN/varnek-render" --data "$DATA" --wav "$demo" 2>&1 | grep -io 'frames hash[^0-9a-f]*[0-9a-f]*' | tail -n 1)
if [ -f "$demo" ]; then
    printf '%s  %-7s  %s\n' "$(sha256sum "$demo" | cut -d' ' -f1)" demo "demo WAV"
fi
printf '%s  %-7s  %s\n' "${frames##* }" demo "demo frames hash"
