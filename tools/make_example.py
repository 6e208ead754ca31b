#!/usr/bin/python3
"""Draws the example font's pictures and its script: examples/example.tga (the faces),
example-shadow.tga (the shadows) and example.tks.

The printable ASCII characters but the space are rendered from DejaVu Sans (Debian's
fonts-dejavu-core) with Pillow (python3-pil), which uses FreeType, into bands of 24
glyphs: white ink whose alpha is the coverage. A second picture of the same size holds
the same bands again in black, one pixel right and one pixel down of the faces' places:
the drop shadow.

  sudo apt-get install python3-pil fonts-dejavu-core
  tools/make_example.py

typekiln does not need any of this: the picture and the script are committed.
"""

import os
from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SIZE = 13
CHARACTERS = "".join(chr(c) for c in range(0x21, 0x7F))
PER_BAND = 24
SPACING = 3        # empty columns between two glyphs' ink
BAND_PITCH = 20    # rows from one band's top to the next
INK = 16           # coverage below this would store as 0: left out of the picture

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "examples")


def render(font, character, band_height):
    """The character's coverage as rows of numbers, cut to its ink columns."""
    canvas = Image.new("L", (4 * SIZE, band_height), 0)
    ImageDraw.Draw(canvas).text((SIZE, 0), character, font=font, fill=255)
    width = canvas.width
    data = list(canvas.getdata())
    rows = [[v if v >= INK else 0 for v in data[y * width:(y + 1) * width]]
            for y in range(band_height)]
    inked = [x for x in range(width) if any(row[x] for row in rows)]
    return [row[inked[0]:inked[-1] + 1] for row in rows]


def main():
    font = ImageFont.truetype(FONT, SIZE)
    ascent, descent = font.getmetrics()
    band_height = ascent + descent
    bands = [CHARACTERS[i:i + PER_BAND] for i in range(0, len(CHARACTERS), PER_BAND)]
    glyphs = {c: render(font, c, band_height) for c in CHARACTERS}
    width = max(sum(len(glyphs[c][0]) + SPACING for c in band) for band in bands) + 2
    height = len(bands) * BAND_PITCH
    # The shadows lie in their own picture at the faces' places, so that a face and its shadow
    # are grabbed at the same rows: the offset the font keeps, 1 column and 0 bands, is then
    # the one drawn, and no byte has to wrap.
    picture = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    shadow = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    pixels = picture.load()
    shadows = shadow.load()
    for b, band in enumerate(bands):
        x = 0
        for c in band:
            rows = glyphs[c]
            columns = len(rows[0])
            for y, row in enumerate(rows):
                for i, coverage in enumerate(row):
                    if coverage:
                        pixels[x + i, b * BAND_PITCH + y] = (255, 255, 255, coverage)
                        shadows[x + i + 1, b * BAND_PITCH + y + 1] = (0, 0, 0, coverage)
            # Strokes apart (as in '"') would be two glyphs: join them with ink that stores as
            # nothing, a coloured pixel with alpha 0, in the glyph's first inked row.
            first = next(y for y, row in enumerate(rows) if any(row))
            for i in range(columns):
                if not any(row[i] for row in rows):
                    pixels[x + i, b * BAND_PITCH + first] = (1, 1, 1, 0)
                    shadows[x + i + 1, b * BAND_PITCH + first + 1] = (1, 1, 1, 0)
            x += columns + SPACING
    picture.save(os.path.join(EXAMPLES, "example.tga"), compression="tga_rle")
    shadow.save(os.path.join(EXAMPLES, "example-shadow.tga"), compression="tga_rle")

    lines = [
        "# The example font: DejaVu Sans at %d pixels, drawn by tools/make_example.py." % SIZE,
        "# Every printable ASCII character but the space, in bands of %d glyphs;" % PER_BAND,
        "# the drop shadow is drawn in example-shadow.tga at the faces' places,",
        "# one pixel right and down, and grabbed at the same rows as the faces.",
        "",
        "# Print what each command sets, and the widest and highest glyph at the end.",
        "Report",
        "Type Horizontal",
        "# One empty column between characters; a space advances 4 columns.",
        "Gap 1",
        "Space 4",
        "Drop 1,1",
        "# Rows of each band: the glyphs, and one more for the shadow that hangs below.",
        "MaxHeight %d" % (band_height + 1),
        "# The character codes of the glyphs, in the order they are grabbed.",
        "CharSet " + CHARACTERS,
        "LoadTGA example.tga",
        "",
        "[Font]",
    ]
    lines += ["Grab 0,%d,%d" % (b * BAND_PITCH, len(band)) for b, band in enumerate(bands)]
    lines += ["",
              "# The shadows lie in their own picture at the faces' places: grab them at the",
              "# faces' rows. Each shadow is then 1 column right of its face and 1 row lower.",
              "LoadTGA example-shadow.tga",
              "[Shadow]"]
    lines += ["Grab 0,%d,%d" % (b * BAND_PITCH, len(band)) for b, band in enumerate(bands)]
    with open(os.path.join(EXAMPLES, "example.tks"), "w") as script:
        script.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
