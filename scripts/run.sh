#!/usr/bin/env bash
# Builds Kinora and runs it: in a window when there is a display, otherwise
# a headless demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kinora

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/kinora "$@"
fi
echo "No display: running the headless demo (File > New, save, play, screenshots)."
mkdir -p demo
rm -f demo/MovieFile.mov demo/*.png demo/sound.wav
(cd demo && ../build/kinora --headless --script ../scripts/demo.kscript --record-audio sound.wav "$@")
echo "Wrote demo/MovieFile.mov and the screenshots demo/new-movie.png, demo/playing.png, demo/played.png, and what it played in demo/sound.wav"
