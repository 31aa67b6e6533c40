#!/usr/bin/env bash
# Missing and damaged data: every file the demo reads is, in turn, removed,
# emptied, cut to half its size and cut inside its header. The headless demo
# must still end by itself within a bounded time, without a sanitizer report,
# with exit code 0 for a damaged file and 1 for a missing one (whose name and
# the data folder are then on standard error, once; a damaged file that names
# a file that is not there counts as that one missing), and show what is
# expected of that file: the music fails
# with one message box and the demo runs silent, a missing picture or mesh
# ends or skips its effect with a log line, a missing texture draws flat, a
# missing closing picture ends the engine thread before the first step.
#
# Only the step that reads the file is run (--steps), except for the music,
# which plays under the whole demo. ONLY=REGEX runs the files it matches.
set -uo pipefail
BUILD="$1"
RENDER="$BUILD/bin/varnek-render"
SOURCE="$BUILD/data"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
DATA="$WORK/data"
cp -r "$SOURCE" "$DATA"
DATA_REAL="$(realpath "$DATA")"
ALL=1,2,3,4,5,6,7,8
TITLE_FRAMES=210   # the fly-through's 3.5 s title pause at 60 frames per second

failures=0
cases=0
fail() { echo "FAIL: $CASE: $*"; failures=$((failures + 1)); }

# run STEPS [options...]: output in $OUT, errors in $ERR, exit code in $RC.
OUT="$WORK/out"; ERR="$WORK/err"
run() {
    local steps="$1"; shift
    timeout 120 "$RENDER" --data "$DATA" --log --steps "$steps" "$@" </dev/null >"$OUT" 2>"$ERR"
    RC=$?
}
# Step lines may follow the mesh reader's progress text on the same line.
frames() { grep -ao "step $1 [a-z0-9]*: [0-9]* frames" "$OUT" | sed 's/.*: \([0-9]*\) frames/\1/'; }
video() { grep -a '^video:' "$OUT" | sed 's/video: \([0-9]*\).*/\1/'; }
# Log lines too may follow the mesh reader's progress text.
logged() {
    local n
    n=$(sed -n 's/.*\(log: \)/\1/p' "$OUT" | grep -acxF "log: $1")
    [ "${n:-0}" -gt 0 ] || fail "no log line '$1'"
}
between() {   # between WHAT VALUE LOW HIGH
    [ -n "$2" ] && [ "$2" -ge "$3" ] && [ "$2" -le "$4" ] || fail "$1: expected $3..$4, got '${2:-none}'"
}
message_boxes() { grep -ac '^\[message box\]' "$ERR"; }

# What every run must show: a normal end, nothing from the sanitizers, and
# the step lines of the whole timeline in order (none when the engine thread
# could not start).
check_common() {
    local want_steps="$1"
    [ "$RC" = 124 ] && fail "did not end within 120 s"
    local named
    named=$(grep -ac 'missing data file' "$ERR")
    if [ "$variant" = missing ]; then
        [ "$RC" = 1 ] || fail "exit code $RC, expected 1 for a missing file"
        [ "$named" = 1 ] || fail "$named lines name a missing file, expected 1"
        grep -aqxF "varnek-render: missing data file $file (looked in $DATA_REAL)" "$ERR" ||
            fail "no line naming $file and $DATA_REAL on stderr: $(grep -a 'missing data file' "$ERR")"
    elif [ "$named" = 0 ]; then
        [ "$RC" = 0 ] || fail "exit code $RC"
    else
        # A damaged file may name another that is not there (a settings file
        # cut inside a file name): that one is missing, and the run fails.
        [ "$RC" = 1 ] || fail "exit code $RC, expected 1 with a file named missing"
        local name
        while read -r name; do
            [ ! -e "$SOURCE/$name" ] || fail "a file of the data named missing: $name"
        done < <(sed -n 's/^varnek-render: missing data file \(.*\) (looked in .*/\1/p' "$ERR")
    fi
    if grep -aq 'AddressSanitizer\|LeakSanitizer\|runtime error' "$ERR"; then
        fail "sanitizer report"; grep -a -m5 'ERROR\|runtime error\|#[0-4] ' "$ERR"
    fi
    grep -aq '^total: [0-9]* frames' "$OUT" || fail "no total line"
    local steps
    steps="$(grep -ao 'step [0-9] [a-z0-9]*:' "$OUT" | tr -d : | tr '\n' ' ')"
    if [ "$want_steps" = yes ]; then
        [ "$steps" = "step 1 sand step 2 credits step 3 tunnel step 4 scene3ds step 5 raytracer step 6 flythrough step 7 greetings1 step 8 greetings0 " ] ||
            fail "step lines: '$steps'"
    else
        [ -z "$steps" ] || fail "step lines where none were expected: '$steps'"
    fi
}

# damage FILE VARIANT HEADER_BYTES
damage() {
    local file="$DATA/$1"
    case "$2" in
    missing) rm -f "$file" ;;
    empty) : >"$file" ;;
    half) truncate -s $(($(stat -c %s "$SOURCE/$1") / 2)) "$file" ;;
    header) truncate -s "$3" "$file" ;;
    esac
}

