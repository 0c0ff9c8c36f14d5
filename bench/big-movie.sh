#!/usr/bin/env bash
# A movie past 4 GiB (64-bit chunk offsets): open, save in place, flatten.
#
#   bench/big-movie.sh [GIB]   (default 4.5)
#
# The movie is a short 1280x720 H.264 + AAC clip stream-copied by ffmpeg
# many times over (-stream_loop), in a folder of its own under $TMPDIR,
# removed afterwards. Skipped (exit 0, a note on stderr) when the disk has
# less than twice its size free. Prints NAME VALUE lines, in seconds:
#   big-movie-bytes           the movie's size
#   big-movie-open-seconds    build/movdump --tracks (OpenMovieFile + NewMovieFromFile)
#   ffprobe-open-seconds      ffprobe -v error -show_streams on the same file
#   big-movie-save-seconds    a change saved in place (UpdateMovieResource)
#   big-movie-flatten-seconds Save As into a new file (FlattenMovieData, synced)
set -euo pipefail
cd "$(dirname "$0")/.."
gib=${1:-4.5}
build=${BUILD:-build}
for tool in ffmpeg ffprobe; do
  command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/kinora-big-XXXXXX")
trap 'rm -rf "$dir"' EXIT
want=$(awk -v g="$gib" 'BEGIN{ printf "%d", g * 2 * 1024 * 1024 }')   # KiB: the movie and its flattened copy
free=$(df -Pk "$dir" | awk 'NR == 2 { print $4 }')
if (( free < want + 1024 * 1024 )); then
  echo "big-movie: skipped, ${free} KiB free in $dir, ${want} KiB needed" >&2
  exit 0
fi

cmake -S . -B "$build" -DKINORA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target flatten_bench movdump >/dev/null

# A 10 s clip of noise (so it stays large) at a high bit rate, then as many
# loops of it as make the size asked for.
ffmpeg -nostdin -v error -y -f lavfi -i "nullsrc=s=1280x720:r=25:d=10,geq=random(1)*255:128:128" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=10" \
  -c:v libx264 -preset ultrafast -qp 20 -g 25 -c:a aac "$dir/clip.mp4"
clip=$(stat -c %s "$dir/clip.mp4")
loops=$(awk -v g="$gib" -v c="$clip" 'BEGIN{ printf "%d", g * 1024 * 1024 * 1024 / c }')
ffmpeg -nostdin -v error -y -stream_loop "$loops" -i "$dir/clip.mp4" -c copy -f mov "$dir/big.mov"
rm -f "$dir/clip.mp4"
bytes=$(stat -c %s "$dir/big.mov")
echo "big-movie-bytes $bytes"
(( bytes > 4 * 1024 * 1024 * 1024 )) || { echo "big-movie: only $bytes bytes made" >&2; exit 1; }

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); awk -v a="$s" -v b="$e" 'BEGIN{ printf "%.3f", b - a }'; }
sync
echo "big-movie-open-seconds $(seconds "$build/movdump" --tracks "$dir/big.mov")"
echo "ffprobe-open-seconds $(seconds ffprobe -v error -show_streams "$dir/big.mov")"
echo "big-movie-save-seconds $("$build/bench/flatten_bench" save "$dir/big.mov")"
echo "big-movie-flatten-seconds $("$build/bench/flatten_bench" flatten "$dir/big.mov" "$dir/flat.mov")"

# Both files still read as movies of the same length to ffprobe.
for f in big.mov flat.mov; do
  d=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$dir/$f")
  echo "ffprobe reads $f: $(stat -c %s "$dir/$f") bytes, ${d} s" >&2
done
[[ $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$dir/big.mov") == \
   $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$dir/flat.mov") ]] ||
  { echo "big-movie: the flattened copy's duration differs" >&2; exit 1; }
