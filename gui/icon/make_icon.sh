#!/usr/bin/env bash
# Builds kuv.ico (16 and 32 pixels) from the text art in kuv_icon.xpm with ImageMagick.
# Run it after changing the art and commit both files.
set -euo pipefail
cd "$(dirname "$0")"
convert kuv_icon.xpm -background none \( -clone 0 -scale 32x32 \) \( -clone 0 -scale 16x16 \) -delete 0 kuv.ico
