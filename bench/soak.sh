#!/usr/bin/env bash
# Hours of use in minutes: the application run headless through many cycles
# of the everyday work, then through two virtual hours of looping playback.
#
#   SOAK_CYCLES=N bench/soak.sh     (default 500)
#
# A cycle, on the movie File > New makes and again on an H.264 + AAC movie
# (B-frames, edit lists): open, play two seconds, select with a shift-click
# in the time slider, cut, paste twice, undo, Save, Save As over a copy
# (Replace), close; the next cycle works on the copies, saved back over the
# movies. The movies keep their length cycle after cycle. The
# cycles run in the release build (build/, resident memory sampled from
# outside at each cycle's end) and again, SOAK_ASAN_CYCLES of them (default
# SOAK_CYCLES), in the ASan + UBSan build (build-asan/, configured as
# scripts/test.sh does) with leak detection. Then a 1920x1080 movie with
# sound that asks to loop plays for SOAK_LOOP_MINUTES virtual minutes
# (default 120; 0 skips it) with its sound recorded; the recording must
# repeat the movie's sound pass after pass with nothing lost or repeated
# (bench/soak_tool.py compares the passes). Everything
# happens in a folder of its own under $TMPDIR, removed afterwards. Prints
# NAME VALUE lines:
#   soak-cycles, soak-asan-cycles       the cycles run
#   soak-rss-cycle50-mb, soak-rss-final-mb, soak-rss-growth-mb
#                                       resident memory after cycle 50 and
#                                       after the last (release build)
#   soak-asan-errors                    sanitizer reports (leaks included)
#   loop-rss-growth-mb                  resident memory after the loop's end
#                                       minus after its 10th virtual minute
#   loop-passes, loop-audio-gaps, loop-audio-repeats
#   soak-seconds                        the wall-clock time of it all
# and then what bench/soak-windows.sh prints, when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cycles=${SOAK_CYCLES:-500}
asan_cycles=${SOAK_ASAN_CYCLES:-$cycles}
loop_minutes=${SOAK_LOOP_MINUTES:-120}
build=${BUILD:-build}
asan_build=${ASAN_BUILD:-build-asan}
tool="python3 $root/bench/soak_tool.py"
(( cycles >= 1 && asan_cycles >= 0 && loop_minutes >= 0 )) || { echo "soak: SOAK_CYCLES must be 1 or more" >&2; exit 1; }
for t in ffmpeg ffprobe python3; do
  command -v $t >/dev/null || { echo "$t is not installed" >&2; exit 1; }
done
began=$(date +%s.%N)

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
fi
cmake --build "$build" -j2 --target kinora >/dev/null
if (( asan_cycles > 0 )); then
  if [[ ! -f $asan_build/CMakeCache.txt ]]; then
    cmake -S . -B "$asan_build" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS_DEBUG="-gline-tables-only" -DCMAKE_C_FLAGS_DEBUG="-gline-tables-only" \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKINORA_SANITIZE=ON -DKINORA_BENCH=OFF >/dev/null
  fi
  cmake --build "$asan_build" -j2 --target kinora >/dev/null
fi
kinora=$root/$build/kinora
asan_kinora=$root/$asan_build/kinora