# The intact data once: the frame counts every damaged run is measured by.
CASE="intact data"
variant=intact
run "$ALL"
check_common yes
BASE_1=$(frames 1)
BASE_6=$(frames 6)
BASE_HASH="$(grep -a '^frames hash' "$OUT")"
[ "$(message_boxes)" = 0 ] || fail "message box with intact data"

# expect_KIND FILE VARIANT: runs the case and checks what is particular to it.
expect_music() {
    local loud
    if [ "$2" = half ]; then
        # The samples cut short keep what is there: the module still loads.
        run "$ALL" --wav "$WORK/sound.wav"
        [ "$(message_boxes)" = 0 ] || fail "message box for a module that loads"
        loud=$(tail -c +45 "$WORK/sound.wav" | tr -d '\000' | wc -c)
        [ "$loud" -gt 0 ] || fail "the module that loads plays nothing"
    else
        run "$ALL" --wav "$WORK/sound.wav"
        [ "$(message_boxes)" = 1 ] || fail "expected one message box, got $(message_boxes)"
        grep -aqxF '[message box] Error en musica: Error al cargar la musica' "$ERR" ||
            fail "no 'Error al cargar la musica' box"
        [ -s "$WORK/sound.wav" ] || fail "no sound written"
        loud=$(tail -c +45 "$WORK/sound.wav" | tr -d '\000' | wc -c)
        [ "$loud" = 0 ] || fail "the demo is not silent: $loud non-zero bytes"
    fi
    rm -f "$WORK/sound.wav"
    check_common yes
    # The pictures do not depend on the music.
    [ "$(grep -a '^frames hash' "$OUT")" = "$BASE_HASH" ] || fail "pictures differ from the intact run"
}

expect_mesh() {   # the fly-through's terrain
    run 6
    check_common yes
    between "fly-through frames (the title at most)" "$(frames 6)" 0 1
    between "video frames (the title pause)" "$(video)" "$TITLE_FRAMES" $((TITLE_FRAMES + 5))
    logged "No se pudo cargar la malla PLAYApr.MAC"
    if [ "$2" = missing ]; then
        grep -aqF "Fichero PLAYApr.MAC no se pudo abrir" "$ERR" || fail "no reader line on stderr"
    else
        grep -aqF "Error al leer en PLAYApr.MAC" "$ERR" || fail "no reader line on stderr"
    fi
}

# A slot of the renderer: drawn flat, the flight goes on. Every frame draws
# every texture many times over, so Space ends the flight after 60 frames.
echo "$((1 + 60)) space" >"$WORK/skip.keys"
expect_terrain_texture() {
    run 6 --keys "$WORK/skip.keys"
    check_common yes
    between "fly-through frames (the title and 60 to Space)" "$(frames 6)" 61 63
    if [ "$2" = missing ]; then logged "Error al abrir fichero..."; else logged "Error al leer fichero..."; fi
}

expect_fly_title() {   # nothing is shown, the pause still happens
    run 6
    check_common yes
    between "fly-through frames" "$(frames 6)" $((BASE_6 - 1)) $((BASE_6 - 1))
    between "video frames" "$(video)" $((BASE_6 - 1 + TITLE_FRAMES)) $((BASE_6 + TITLE_FRAMES + 5))
}

