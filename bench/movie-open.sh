#!/usr/bin/env bash
# How fast a movie of many samples opens: our reader (movdump --check reads,
# parses and validates the whole movie, sample table included) against
# ffprobe -show_streams on the same file. Best of several runs each.
#
#   bench/movie-open.sh [SAMPLES] [RUNS]      (default 1000000 samples, 5 runs)
#
# Prints the files' figures, then
#   open-speed-ratio R        ffprobe's time / ours (above 1: we are faster)
#   peak-memory-kib OURS FFPROBE
set -euo pipefail
cd "$(dirname "$0")/.."
samples=${1:-1000000}
runs=${2:-5}
build=${BUILD:-build}

if [ ! -x "$build/bench/moviegen" ] || [ ! -x "$build/movdump" ]; then
  cmake -S . -B "$build" -DKINORA_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target moviegen movdump >/dev/null
fi
command -v ffprobe >/dev/null || { echo "ffprobe is not installed" >&2; exit 1; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
movie="$dir/many-samples.mov"
"$build/bench/moviegen" "$movie" "$samples"
echo "movie: $samples samples, $(stat -c %s "$movie") bytes"

# best_of CMD...: prints "seconds max-rss-kib" of the fastest run.
best_of() {
  local best_t="" best_m=""
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %M" -o "$dir/t" "$@" >/dev/null 2>"$dir/err" || { cat "$dir/err" >&2; exit 1; }
    read -r t m <"$dir/t"
    if [ -z "$best_t" ] || awk -v a="$t" -v b="$best_t" 'BEGIN{exit !(a<b)}'; then best_t=$t; best_m=$m; fi
  done
  echo "$best_t $best_m"
}

read -r ours_t ours_m < <(best_of "$build/movdump" --check "$movie")
read -r peer_t peer_m < <(best_of ffprobe -v error -show_streams "$movie")
echo "movdump --check: ${ours_t} s, ${ours_m} KiB peak"
echo "ffprobe -show_streams: ${peer_t} s, ${peer_m} KiB peak"
awk -v a="$peer_t" -v b="$ours_t" 'BEGIN{ if (b <= 0) b = 0.005; printf "open-speed-ratio %.2f\n", a / b }'
echo "peak-memory-kib $ours_m $peer_m"
