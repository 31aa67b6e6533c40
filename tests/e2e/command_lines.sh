#!/usr/bin/env bash
# Every program's command line: --help answers on standard output with 0,
# --version names the program and gives the one version all share, an
# unknown option or a missing argument is refused with the usage on standard
# error and 2, touching nothing, and "--" ends the options.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
BIN="$BUILD/bin"
README="$(cd "$(dirname "$0")/../.." && pwd)/README.md"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect CODE STREAM PROGRAM ARGS...: exit code CODE, "usage:" on STREAM
# (out or err) and nothing on the other one.
expect() {
    local code="$1" stream="$2" program="$3"
    shift 3
    timeout 20 "$BIN/$program" "$@" >out.txt 2>err.txt
    local rc=$?
    local what="$program $*"
    [ "$rc" -eq "$code" ] || fail "$what: exit code $rc, expected $code"
    local said=out.txt quiet=err.txt
    [ "$stream" = err ] && { said=err.txt; quiet=out.txt; }
    grep -q "^usage: $program" "$said" || fail "$what: no usage on std$stream"
    [ ! -s "$quiet" ] || fail "$what: unexpected output: $(head -2 "$quiet")"
}

versions=""
for program in varnek varnek-gen varnek-render varnek-modrender varnek-imgmatch varnek-play; do
    expect 0 out "$program" --help
    timeout 20 "$BIN/$program" --version >out.txt 2>err.txt
    [ $? -eq 0 ] && grep -q "^$program [0-9]" out.txt || fail "$program --version: $(cat out.txt err.txt)"
    versions="$versions$(sed "s/^$program //" out.txt)"$'\n'
    expect 2 err "$program" --no-such-option
    grep -Eq "^$program: unknown (option|argument) --no-such-option$" err.txt || fail "$program: the refusal does not say why: $(head -1 err.txt)"
done
[ "$(printf '%s' "$versions" | sort -u | wc -l)" -eq 1 ] || fail "the programs give different versions: $versions"
expect 2 err varnek stray
expect 2 err varnek-gen
expect 2 err varnek-gen a b
expect 2 err varnek-render --data
expect 2 err varnek-render --steps
expect 2 err varnek-render --steps 9
expect 2 err varnek-render --format 444
expect 2 err varnek-render --every 0
expect 2 err varnek-render stray
expect 2 err varnek-render --progress 0
expect 2 err varnek-render --only 5-3
expect 2 err varnek-modrender
expect 2 err varnek-modrender in.mod
expect 2 err varnek-modrender in.mod out.wav --seconds
expect 2 err varnek-modrender in.mod out.wav --loud
expect 2 err varnek-imgmatch shot.ppm
expect 2 err varnek-modrender -song.mod song.wav
expect 2 err varnek-play -song.mod
# varnek-render's --help and the README's table name the same options.
from_help=$("$BIN/varnek-render" --help | grep -o -- '--[a-z]*' | sort -u | tr '\n' ' ')
from_readme=$(grep '^| `varnek-render ' "$README" | grep -o -- '--[a-z]*' | sort -u | tr '\n' ' ')
[ "$from_help" = "$from_readme" ] || fail "varnek-render options: --help has '$from_help', the README '$from_readme'"
echo "$from_help" | grep -q -- '--video' || fail "varnek-render --help does not list --video"

# Nothing was written for any of them: no data set in a folder named
# after an option, no sound file.
[ -z "$(ls -A | grep -v -e '^out.txt$' -e '^err.txt$')" ] || fail "files left behind: $(ls -A)"


# After "--" a file whose name starts with '-' is a file, "-" alone standard output.
cp "$BUILD/data/phased.mod" ./-song.mod
timeout 60 "$BIN/varnek-modrender" --seconds 1 -- -song.mod -song.wav >out.txt 2>err.txt \
    || fail "varnek-modrender -- -song.mod -song.wav: $(cat err.txt)"
[ "$(stat -c %s -- -song.wav)" -eq $((44 + 44100 * 4)) ] || fail "-- -song.wav: not one second of WAV"
timeout 60 "$BIN/varnek-modrender" --seconds 1 -- -song.mod - 2>err.txt | tail -c +45 | cmp -s - <(tail -c +45 ./-song.wav) \
    || fail "varnek-modrender -- -song.mod -: standard output differs from the file (apart from the header)$(cat err.txt)"
timeout 60 "$BIN/varnek-play" --null --seconds 0.2 -- -song.mod >out.txt 2>err.txt \
    || fail "varnek-play -- -song.mod: $(cat err.txt)"

[ "$failures" -eq 0 ] || exit 1
echo "command lines: all checks passed"