dir=$(mktemp -d "${TMPDIR:-/tmp}/kinora-soak-XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir"
# Preferences and the single-instance socket stay in the soak's folder.
export XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir/run
mkdir -m 700 -p config run movies

# ------------------------------------------------------------------ movies
printf '%s\n' 'menu "File" "New"' 'key cmd+a' 'type "new.mov"' 'key return' 'wait 300' \
  'expect window "new.mov"' 'menu "File" "Close"' >movies/new.kscript
(cd movies && "$kinora" --headless --script new.kscript --timeout 120)
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=25 \
  -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 8 \
  -c:v libx264 -preset ultrafast -bf 2 -g 25 -pix_fmt yuv420p -c:a aac movies/h264.mov
# The looping movie: five pictures a second keep two hours of 1080p quick
# to decode; its sound is two sweeps (no pass of it looks like another part
# of itself) at the rate the headless device is set to, so the recording
# holds the movie's samples one for one.
ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=5 \
  -f lavfi -i "aevalsrc=sin(2*PI*(100*t+15*t*t))|0.8*sin(2*PI*(300*t+40*t*t)):s=8000:d=10" -t 10 \
  -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p -c:a aac -b:a 64k -f mov movies/loop.mov
$tool set-loop movies/loop.mov

# ------------------------------------------------------------------ cycles
# One cycle on the movie FROM, whose controller bar's middle is at BAR_Y,
# saved as TO. Cycles go from each movie to its copy and back: every cycle
# opens what Save As flattened the cycle before, so the samples the pastes
# add to a movie's media (which Save keeps) do not pile up cycle after
# cycle, and the memory measured is the application's, not the movie's.
cycle() {
  local name=$1 copy=$2 bar=$3
  cat <<EOF
odoc $name
expect front "$name"
key space
wait 2000
key space
click "$name" 100 $bar
shift+click "$name" 160 $bar
menu "Edit" "Cut"
menu "Edit" "Paste"
menu "Edit" "Paste"
menu "Edit" "Undo"
menu "File" "Save"
menu "File" "Save As"
key cmd+a
type "$copy"
key return
expect dialog "already exists"
button "Replace"
expect front "$copy"
menu "File" "Close"
expect no-window "$copy"
EOF
}
script_of() {
  local n=$1 i
  for (( i = 1; i <= n; i++ )); do
    if (( i % 2 )); then
      cycle new.mov new-copy.mov 108
      cycle h264.mov h264-copy.mov 248
    else
      cycle new-copy.mov new.mov 108
      cycle h264-copy.mov h264.mov 248
    fi
    echo "screenshot marks/$i.png"
  done
}

# Runs N cycles in a fresh folder with the given program; the memory log
# goes to $run/rss.
run_cycles() {
  local n=$1 program=$2
  run=$dir/run-$3
  mkdir -p "$run/marks"
  cp movies/new.mov movies/h264.mov "$run/"
  cp movies/new.mov "$run/new-copy.mov"
  cp movies/h264.mov "$run/h264-copy.mov"
  script_of "$n" >"$run/cycles.kscript"
  (cd "$run" && $tool watch marks rss -- "$program" --headless --script cycles.kscript --timeout 86400)
}

mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
rss_at() { awk -v n="$1" '$1 == n { print $2 }' "$2"; }

echo "soak: $cycles cycles (release)" >&2
status=0
run_cycles "$cycles" "$kinora" release 2>"$dir/release.log" || status=$?
if (( status != 0 )); then
  echo "soak: the release run failed ($status):" >&2
  tail -20 "$dir/release.log" >&2
  exit 1
fi
done_cycles=$(wc -l <"$run/rss")
echo "soak-cycles $done_cycles"
at50=$(rss_at $(( cycles < 50 ? cycles : 50 )) "$run/rss")
final=$(rss_at "$done_cycles" "$run/rss")
echo "soak-rss-cycle50-mb $(mb "$at50")"
echo "soak-rss-final-mb $(mb "$final")"
echo "soak-rss-growth-mb $(mb $(( final - at50 )))"
# What the cycles leave: both movies still read to ffprobe at their length.
for f in new.mov h264.mov new-copy.mov h264-copy.mov; do
  d=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$run/$f")
  echo "soak: $f $(stat -c %s "$run/$f") bytes, $d s" >&2
done

if (( asan_cycles > 0 )); then
  echo "soak: $asan_cycles cycles (ASan + UBSan)" >&2
  status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_cycles "$asan_cycles" "$asan_kinora" asan 2>"$dir/asan.log" || status=$?
  errors=$(grep -c -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir/asan.log" || true)
  if (( status != 0 && errors == 0 )); then errors=1; fi
  (( errors == 0 )) || { echo "soak: the ASan run ended with $status:" >&2; grep -v '^kinora: ' "$dir/asan.log" | head -60 >&2; }
  echo "soak-asan-cycles $(wc -l <"$run/rss")"
  echo "soak-asan-errors $errors"
fi

# ------------------------------------------------------------------- loop
if (( loop_minutes > 0 )); then
  echo "soak: $loop_minutes virtual minutes of looping playback" >&2
  run=$dir/run-loop
  mkdir -p "$run/marks"
  cp movies/loop.mov "$run/"
  {
    echo 'odoc loop.mov'
    echo 'expect front "loop.mov"'
    echo 'key space'
    left=$(( loop_minutes * 60000 ))
    first=$(( left < 600000 ? left : 600000 ))
    echo "wait $first"
    echo 'screenshot marks/1.png'
    left=$(( left - first ))
    while (( left > 0 )); do
      w=$(( left < 3600000 ? left : 3600000 ))
      echo "wait $w"
      left=$(( left - w ))
    done
    echo 'screenshot marks/2.png'
  } >"$run/loop.kscript"
  status=0
  (cd "$run" && KINORA_HEADLESS_AUDIO_RATE=8000 $tool watch marks rss -- "$kinora" --headless \
    --script loop.kscript --record-audio heard.wav --timeout 86400) 2>"$dir/loop.log" || status=$?
  (( status == 0 )) || { echo "soak: the loop run failed ($status):" >&2; tail -20 "$dir/loop.log" >&2; exit 1; }
  echo "loop-rss-growth-mb $(mb $(( $(rss_at 2 "$run/rss") - $(rss_at 1 "$run/rss") )))"
  ffmpeg -nostdin -v error -y -i "$run/loop.mov" -vn -f s16le -ac 2 -ar 8000 "$run/sound.raw"
  pass=$(( $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$run/loop.mov" | awk '{ printf "%d", $1 * 8000 + 0.5 }') ))
  $tool loop-audio "$run/heard.wav" "$run/sound.raw" "$pass"
  rm -f "$run/heard.wav"
fi

echo "soak-seconds $(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%.0f", b - a }')"
cd "$root"
[ -x bench/soak-windows.sh ] && bench/soak-windows.sh
exit 0
