#!/usr/bin/env bash
# Movie > Export against the ffmpeg program doing the same job, one run each:
# the same 1080p source (5 s of moving pictures at 30 fps as Photo-JPEG, and
# stereo 48 kHz sound), the same encoders and settings (libx264 preset
# medium, CRF 18, 4:2:0 BT.709 video range; AAC-LC at 192 kb/s) and the same
# layout (movie first).
#
#   bench/export-vs-ffmpeg.sh [SECONDS]   (default 5)
#   EXPORT_BENCH=PATH   another build's export_bench, to compare two builds
#
# Prints:
#   export-speed-ratio  ffmpeg's time over ours (above 1: we are faster)
#   export-size-ratio   our file's size over ffmpeg's (below 1: ours is smaller)
#   export-peak-rss-mb  our export's peak resident memory (/usr/bin/time -v)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
build=${BUILD:-build}

cmake -S . -B "$build" -DKINORA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target export_bench >/dev/null
exporter=${EXPORT_BENCH:-$build/bench/export_bench}
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed" >&2; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/kinora-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT

ffmpeg -hide_banner -nostdin -loglevel error -y \
  -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
  -c:v mjpeg -q:v 2 -pix_fmt yuvj420p -c:a pcm_s16be -ac 2 "$dir/source.mov"

now() { date +%s.%N; }

start=$(now)
ffmpeg -hide_banner -nostdin -loglevel error -y -i "$dir/source.mov" \
  -vf "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p" \
  -c:v libx264 -preset medium -crf 18 -color_primaries bt709 -color_trc bt709 -colorspace bt709 \
  -c:a aac -b:a 192k -movflags +faststart "$dir/ffmpeg.mp4"
peer=$(awk -v a="$start" -v b="$(now)" 'BEGIN{ print b - a }')

start=$(now)
/usr/bin/time -v -o "$dir/time.txt" "$exporter" "$dir/source.mov" "$dir/ours.mp4" >/dev/null
ours=$(awk -v a="$start" -v b="$(now)" 'BEGIN{ print b - a }')
peak_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$dir/time.txt")

ours_size=$(stat -c %s "$dir/ours.mp4")
peer_size=$(stat -c %s "$dir/ffmpeg.mp4")
echo "export of ${seconds} s of 1080p: ours ${ours} s, ${ours_size} bytes; ffmpeg ${peer} s, ${peer_size} bytes" >&2
awk -v a="$peer" -v b="$ours" 'BEGIN{ printf "export-speed-ratio %.2f\n", a / b }'
awk -v a="$ours_size" -v b="$peer_size" 'BEGIN{ printf "export-size-ratio %.3f\n", a / b }'
awk -v k="$peak_kb" 'BEGIN{ printf "export-peak-rss-mb %.0f\n", k / 1024 }'
