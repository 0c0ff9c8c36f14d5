#!/usr/bin/env bash
# Playback: our Animation decoder against ffmpeg's (qtrle) on the same
# file, the headless player's frame rate, and the processor time of a real
# time play on the SDL host.
#
#   bench/playback-vs-ffmpeg.sh [FRAMES]   (default 40 frames of 1920x1080)
#
# Prints NAME VALUE lines:
#   rle-decode-ratio        our decoder's frames per second / ffmpeg's, decoding
#                           the same 1920x1080 32-bit Animation movie of key
#                           frames (goal >= 1)
#   playback-fps            frames per second the headless player reaches playing
#                           that movie as fast as it can, each frame decoded and
#                           drawn into a 32-bit world (goal >= 120)
#   playback-cpu-percent    processor time of the SDL host playing the new movie
#                           (320x100, 7 s, with its sound) in real time, in % of
#                           one core (goal < 10); the screen is the display's
#                           (1024x768 under Xvfb), shown pixel for pixel
#   playback-audio-driver   what played the sound in that run: "dummy" when there
#                           was no audio device and SDL's dummy driver kept time
#   playback-cpu-percent-400x200   the same with the screen (--screen) just
#                           large enough for the movie's window, shown pixel
#                           for pixel
#
# How the times are taken:
#  - ours: build/bench/playback_bench decode measures the processor time of
#    decoding every frame (already read into memory) into one 32-bit buffer,
#    best of three passes;
#  - ffmpeg's: `ffmpeg -benchmark -i same.mov -f null -` reports the user time
#    of the whole run; from it we take away the user time of the same run
#    with the frames copied instead of decoded (-c copy), which leaves the
#    decoder's own time. Each is the best of three runs.
#  - the SDL run is under Xvfb when there is no display.
# VERBOSE=1 also shows the raw figures on standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-40}
build=${BUILD:-build}

cmake -S . -B "$build" -DKINORA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target playback_bench playback_sdl_bench new_movie_bench >/dev/null
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/kinora-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT
say() { if [ -n "${VERBOSE:-}" ]; then echo "$@" >&2; fi; }
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# --- decoding
"$build/bench/playback_bench" make "$dir/hd.mov" 1920 1080 "$frames"
ours_fps=$("$build/bench/playback_bench" decode "$dir/hd.mov" | awk '$1 == "fps" { print $2 }')
ffmpeg_utime() {
  ffmpeg -nostdin -hide_banner -benchmark -i "$dir/hd.mov" "$@" -f null - 2>&1 |
    sed -n 's/.*bench: utime=\([0-9.]*\)s.*/\1/p'
}
decode_t="" copy_t=""
for _ in 1 2 3; do
  decode_t=$(min "$decode_t" "$(ffmpeg_utime)")
  copy_t=$(min "$copy_t" "$(ffmpeg_utime -c copy)")
done
their_fps=$(awk -v n="$frames" -v d="$decode_t" -v c="$copy_t" \
  'BEGIN { t = d - c; if (t <= 0) t = d; printf "%.1f", n / t }')
say "decoding $frames frames of 1920x1080: ours $ours_fps fps, ffmpeg $their_fps fps (utime $decode_t s, copying $copy_t s)"
awk -v a="$ours_fps" -v b="$their_fps" 'BEGIN { printf "rle-decode-ratio %.2f\n", a / b }'

# --- the headless player
play=$("$build/bench/playback_bench" play "$dir/hd.mov")
say "headless player: $(tr '\n' ' ' <<<"$play")"
played=$(awk '$1 == "frames" { print $2 }' <<<"$play")
[ "$played" = "$frames" ] || { echo "the player decoded $played of $frames frames" >&2; exit 1; }
awk '$1 == "fps" { printf "playback-fps %.1f\n", $2 }' <<<"$play"

# --- real time on the SDL host
"$build/bench/new_movie_bench" "$dir" 1 >/dev/null
# run_sdl [LAUNCH OPTIONS]: one real-time play, its report on standard output
run_sdl() {
  if [ -n "${DISPLAY:-}" ]; then
    "$build/bench/playback_sdl_bench" "$@" "$dir/new-movie.mov" 2>"$dir/sdl.log"
  else
    command -v xvfb-run >/dev/null || { echo "no display and no xvfb-run" >&2; exit 1; }
    xvfb-run -a -s "-screen 0 1024x768x24" "$build/bench/playback_sdl_bench" "$@" "$dir/new-movie.mov" 2>"$dir/sdl.log"
  fi
}
sdl=$(run_sdl)
say "SDL run: $(tr '\n' ' ' <<<"$sdl")"
grep -q '^host sdl' <<<"$sdl" || { echo "the SDL host did not start: $(cat "$dir/sdl.log")" >&2; exit 1; }
awk '$1 == "cpu-percent" { printf "playback-cpu-percent %.2f\n", $2 }' <<<"$sdl"
if grep -q '^audio SDL dummy' <<<"$sdl"; then
  echo "playback-audio-driver dummy"
else
  echo "playback-audio-driver $(sed -n 's/^audio SDL \([^,]*\),.*/\1/p' <<<"$sdl")"
fi
# The same on a screen just large enough for the window and not scaled:
# the difference is what scaling the window's changes costs.
small=$(run_sdl --screen 400x200)
say "SDL run, 400x200 screen: $(tr '\n' ' ' <<<"$small")"
awk '$1 == "cpu-percent" { printf "playback-cpu-percent-400x200 %.2f\n", $2 }' <<<"$small"
