#!/usr/bin/env bash
# Renders the application icon's PNG sizes from packaging/icons/kinora.svg.
# The PNGs are committed, so building and installing never need the
# renderer; run this after changing the drawing (needs rsvg-convert, from
# Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }
for size in 48 128 256; do
    rsvg-convert -w "$size" -h "$size" kinora.svg -o "kinora-$size.png"
done