expect_scene3ds() {   # any of its files: a log line and a clean end
    run 4
    check_common yes
    between "3DS scene frames" "$(frames 4)" 0 2
    local name=".\\${1//\//\\}"
    case "$1" in
    textures/*) logged "No se pudo cargar la textura $name" ;;
    meshes/*) logged "No se pudo cargar la malla $name" ;;
    *) logged "No se pudo cargar $name" ;;
    esac
}

expect_credits_font() {   # the screen runs without its text
    run 2
    check_common yes
    between "credits frames" "$(frames 2)" 599 599
    logged "No se pudo cargar la fuente asdfasdf.jdt"
}

expect_greetings_font() {
    run 7,8
    check_common yes
    [ "$(frames 7)/$(frames 8)" = 480/920 ] || fail "greetings frames $(frames 7)/$(frames 8), expected 480/920"
    logged "No se pudo cargar la fuente asdf.jdt"
}

expect_closing_picture() {   # the engine thread ends before the first step
    run "$ALL"
    check_common no
    grep -aqx 'total: 0 frames' "$OUT" || fail "frames were drawn"
    logged "No se pudo cargar zant\\theend.pcx"
}

expect_sand_script() {
    run 1
    check_common yes
    case "$2" in
    missing) between "sand frames (set-up only)" "$(frames 1)" 0 2; logged "No se pudo abrir arenadat\\arena.scr" ;;
    half) between "sand frames (the first half of the script)" "$(frames 1)" 4 $((BASE_1 - 1)) ;;
    *) between "sand frames (no command)" "$(frames 1)" 0 3 ;;
    esac
}

expect_sand_palette() {
    run 1
    check_common yes
    if [ "$2" = half ]; then
        # Only the last 768 bytes are read: other colours, the same run.
        between "sand frames" "$(frames 1)" "$BASE_1" "$BASE_1"
    else
        between "sand frames (set-up only)" "$(frames 1)" 0 2
        logged "No se pudo cargar arenadat\\paleta.pcx"
    fi
}

expect_sand_picture() {   # the command is skipped, the script goes on to its end
    run 1
    check_common yes
    between "sand frames" "$(frames 1)" $((BASE_1 / 2)) $((BASE_1 * 2))
    logged "No se pudo cargar arenadat\\$(basename "$1")"
}

# file | kind | bytes kept by the cut inside the header
TABLE="\
phased.mod|music|600
PLAYApr.MAC|mesh|12
texturas/mave0.bmp|terrain_texture|30
texturas/mave1.bmp|terrain_texture|30
texturas/mave2.bmp|terrain_texture|30
texturas/mave3.bmp|terrain_texture|30
texturas/mave4.bmp|terrain_texture|30
texturas/mave5.bmp|terrain_texture|30
texturas/mave6.bmp|terrain_texture|30
texturas/mave7.bmp|terrain_texture|30
texturas/3dpat1.bmp|terrain_texture|30
pantallazos/bicho.bmp|fly_title|30
pantallazos/goodbad.bmp|scene3ds|30
textures/psico.bmp|scene3ds|30
textures/water.bmp|scene3ds|30
textures/pink.bmp|scene3ds|30
textures/peo.bmp|scene3ds|30
meshes/faces2.3ds|scene3ds|10
meshes/torus3.3ds|scene3ds|10
asdfasdf.jdt|credits_font|45
asdfasdf.pcx|credits_font|64
asdf.jdt|greetings_font|45
asdf.pcx|greetings_font|64
zant/theend.pcx|closing_picture|64
arenadat/arena.scr|sand_script|100
arenadat/paleta.pcx|sand_palette|64
arenadat/dunas.pcx|sand_picture|64
arenadat/ocaso.pcx|sand_picture|64
arenadat/logo.pcx|sand_picture|64
arenadat/sol.pcx|sand_picture|64
arenadat/relieve.pcx|sand_picture|64
"

while IFS='|' read -r file kind header; do
    [ -n "$file" ] || continue
    [[ "$file" =~ ${ONLY:-.} ]] || continue
    [ -f "$SOURCE/$file" ] || { CASE="$file"; fail "not generated"; continue; }
    for variant in missing empty half header; do
        CASE="$file $variant"
        cases=$((cases + 1))
        damage "$file" "$variant" "$header"
        "expect_$kind" "$file" "$variant"
        cp "$SOURCE/$file" "$DATA/$file"
        echo "$CASE: exit $RC, steps $(grep -ao 'step [0-9] [a-z0-9]*: [0-9]*' "$OUT" | sed 's/step \([0-9]\) [a-z0-9]*: /\1=/' | tr '\n' ' ')"
    done
done <<<"$TABLE"

# Every generated file is in the table.
if [ -z "${ONLY:-}" ]; then
    CASE="file list"
    listed="$(echo "$TABLE" | cut -d'|' -f1 | grep . | sort)"
    generated="$(cd "$SOURCE" && find . -type f ! -name .generated | sed 's|^\./||' | sort)"
    [ "$listed" = "$generated" ] ||
        fail "data files not covered: $(comm -13 <(echo "$listed") <(echo "$generated") | tr '\n' ' ')"
fi

# The renderer copied where no data is: it looks in its current folder, then
# in data/ and share/varnek/ beside its own folder, names every file it asked
# for with the three folders, says where the data should be, and fails.
CASE="no data anywhere"
variant=none
mkdir -p "$WORK/alone/bin" "$WORK/alone/cwd"
cp "$RENDER" "$WORK/alone/bin/"
ALONE="$(realpath "$WORK/alone")"
(cd "$WORK/alone/cwd" && timeout 120 ../bin/varnek-render --every 100000 </dev/null >"$OUT" 2>"$ERR")
RC=$?
[ "$RC" = 1 ] || fail "exit code $RC, expected 1"
looked="(looked in $ALONE/cwd, $ALONE/data, $ALONE/share/varnek)"
for name in phased.mod asdfasdf.jdt asdf.jdt zant/theend.pcx; do
    grep -aqxF "varnek-render: missing data file $name $looked" "$ERR" || fail "no line for $name $looked"
done
grep -aq '^varnek-render: no data folder found' "$ERR" || fail "no line saying no data folder was found"
grep -aqxF '[message box] Error en musica: Error al cargar la musica' "$ERR" || fail "no 'Error al cargar la musica' box"
cases=$((cases + 1))

if [ "$failures" -ne 0 ]; then
    echo "missing data: $failures failures in $cases cases"
    exit 1
fi
echo "missing data: all $cases cases passed"
