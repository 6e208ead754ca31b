#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus into fuzz/corpus/: scripts, TGA pictures of every kind
the loader reads or refuses, whole builds (a two-byte script length, the script, the picture),
and fonts for the import (an options byte, then the font file). Run from anywhere with Debian's
python3; the output is committed. The fonts need bdftopcf and fonttosfnt (xfonts-utils), compress
(ncompress), python3-fonttools and fonts-dejavu-core, and are left as they are without them."""

import gzip
import pathlib
import zlib
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"


def tga(width, height, body, kind=2, descriptor=8, depth=32, ident=b"", colour_map=b"", map_bits=0):
    map_length = len(colour_map) // max(1, (map_bits + 7) // 8)
    header = struct.pack("<BBBHHBHHHHBB", len(ident), 1 if colour_map else 0, kind, 0,
                         map_length, map_bits, 0, 0, width, height, depth, descriptor)
    return header + ident + colour_map + body


def raw_glyphs(width, height):
    """Bottom row first: a glyph every fourth column, alpha rising to the right."""
    rows = []
    for row in range(height):
        line = b""
        for column in range(width):
            alpha = 0 if column % 4 == 3 or row % 5 == 4 else (column * 37 + row * 11) % 256
            line += bytes((alpha // 2, alpha // 3, alpha // 4, alpha))
        rows.append(line)
    return b"".join(reversed(rows))


def rle(pixels):
    """Run-length packets over a flat list of 4-byte pixels, runs crossing rows."""
    out, i = b"", 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run > 1:
            out += bytes((0x80 | (run - 1),)) + pixels[i]
            i += run
        else:
            start = i
            while i < len(pixels) and i - start < 128 and (i + 1 >= len(pixels) or pixels[i + 1] != pixels[i]):
                i += 1
            out += bytes((i - start - 1,)) + b"".join(pixels[start:i])
    return out


def pictures():
    body = raw_glyphs(16, 10)
    pixels = [body[i:i + 4] for i in range(0, len(body), 4)]
    yield "raw-bottom-left", tga(16, 10, body)
    yield "raw-top-left", tga(16, 10, body, descriptor=0x28)
    yield "rle", tga(16, 10, rle(pixels), kind=10)
    yield "identification-and-colour-map", tga(16, 10, body, ident=b"typekiln", colour_map=b"\0" * 12, map_bits=24)
    yield "truncated", tga(16, 10, body[:100])
    yield "24bpp", tga(4, 2, b"\xff" * 24, depth=24)
    yield "colour-mapped", tga(4, 2, b"\0" * 8, kind=1, depth=8, colour_map=b"\0" * 6, map_bits=24)
    yield "empty", tga(0, 0, b"")
    yield "huge-claim", tga(65535, 65535, b"\0" * 16)
    for path in sorted((ROOT / "tests" / "data").glob("*.tga")):
        yield path.stem, path.read_bytes()


def png(width, height, colour_type, depth, samples, palette=b"", transparency=b"", interlaced=False):
    """A PNG of `samples` (each pixel's channels, rows top first) at `depth` bits a sample."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    passes = ([(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
               (0, 1, 1, 2)] if interlaced else [(0, 0, 1, 1)])
    raw = b""
    for x0, y0, dx, dy in passes:
        if x0 >= width:
            continue
        for y in range(y0, height, dy):
            bits, row = "", b"\0"
            for x in range(x0, width, dx):
                for c in range(channels):
                    value = samples[(y * width + x) * channels + c]
                    if depth == 16:
                        row += struct.pack(">H", value)
                    else:
                        bits += format(value, "0%db" % depth)
            bits += "0" * (-len(bits) % 8)
            row += bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
            raw += row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth,
                                                               colour_type, 0, 0, int(interlaced)))
    if palette:
        out += chunk(b"PLTE", palette)
    if transparency:
        out += chunk(b"tRNS", transparency)
    return out + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def pngs():
    """Glyph pictures as PNG, of each kind the decoder takes."""
    width, height = 12, 5
    alphas = [0 if x % 4 == 3 or y == 4 else (x * 37 + y * 11) % 256
              for y in range(height) for x in range(width)]
    yield "rgba", png(width, height, 6, 8, [v for a in alphas for v in (255, 255, 255, a)])
    yield "rgba-16-interlaced", png(width, height, 6, 16,
                                    [v for a in alphas for v in (0xFFFF, 0xFFFF, 0xFFFF, a * 257)],
                                    interlaced=True)
    yield "grey-alpha", png(width, height, 4, 8, [v for a in alphas for v in (200, a)])
    yield "grey-1", png(width, height, 0, 1, [1 if a else 0 for a in alphas])
    yield "palette-trns", png(width, height, 3, 2, [min(a // 64, 3) for a in alphas],
                              palette=bytes(range(12)), transparency=bytes((0, 80, 160, 255)))
    yield "rgb-trns", png(width, height, 2, 8, [v for a in alphas for v in (a, a, a)],
                          transparency=b"\0\0\0\0\0\0")


SCRIPTS = {
    "example": (ROOT / "examples" / "example.tks").read_bytes(),
    "every-command": b"# every command once\nReport\nType Vertical\nGap 300\nSpace -1\nDrop 2,-3\n"
                     b"MaxHeight 5\nCharSet ABCDEFGH\nLoadTGA p.tga\n[Font]\nGrab 0,0,3\n[Shadow]\n"
                     b"Grab 0,5,3\nType Hor\n",
    "errors": b"Gap\nType Sideways\nGrab 0,0,1\n[Font]\nGrab 0,0,1\nLoadTGA\nLoadTGA p.tga\n"
              b"Grab 1000,1000,5\nGrab -4,-4,200\nMaxHeight 0\nGrab 0,0,1\nMaxHeight -3\nGrab 0,0,1\n",
    "long-line": b"CharSet " + b"x" * 300 + b"\nGap 2 " + b"y" * 200 + b"\n",
    "bytes": b"\x00Gap 3\n\x80\xff Space 4\n[sHaDoW]\r\nloadtga p.tga\x00\ngrab 0,0,1\n",
    "utf8": "CharSet AB\xe9\nEncoding UTF-8\nCharSet \u00c0\u00c9\u00ce\u00f5\u00fc\u00a0 \n"
            "# \u20ac\nGap \u20ac\nEncoding latin-1\nCharSet \xe9\n".encode("utf-8") + b"Gap \xc3\n",
}


TAGS = b"TKLNQZ7!N64!" + struct.pack(">I", 1)

FONTS = {
    # One horizontal 3 x 2 glyph 'A' and no shadow: the file format's own example.
    "example": TAGS + bytes((1, 0, 1, 16, 0, 0, 0, 0))
               + struct.pack(">IBBBBIBBBBbbBB", 48, 3, 2, 1, 8, 0, 0, 0, 0, 0, -10, 0, 65, 0)
               + bytes(4) + bytes((1, 2, 15, 0, 0, 0, 0, 0, 3, 0, 15, 0, 0, 0, 0, 0)),
    # One vertical glyph with its shadow, and a shadow that no entry names.
    "vertical": TAGS + bytes((1, 1, 1, 16, 2, 3, 0, 0))
                + struct.pack(">IBBBBIBBBBbbBB", 48, 2, 3, 0, 8, 72, 2, 3, 1, 8, 1, -2, 66, 0)
                + bytes(4) + bytes((12, 15, 0, 0, 0, 0, 0, 0, 11, 14, 0, 0, 0, 0, 0, 0,
                                    10, 13, 0, 0, 0, 0, 0, 0) * 3),
    "header-only": TAGS + bytes((0, 0, 1, 16, 0, 0, 0, 0)),
}


# A bitmap font of four characters: 'A', 'B' (whose BITMAP section is missing), '"' (two
# strokes) and the space.
BDF = b"""STARTFONT 2.1
FONT -typekiln-seed-medium-r-normal--8-80-75-75-c-50-iso10646-1
SIZE 8 75 75
FONTBOUNDINGBOX 5 8 0 -2
STARTPROPERTIES 5
FAMILY_NAME "Seed"
CHARSET_REGISTRY "ISO10646"
CHARSET_ENCODING "1"
FONT_ASCENT 6
FONT_DESCENT 2
ENDPROPERTIES
CHARS 4
STARTCHAR space
ENCODING 32
SWIDTH 625 0
DWIDTH 5 0
BBX 1 1 0 0
BITMAP
00
ENDCHAR
STARTCHAR quotedbl
ENCODING 34
SWIDTH 625 0
DWIDTH 5 0
BBX 3 2 1 4
BITMAP
A0
A0
ENDCHAR
STARTCHAR A
ENCODING 65
SWIDTH 625 0
DWIDTH 5 0
BBX 4 6 0 -1
BITMAP
60
90
F0
90
90
00
ENDCHAR
STARTCHAR B
ENCODING 66
SWIDTH 625 0
DWIDTH 5 0
BBX 3 1 0 0
ENDCHAR
ENDFONT
"""


def fonts():
    """The import's fonts: BDF, PCF plain, gzipped and compressed, bitmap-only OpenType and a
    TrueType subset, each after its options byte (bit 0 mono, bits 1-2 the shadow, bits 3-7 the
    size)."""
    yield "bdf", bytes((0,)) + BDF
    tools = ("bdftopcf", "fonttosfnt", "compress")
    dejavu = pathlib.Path("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
    if not all(shutil.which(tool) for tool in tools) or not dejavu.exists():
        print("fonts: needs", ", ".join(tools), "and", dejavu, "- left as they are")
        return
    with tempfile.TemporaryDirectory() as work:
        # The other tools refuse a glyph without its BITMAP section.
        bdf = pathlib.Path(work) / "seed.bdf"
        bdf.write_bytes(BDF.replace(b"BBX 3 1 0 0\n", b"BBX 3 1 0 0\nBITMAP\nE0\n"))
        pcf = subprocess.run(["bdftopcf", str(bdf)], capture_output=True, check=True).stdout
        otb = pathlib.Path(work) / "seed.otb"
        subprocess.run(["fonttosfnt", "-b", "-o", str(otb), str(bdf)], check=True)
        compressed = subprocess.run(["compress", "-c"], input=pcf, capture_output=True).stdout
        ttf = pathlib.Path(work) / "subset.ttf"
        subprocess.run([sys.executable, "-m", "fontTools.subset", str(dejavu), "--text=AVj_'\"",
                        f"--output-file={ttf}"], check=True)
        yield "pcf", bytes((8 << 3 | 2,)) + pcf
        yield "pcf-gz", bytes((8 << 3 | 4,)) + gzip.compress(pcf, mtime=0)
        yield "pcf-z", bytes((0,)) + compressed
        yield "otb", bytes((0,)) + otb.read_bytes()
        yield "ttf-13", bytes((13 << 3,)) + ttf.read_bytes()
        yield "ttf-mono-20-outline", bytes((20 << 3 | 2 | 1,)) + ttf.read_bytes()


def main():
    for folder in ("script", "tga", "build", "font", "runtime", "png"):
        (CORPUS / folder).mkdir(parents=True, exist_ok=True)
    for name, script in SCRIPTS.items():
        (CORPUS / "script" / f"{name}.tks").write_bytes(script)
    pictures_made = dict(pictures())
    for name, picture in pictures_made.items():
        (CORPUS / "tga" / f"{name}.tga").write_bytes(picture)
    builds = {"example": (SCRIPTS["example"], (ROOT / "examples" / "example.tga").read_bytes())}
    for name in ("every-command", "errors", "bytes"):
        builds[name] = (SCRIPTS[name], pictures_made["raw-bottom-left"])
    builds["rle"] = (SCRIPTS["every-command"], pictures_made["rle"])
    builds["truncated"] = (SCRIPTS["every-command"], pictures_made["truncated"])
    for name, font in FONTS.items():
        for folder in ("font", "runtime"):
            (CORPUS / folder / f"{name}.fnt").write_bytes(font)
    for name, (script, picture) in builds.items():
        (CORPUS / "build" / f"{name}.bin").write_bytes(struct.pack("<H", len(script)) + script + picture)
    (CORPUS / "png").mkdir(parents=True, exist_ok=True)
    for name, picture in pngs():
        (CORPUS / "png" / f"{name}.bin").write_bytes(picture[8:])  # fuzz_png adds the signature
        (CORPUS / "tga" / f"{name}.png").write_bytes(picture)
    # fuzz_bmfont also reads each input as the file of a page: seeds of 16 x 16 pixels.
    (CORPUS / "bmfont" / "page-rgba.tga").write_bytes(tga(16, 16, raw_glyphs(16, 16)))
    grey_alpha = [value for i in range(256) for value in (i % 251, (i * 37) % 256)]
    (CORPUS / "bmfont" / "page-grey-alpha.png").write_bytes(png(16, 16, 4, 8, grey_alpha))
    (CORPUS / "freetype").mkdir(parents=True, exist_ok=True)
    for name, font in fonts():
        (CORPUS / "freetype" / f"{name}.bin").write_bytes(font)


if __name__ == "__main__":
    main()
