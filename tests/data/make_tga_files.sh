#!/bin/sh
# Remakes the TGA test pictures in this folder from source.png with real TGA writers:
# Debian's ImageMagick 6.9 (/usr/bin/convert, package imagemagick) and Pillow (python3-pil).
# The tests read the committed files; run this only to check against a newer writer.
#
# source.png is 3 x 2 pixels (red, green, blue, alpha), top row first:
#   (255,0,0,255) (0,255,0,128) (0,0,255,64)
#   (10,20,30,40) (200,100,50,255) (1,2,3,4)
set -e
cd "$(dirname "$0")"
/usr/bin/python3 - <<'PY'
from PIL import Image
im = Image.new("RGBA", (3, 2))
im.putdata([(255, 0, 0, 255), (0, 255, 0, 128), (0, 0, 255, 64),
            (10, 20, 30, 40), (200, 100, 50, 255), (1, 2, 3, 4)])
im.save("source.png")
im.save("pillow-raw.tga")                        # type 2, bottom row first
im.save("pillow-rle.tga", compression="tga_rle")  # type 10, bottom row first
im.save("pillow-topleft.tga", orientation=1)     # type 2, top row first
PY
# ImageMagick 6.9 writes its rows top row first while the descriptor says bottom row first.
/usr/bin/convert source.png imagemagick-raw.tga
/usr/bin/convert source.png -compress RLE imagemagick-rle.tga
# With -orient TopLeft the descriptor and the rows agree: top row first.
/usr/bin/convert source.png -orient TopLeft imagemagick-topleft.tga
