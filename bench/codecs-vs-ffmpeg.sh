#!/usr/bin/env bash
# Video through libavcodec: our players against ffmpeg decoding the same
# movies, side by side in one run.
#
#   bench/codecs-vs-ffmpeg.sh [REPEATS]   (default 3)
#
# Prints NAME VALUE lines:
#   h264-1080p-play-ratio  frames per processor-second of the headless player
#                          playing a 3 s 1920x1080 H.264 movie as fast as it
#                          can (each frame decoded, converted to 32 bits and
#                          drawn into the movie's world), over ffmpeg's
#                          decoding it to the same 32-bit format (goal >= 0.9)
#   hevc-1080p-play-ratio  the same for HEVC (goal >= 0.9)
#   seek-ms-median         random seeks of a stopped 1920x1080 H.264 movie
#                          with 250-frame groups of pictures, each until the
#                          frame of the new time is drawn: the median wall
#                          clock (goal <= 100); seek-cpu-ms-median is the
#                          processor time of the same seeks, and
#                          seek-ms-median-ffmpeg ffmpeg's wall clock for as
#                          many exact seeks (-ss before -i, one frame), its
#                          start-up included
#   play-1080p60-dropped   frames of a 3 s 1920x1080 60 fps H.264 movie never
#                          shown while the SDL host plays it in real time,
#                          pixel for pixel, under Xvfb when there is no
#                          display (goal 0); play-1080p60-dropped-headless
#                          is the same play on the headless host, where
#                          nothing is presented
#   rss-4k-hevc-mb         peak resident memory of the headless player playing
#                          a 2 s 3840x2160 HEVC movie, in MiB (goal <= 300)
#   load                   the machine's one-minute load average at the end
#
# How the times are taken: processor time (user + system, all threads) of
# the whole process from /usr/bin/time, ours
# `build/bench/video_play_bench play MOVIE`, theirs
# `ffmpeg -threads 2 -i MOVIE -pix_fmt bgra -f null -` (our decoder runs a
# frame thread per core: two here). Each repeat runs both one after the
# other and gives a ratio; the median ratio is printed. On a machine shared
# with other work the wall clock figures (seeks, real-time play) suffer
# most. VERBOSE=1 also shows the raw figures on standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
build=${BUILD:-build}

cmake -S . -B "$build" -DKINORA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target video_play_bench playback_sdl_bench >/dev/null
for tool in ffmpeg /usr/bin/time; do
  command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/kinora-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT
