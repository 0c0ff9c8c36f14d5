#!/usr/bin/env bash
# Forty movie windows playing at once, headless on the virtual clock.
#
#   bench/soak-windows.sh [SECONDS] [CHANGED]   (default 5 s of play, 8 changed windows;
#                                               SECONDS 1 to 6: the New command's movie lasts 7 s)
#
# Makes its movies in a folder of its own: the New command's movie (a
# headless File > New) and, made by ffmpeg, H.264 + AAC, HEVC + AAC, ProRes
# + PCM and Motion JPEG + PCM movies, all 320x240 at 30 frames a second.
# Forty copies of them (each its own document) are opened one after the
# other, each started with Space as it comes to the front, and all play for
# SECONDS of virtual time. Then the front window is changed (three frames
# before the current time selected with Shift-Left, which pauses it, cut,
# and played on with Space) and dragged aside, the next one brought to the
# front and changed, CHANGED times; after another second Kinora is quit: the
# script answers "Don't Save" to exactly one alert per changed window,
# naming it; an alert more or one fewer fails the run.
#
# The platform reports each movie's longest stretch of virtual time without
# a new frame while it played (KINORA_REPORT_FRAME_GAPS). Prints
#   windows-40-max-starve-ms N      the longest, over all windows (goal: <= 200)
#   windows-40-median-starve-ms N   the median of the windows' longest
#   windows-40-wall-seconds S       wall-clock time of the whole run
#   windows-40-cpu-seconds S        processor time it used (user + system):
#                                   the wall time grows with the machine's load
#   windows-40-rss-mb M             the process's peak resident memory
#   windows-40-quit-asks N          the save-changes alerts answered
# BUILD=build-asan runs the sanitizer build (leaks and errors end the run).
set -euo pipefail
cd "$(dirname "$0")/.."
play_s=${1:-5}
changed=${2:-8}
windows=40
build=${BUILD:-build}
kinora="$PWD/$build/kinora"

[ -x "$kinora" ] || cmake --build "$build" -j2 --target kinora >/dev/null
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed" >&2; exit 1; }
if [ "$play_s" -lt 1 ] || [ "$play_s" -gt 6 ]; then
  echo "play 1 to 6 seconds: the New command's movie ends at 7 s" >&2; exit 1
fi
if [ "$changed" -gt 12 ]; then
  echo "at most 12 changed windows fit beside the stack" >&2; exit 1
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

# --- the movies
src="testsrc2=size=320x240:rate=30:duration=12"
tone() { echo "sine=frequency=$1:duration=12"; }
ffmpeg -v error -f lavfi -i "$src" -f lavfi -i "$(tone 440)" -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
  -c:a aac -shortest h264.mov
ffmpeg -v error -f lavfi -i "$src" -f lavfi -i "$(tone 550)" -c:v libx265 -preset ultrafast -x265-params log-level=none \
  -pix_fmt yuv420p -tag:v hvc1 -c:a aac -shortest hevc.mov
ffmpeg -v error -f lavfi -i "$src" -f lavfi -i "$(tone 660)" -c:v prores_ks -profile:v 0 \
  -c:a pcm_s16le -shortest prores.mov
ffmpeg -v error -f lavfi -i "$src" -f lavfi -i "$(tone 770)" -c:v mjpeg -q:v 5 -pix_fmt yuvj420p \
  -c:a pcm_s16le -shortest mjpeg.mov
printf '%s\n' 'menu "File" "New"' 'key return' 'expect front "MovieFile.mov"' >new.kscript
"$kinora" --headless --script new.kscript --timeout 120 >/dev/null
[ -f MovieFile.mov ] || { echo "File > New made no movie" >&2; exit 1; }

sources=(MovieFile.mov h264.mov hevc.mov prores.mov mjpeg.mov)
names=()
for i in $(seq 1 $windows); do
  s=${sources[$((i % ${#sources[@]}))]}
  n=$(printf 'w%02d-%s' "$i" "$s")
  cp "$s" "$n"
  names+=("$n")
done

# --- the script. Every window opens at the same place, the last one in
# front. A changed window is dragged by its title bar to the right of the
# stack, uncovering the next, which a click on its title bar brings front.
{
  for n in "${names[@]}"; do
    echo "odoc $n"
    echo "expect front \"$n\""
    echo "key space"
  done
  echo "wait $((play_s * 1000))"
  for k in $(seq 0 $((changed - 1))); do
    n=${names[$((windows - 1 - k))]}
    [ "$k" -eq 0 ] || echo "click 200 40"
    echo "expect front \"$n\""
    echo "key shift+left"
    echo "key shift+left"
    echo "key shift+left"
    echo 'menu "Edit" "Cut"'
    echo "key space"
    echo "drag 200 40 $((560 + 30 * k)) $((40 + 30 * k))"
    echo "wait 100"
  done
  echo "wait 1000"
  echo 'menu "Kinora" "Quit Kinora"'
  # Closing goes front to back: the last changed window first.
  for k in $(seq $((changed - 1)) -1 0); do
    echo "expect dialog \"${names[$((windows - 1 - k))]}\""
    echo "button \"Don't Save\""
  done
} >windows.kscript

KINORA_REPORT_FRAME_GAPS="$dir/gaps.txt" /usr/bin/time -f "%e %U %S %M" -o "$dir/time" \
  "$kinora" --headless --script windows.kscript --timeout 1200 >"$dir/out" 2>&1 || {
  status=$?
  cat "$dir/out" >&2
  echo "the $windows-window run failed (exit status $status)" >&2
  exit 1
}

played=$(wc -l <gaps.txt)
[ "$played" -eq "$windows" ] || { echo "$played of $windows windows played" >&2; cat gaps.txt >&2; exit 1; }
# Every movie is at least 10 frames a second and plays longer than SECONDS:
# a window that stopped drawing early, without being starved, shows here.
short=$(awk -v least=$((play_s * 9)) '$2 < least' gaps.txt)
[ -z "$short" ] || { echo "windows that drew too few frames:" >&2; echo "$short" >&2; exit 1; }
read -r wall user sys rss_kib <"$dir/time"
echo "slowest windows (largest gap ms, new frames, movie):"
sort -k1,1nr gaps.txt | head -3 | sed 's/^/  /'
sort -n gaps.txt | awk '{ v[NR] = $1 } END { print "windows-40-max-starve-ms " v[NR];
  print "windows-40-median-starve-ms " (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
echo "windows-40-wall-seconds $wall"
awk -v u="$user" -v s="$sys" 'BEGIN { printf "windows-40-cpu-seconds %.2f\n", u + s }'
awk -v k="$rss_kib" 'BEGIN { printf "windows-40-rss-mb %.0f\n", k / 1024 }'
echo "windows-40-quit-asks $changed"
