#!/usr/bin/env bash
# The movie toolbox against ffmpeg doing comparable work, one run each.
#
#   bench/movies-vs-peers.sh [FLATTEN_MIB] [SAMPLES]   (default 1024 MiB, 1000000 samples)
#
# Prints one line per case, NAME VALUE (above 1: we are faster):
#   new-movie-speed-ratio     ffmpeg's own processing time (-benchmark rtime, start-up
#                             excluded) to make a 70-frame 320x100 qtrle + 8-bit PCM movie,
#                             over our in-process time to build the New command's movie
#                             (the fastest of 5 builds in one process after 3 to warm up:
#                             a build takes a few milliseconds, less than the time slices
#                             other processes on a busy machine take from it)
#   flatten-throughput-ratio  cp --reflink=never + sync of a FLATTEN_MIB movie, over our
#                             flatten of it (written, synced and renamed into place)
#   open-speed-ratio          ffprobe -v error -show_streams on a movie of SAMPLES samples,
#                             over build/movdump --tracks (OpenMovieFile + NewMovieFromFile)
#   peak-memory-kib OURS FFPROBE   of that open
set -euo pipefail
cd "$(dirname "$0")/.."
mib=${1:-1024}
samples=${2:-1000000}
build=${BUILD:-build}

cmake -S . -B "$build" -DKINORA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target new_movie_bench flatten_bench moviegen movdump >/dev/null
for tool in ffmpeg ffprobe; do
  command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/kinora-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT

# --- building the new movie
ours=$("$build/bench/new_movie_bench" "$dir" 5)
ffmpeg -hide_banner -nostdin -nostats -benchmark -y \
  -f lavfi -i "color=c=red:s=320x100:r=10:d=7,drawtext=text='%{n}':fontcolor=blue:fontsize=33:x=160:y=17" \
  -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=6.5" \
  -c:v qtrle -pix_fmt rgb24 -c:a pcm_u8 -ac 1 "$dir/ffmpeg.mov" 2>"$dir/ffmpeg.log"
peer=$(sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' "$dir/ffmpeg.log" | tail -1)
echo "new movie: ours ${ours} s, ffmpeg ${peer} s" >&2
awk -v a="$peer" -v b="$ours" 'BEGIN{ printf "new-movie-speed-ratio %.2f\n", a / b }'

# --- flattening a large movie
# Each side starts with nothing left to write back.
settle() { sync; sleep 3; }
"$build/bench/flatten_bench" make "$dir/big.mov" "$mib"
settle
ours=$("$build/bench/flatten_bench" flatten "$dir/big.mov" "$dir/flat.mov")
rm -f "$dir/flat.mov"
settle
start=$(date +%s.%N)
cp --reflink=never "$dir/big.mov" "$dir/copy.mov"
sync
end=$(date +%s.%N)
peer=$(awk -v a="$start" -v b="$end" 'BEGIN{ print b - a }')
echo "flatten of $(stat -c %s "$dir/big.mov") bytes: ours ${ours} s, cp + sync ${peer} s" >&2
awk -v a="$peer" -v b="$ours" 'BEGIN{ printf "flatten-throughput-ratio %.2f\n", a / b }'
rm -f "$dir/big.mov" "$dir/copy.mov"

# --- opening a movie of many samples
"$build/bench/moviegen" "$dir/many.mov" "$samples"
"$build/movdump" --tracks "$dir/many.mov" >/dev/null   # both read from the page cache
/usr/bin/time -f "%e %M" -o "$dir/t" "$build/movdump" --tracks "$dir/many.mov" >/dev/null
read -r ours_t ours_m <"$dir/t"
/usr/bin/time -f "%e %M" -o "$dir/t" ffprobe -v error -show_streams "$dir/many.mov" >/dev/null
read -r peer_t peer_m <"$dir/t"
echo "open of $samples samples: ours ${ours_t} s, ffprobe ${peer_t} s" >&2
awk -v a="$peer_t" -v b="$ours_t" 'BEGIN{ if (b <= 0) b = 0.005; printf "open-speed-ratio %.2f\n", a / b }'
echo "peak-memory-kib $ours_m $peer_m"