say() { if [ -n "${VERBOSE:-}" ]; then echo "$@" >&2; fi; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# --- the movies
encode() {   # encode OUT SIZE RATE SECONDS ENCODER OPTIONS...
  local out=$1 size=$2 rate=$3 seconds=$4
  shift 4
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc2=s=$size:r=$rate:d=$seconds" \
    -pix_fmt yuv420p "$@" "$dir/$out"
}
x265=(-c:v libx265 -preset ultrafast -x265-params log-level=error -tag:v hvc1)
encode h264.mov 1920x1080 30 3 -c:v libx264 -preset veryfast
encode hevc.mov 1920x1080 30 3 "${x265[@]}"
encode seek.mov 1920x1080 30 10 -c:v libx264 -preset veryfast -g 250 -keyint_min 250 -sc_threshold 0
encode p60.mov 1920x1080 60 3 -c:v libx264 -preset veryfast
encode 4k.mov 3840x2160 30 2 "${x265[@]}"

# cpu_of COMMAND...: user + system seconds of the command (its output in $dir/out)
cpu_of() {
  /usr/bin/time -f "%U %S" -o "$dir/time" "$@" >"$dir/out" 2>"$dir/err" || {
    echo "failed: $* $(cat "$dir/err")" >&2
    exit 1
  }
  awk '{ print $1 + $2 }' "$dir/time"
}

# --- playing against ffmpeg decoding
for codec in h264 hevc; do
  movie="$dir/$codec.mov"
  ratios=""
  for _ in $(seq "$repeats"); do
    ours_t=$(cpu_of "$build/bench/video_play_bench" play "$movie")
    frames=$(awk '$1 == "frames" { print $2 }' "$dir/out")
    samples=$(awk '$1 == "samples" { print $2 }' "$dir/out")
    [ "$frames" = "$samples" ] || { echo "$codec: the player showed $frames of $samples frames" >&2; exit 1; }
    their_t=$(cpu_of ffmpeg -nostdin -hide_banner -threads 2 -i "$movie" -pix_fmt bgra -f null -)
    ratio=$(awk -v a="$ours_t" -v b="$their_t" 'BEGIN { printf "%.3f", b / a }')
    say "$codec: $frames frames, ours $ours_t s, ffmpeg $their_t s of processor time: ratio $ratio"
    ratios="$ratios $ratio"
  done
  tr ' ' '\n' <<<"$ratios" | grep . | median | awk -v n="$codec" '{ printf "%s-1080p-play-ratio %.2f\n", n, $1 }'
done

# --- seeking
seek=$("$build/bench/video_play_bench" seek "$dir/seek.mov" 40)
say "seeks: $(tr '\n' ' ' <<<"$seek")"
if ! grep -q '^seek-wrong 0$' <<<"$seek"; then echo "some seeks showed the wrong frame: $seek" >&2; exit 1; fi
grep -E '^seek-(cpu-)?ms-median' <<<"$seek"
# ffmpeg seeking exactly (from the sync sample before) to as many random
# times, each run from its start to the frame converted: a reference, its
# own start-up included.
for i in $(seq 20); do
  t=$(awk -v i="$i" 'BEGIN { srand(i); printf "%.3f", rand() * 9.9 }')
  /usr/bin/time -f "%e" -o "$dir/time" ffmpeg -nostdin -v error -threads 2 -ss "$t" -i "$dir/seek.mov" -frames:v 1 \
    -pix_fmt bgra -f null - >/dev/null 2>&1
  awk '{ print $1 * 1000 }' "$dir/time"
done | median | awk '{ print "seek-ms-median-ffmpeg", $1 }'

# --- real time on the SDL host, the window pixel for pixel
if [ -n "${DISPLAY:-}" ]; then
  sdl=$("$build/bench/playback_sdl_bench" --screen 1980x1160 "$dir/p60.mov" 2>"$dir/sdl.log")
else
  command -v xvfb-run >/dev/null || { echo "no display and no xvfb-run" >&2; exit 1; }
  sdl=$(xvfb-run -a -s "-screen 0 2200x1320x24" "$build/bench/playback_sdl_bench" --screen 1980x1160 "$dir/p60.mov" \
    2>"$dir/sdl.log")
fi
say "SDL run: $(tr '\n' ' ' <<<"$sdl")"
grep -q '^host sdl' <<<"$sdl" || { echo "the SDL host did not start: $(cat "$dir/sdl.log")" >&2; exit 1; }
awk '$1 == "frames-dropped" { print "play-1080p60-dropped", $2 }' <<<"$sdl"
# The same real-time play on the headless host (real clock, nothing
# presented): what the decoding and drawing alone let through.
headless=$("$build/bench/playback_sdl_bench" --headless --screen 1980x1160 "$dir/p60.mov" 2>/dev/null)
awk '$1 == "frames-dropped" { print "play-1080p60-dropped-headless", $2 }' <<<"$headless"

# --- memory playing 4K
/usr/bin/time -f "%M" -o "$dir/time" "$build/bench/video_play_bench" play "$dir/4k.mov" >"$dir/out"
say "4K HEVC: $(tr '\n' ' ' <"$dir/out")"
awk '{ printf "rss-4k-hevc-mb %.0f\n", $1 / 1024 }' "$dir/time"
awk '{ print "load", $1 }' /proc/loadavg
