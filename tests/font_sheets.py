#!/usr/bin/python3
"""typekiln-inspect --check on glyph sheets drawn from real fonts.

Each sheet is drawn as an artist with an ordinary renderer would: one of Debian's TrueType faces
(fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation) rendered by FreeType through Pillow
(python3-pil) at 9 to 24 pixels, anti-aliased or not, printable ASCII and a few Latin-1 letters
in bands of 16 to 32 glyphs with 1 to 4 empty columns between them, white ink whose alpha is the
coverage, and the shadows in a second picture one pixel right and down; the script is in Latin-1.
Every correct sheet must build with typekiln and check clean, and build the very same font from
PNG copies of its pictures (RGBA, and a palette with tRNS where the picture has 256 colours or
fewer) and from a UTF-8 copy of its script; each likely mistake, put into some of the sheets,
must be noted.

Then the same faces and characters are imported by typekiln-import, at the same sizes, with
drop shadows and with outlines. Each imported sheet must check clean and build; saved again by an editor that
clears every pixel of alpha 0, it must build the very same font and still check clean; and each
retouch that leaves the sheet out of step (a face widened alone, a shadow moved, a band moved by
one row) must be noted.

  tests/font_sheets.py TYPEKILN TYPEKILN-INSPECT TYPEKILN-IMPORT WORK-FOLDER
                       [SHEETS [SHEETS-PER-MISTAKE]]
"""

import glob
import os
import random
import shutil
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont

# Printable ASCII with Latin-1 letters before its last character: a Latin-1 script's line loses
# the bytes from 0x80 up at its end.
CHARS = "".join(map(chr, range(0x21, 0x7E))) + "ÀÉÎõüßç~"
JOIN = (1, 1, 1, 0)  # a coloured pixel of alpha 0: ink that stores as nothing


def render(path, size, mono):
    """Each character's coverage as rows, cut to its ink columns; every glyph has the rows from
    the highest ink of any glyph to the lowest, so that each keeps its place on the line. None
    when a glyph comes out empty."""
    font = ImageFont.truetype(path, size)
    canvases = {}
    for c in CHARS:
        canvases[c] = Image.new("L", (6 * size, 4 * size))
        draw = ImageDraw.Draw(canvases[c])
        draw.fontmode = "1" if mono else "L"
        draw.text((size, size), c, font=font, fill=255)
    boxes = {c: canvas.getbbox() for c, canvas in canvases.items()}
    if not all(boxes.values()):
        return None
    top, bottom = min(b[1] for b in boxes.values()), max(b[3] for b in boxes.values())
    glyphs = {}
    for c, (left, _, right, _) in boxes.items():
        values = list(canvases[c].crop((left, top, right, bottom)).getdata())
        glyphs[c] = [values[r * (right - left):(r + 1) * (right - left)]
                     for r in range(bottom - top)]
    return glyphs


class Sheet:
    """The n-th sheet: a font, size and rendering, and how its glyphs are laid out."""

    def __init__(self, n, fonts, pick):
        self.path, self.size, self.mono = fonts[n % len(fonts)], 9 + n % 16, n % 5 in (1, 3)
        self.glyphs = render(self.path, self.size, self.mono)
        if self.glyphs is None:  # a thin face loses its thinnest strokes without anti-aliasing
            self.mono, self.glyphs = False, render(self.path, self.size, False)
        self.spacing = pick.randint(1, 4)
        per_band = pick.randint(16, 32)
        self.bands = [CHARS[i:i + per_band] for i in range(0, len(CHARS), per_band)]
        self.rows = len(self.glyphs["A"])
        self.max_height = self.rows + 1  # the shadow hangs a row below its face
        self.pitch = self.max_height + pick.randint(1, 4)
        self.options = {"compression": "tga_rle"} if n % 2 else {}
        self.options["orientation"] = 1 if n % 3 == 0 else -1

    def name(self):
        return "%s %dpx %s, %d apart, %d a band" % (
            os.path.basename(self.path), self.size, "mono" if self.mono else "anti-aliased",
            self.spacing, len(self.bands[0]))

    def width(self, c):
        return len(self.glyphs[c][0])

    def places(self, touch=""):
        """Each character's cell, (x, y) of its top left. A glyph whose character is in `touch`
        has no empty column after it."""
        places = {}
        for b, band in enumerate(self.bands):
            x = 0
            for c in band:
                places[c] = (x, b * self.pitch)
                x += self.width(c) + (0 if c in touch else self.spacing)
        return places

    def grabs(self):
        return ["Grab 0,%d,%d" % (b * self.pitch, len(band)) for b, band in enumerate(self.bands)]

    def write(self, folder, shadow=(1, 1), join=True, touch="", faces_grabs=None,
              shadow_grabs=None, max_height=None, edit=None):
        """Draws faces.tga, shadows.tga and font.tks into `folder`, as given; `edit` then changes
        the faces' pixels."""
        places = self.places(touch)
        width = max(x + self.width(c) for c, (x, _) in places.items()) + 2
        pictures = [Image.new("RGBA", (width, len(self.bands) * self.pitch)) for _ in range(2)]
        faces, shadows = (picture.load() for picture in pictures)
        dx, dy = shadow
        for c, (x, y) in places.items():
            rows = self.glyphs[c]
            for r, row in enumerate(rows):
                for i, alpha in enumerate(row):
                    if alpha:
                        faces[x + i, y + r] = (255, 255, 255, alpha)
                        shadows[x + i + dx, y + r + dy] = (0, 0, 0, alpha)
            # Strokes that stand apart, as in '"', joined as the docs advise.
            first = next(r for r, row in enumerate(rows) if any(row))
            for i in range(len(rows[0])):
                if join and not any(row[i] for row in rows):
                    faces[x + i, y + first] = JOIN
                    shadows[x + i + dx, y + first + dy] = JOIN
        if edit:
            edit(self, faces, pictures[0].size, places)
        os.makedirs(folder)
        pictures[0].save(os.path.join(folder, "faces.tga"), **self.options)
        pictures[1].save(os.path.join(folder, "shadows.tga"), **self.options)
        lines = ["# " + self.name(), "Type Horizontal", "Gap 1", "Space %d" % (self.size // 3),
                 "Drop 1,1", "MaxHeight %d" % (max_height or self.max_height),
                 "CharSet " + CHARS, "LoadTGA faces.tga", "[Font]"]
        lines += self.grabs() if faces_grabs is None else faces_grabs
        lines += ["LoadTGA shadows.tga", "[Shadow]"]
        lines += self.grabs() if shadow_grabs is None else shadow_grabs
        with open(os.path.join(folder, "font.tks"), "w", encoding="latin-1") as script:
            script.write("\n".join(lines) + "\n")


def grab_inside_a_glyph(sheet, folder):
    """The first band grabbed in two, the second Grab starting in the middle of a glyph."""
    band = sheet.bands[0]
    split = next(i for i in range(len(band) // 2, len(band)) if sheet.width(band[i]) >= 3)
    middle = sheet.places()[band[split]][0] + sheet.width(band[split]) // 2
    grabs = ["Grab 0,0,%d" % split, "Grab %d,0,%d" % (middle, len(band) - split)]
    sheet.write(folder, faces_grabs=grabs + sheet.grabs()[1:])


def one_glyph_short(sheet, folder):
    grabs = sheet.grabs()
    grabs[-1] = "Grab 0,%d,%d" % ((len(grabs) - 1) * sheet.pitch, len(sheet.bands[-1]) - 1)
    sheet.write(folder, faces_grabs=grabs, shadow_grabs=grabs)


def clear_saved_white(sheet, faces, size, places):
    for x in range(size[0]):
        for y in range(size[1]):
            if faces[x, y] == (0, 0, 0, 0):
                faces[x, y] = (255, 255, 255, 0)


def faint_speck(sheet, faces, size, places):
    """Three rows above the '.', where the band has room: its box grows by rows that show
    nothing."""
    x, y = places["."]
    top = next(r for r, row in enumerate(sheet.glyphs["."]) if any(row))
    faces[x, y + top - 3] = (255, 255, 255, 8)


def faint_tilde(sheet, faces, size, places):
    """The '~' drawn too faint to store: grabbed, but it shows nothing."""
    x, y = places["~"]
    for r, row in enumerate(sheet.glyphs["~"]):
        for i, alpha in enumerate(row):
            if alpha:
                faces[x + i, y + r] = (255, 255, 255, 1 + alpha * 14 // 255)


def quote_apart(sheet):
    rows = sheet.glyphs['"']
    return any(not any(row[i] for row in rows) for i in range(len(rows[0])))


# Each likely mistake: the words of its note, how to make it, and, for some, the sheets where
# it can be made.
MISTAKES = {
    "a CharSet longer than the faces": ("no glyph", one_glyph_short),
    "a Grab inside a glyph": ("the Grab starts at column", grab_inside_a_glyph),
    "shadows not moved": ("hidden under the faces", lambda s, f: s.write(f, shadow=(0, 0))),
    "clear pixels saved white": ("pixels with alpha 0 but a colour count as ink",
                                 lambda s, f: s.write(f, edit=clear_saved_white)),
    "nothing grabbed": ("grabs no glyph", lambda s, f: s.write(f, faces_grabs=[],
                                                               shadow_grabs=[])),
    "bands too tall": ("reaches into the glyphs of line",
                       lambda s, f: s.write(f, max_height=s.pitch + s.rows // 2)),
    "'\"' not joined": ("may have been grabbed as two", lambda s, f: s.write(f, join=False),
                        quote_apart),
    "W and X touching": ("two glyphs merged?", lambda s, f: s.write(f, touch="W")),
    "a faint speck": ("widens the ink box", lambda s, f: s.write(f, edit=faint_speck)),
    "a glyph too faint to show": ("shows nothing", lambda s, f: s.write(f, edit=faint_tilde)),
    "bands too short": ("would hold it all", lambda s, f: s.write(f, max_height=s.rows - 3)),
    "a band moved by one row": (("its band starts 1 row below", "cuts"),
                                lambda s, f: (s.write(f), band_moved(f))),
}
def band_moved(folder, face_only=True):
    """The second band's Grab one row lower, as a slip of the hand in the script."""
    path = os.path.join(folder, "font.tks")
    with open(path, "rb") as script:
        lines = script.read().split(b"\n")
    grabs = [i for i, line in enumerate(lines) if line.startswith(b"Grab ")]
    x, y, count = map(int, lines[grabs[1]][5:].split(b","))
    lines[grabs[1]] = b"Grab %d,%d,%d" % (x, y + 1, count)
    with open(path, "wb") as script:
        script.write(b"\n".join(lines))


def save_palette(picture, path):
    """Saves the picture as a PNG of a palette whose tRNS holds each colour's alpha; False when it
    has more than 256 colours."""
    colours = sorted(set(picture.getdata()))
    if len(colours) > 256:
        return False
    index = {colour: i for i, colour in enumerate(colours)}
    paletted = Image.new("P", picture.size)
    paletted.putdata([index[colour] for colour in picture.getdata()])
    paletted.putpalette([value for colour in colours for value in colour[:3]])
    paletted.save(path, transparency=bytes(colour[3] for colour in colours))
    return True


def copies(folder):
    """Beside `folder`, copies of its sheet that must build its font: PNG pictures (RGBA, and a
    palette where they have 256 colours or fewer), and a UTF-8 script. Yields each copy's name
    and folder once it is made."""
    with open(os.path.join(folder, "font.tks"), "rb") as script:
        text = script.read()
    pictures = {name: Image.open(os.path.join(folder, name + ".tga")).convert("RGBA")
                for name in ("faces", "shadows")}
    for kind in ("rgba png", "palette png"):
        copy = "%s %s" % (folder, kind)
        os.makedirs(copy)
        if kind == "rgba png":
            for name, picture in pictures.items():
                picture.save(os.path.join(copy, name + ".png"))
        elif not all(save_palette(picture, os.path.join(copy, name + ".png"))
                     for name, picture in pictures.items()):
            continue
        with open(os.path.join(copy, "font.tks"), "wb") as script:
            script.write(text.replace(b".tga\n", b".png\n"))
        yield kind, copy
    copy = folder + " utf-8"
    shutil.copytree(folder, copy)
    # A comment may hold any character, also one no font code can be.
    utf8 = "Encoding UTF-8\n# Glyphs \u2014 drawn for typekiln\n" + text.decode("latin-1")
    with open(os.path.join(copy, "font.tks"), "wb") as script:
        script.write(utf8.encode("utf-8"))
    yield "utf-8 script", copy


def same_font(typekiln, folder, copy):
    """Builds the copy's font; None when it is the folder's font, byte for byte, else what
    differs."""
    built = run(copy, typekiln, "font.tks", "font.fnt")
    if built.returncode:
        return built.stderr.strip() or "exit status %d" % built.returncode
    with open(os.path.join(folder, "font.fnt"), "rb") as font, \
            open(os.path.join(copy, "font.fnt"), "rb") as other:
        return None if font.read() == other.read() else "another font"


# Advice that is wrong for a picture whose clear pixels are white.
MISLEADING = ["smaller than 256", "would hold it all"]


def run(folder, *command):
    return subprocess.run(command, cwd=folder, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, errors="replace")


def edit_picture(path, change):
    """Loads a sheet, lets `change` edit its pixels, and saves it as an editor would."""
    picture = Image.open(path).convert("RGBA")
    change(picture.load(), picture.size)
    picture.save(path)


def clear_transparent(pixels, size):
    """What many editors do on saving: every pixel of alpha 0 becomes (0, 0, 0, 0)."""
    for x in range(size[0]):
        for y in range(size[1]):
            if pixels[x, y][3] == 0:
                pixels[x, y] = (0, 0, 0, 0)


def first_cell(pixels, size):
    """The first band's rows, and the columns of its first run of inked columns."""
    inked_row = [any(pixels[x, y] != (0, 0, 0, 0) for x in range(size[0])) for y in range(size[1])]
    top = inked_row.index(True)
    bottom = inked_row.index(False, top)
    rows = range(top, bottom)
    inked = [any(pixels[x, y] != (0, 0, 0, 0) for y in rows) for x in range(size[0])]
    start = inked.index(True)
    return rows, start, inked.index(False, start)


def widen_first_face(pixels, size):
    rows, _, end = first_cell(pixels, size)
    row = next(y for y in rows if pixels[end - 1, y][3] > 16) if any(
        pixels[end - 1, y][3] > 16 for y in rows) else rows[0]
    pixels[end, row] = (255, 255, 255, 255)


def move_first_shadow(pixels, size):
    rows, start, end = first_cell(pixels, size)
    for x in reversed(range(start, end)):
        for y in rows:
            pixels[x + 1, y], pixels[x, y] = pixels[x, y], (0, 0, 0, 0)


# Each retouch of an imported sheet that the check must note, the words of its note and the
# shadow it needs.
RETOUCHES = {
    "a face widened alone": (("the shadow of",), "outline",
                             lambda f: edit_picture(os.path.join(f, "faces.tga"), widen_first_face)),
    "a shadow moved": (("the shadow of",), "outline",
                       lambda f: edit_picture(os.path.join(f, "shadows.tga"), move_first_shadow)),
    # A band moved down cuts the glyphs that reach its top, which is the note then.
    "a band moved by one row": (("its band starts 1 row below", "cuts"), "drop", band_moved),
}


def check_imports(typekiln, inspect, importer, work, fonts, count, failures):
    """Imports `count` sheets, each checked, built, cleared as an editor saves and built again;
    then retouches some. Returns the clean imports and the retouches noted, each with its count."""
    clean = caught = tried = 0
    for n in range(count):
        font, size, style = fonts[n % len(fonts)], 9 + n % 16, ("drop", "outline")[n % 2]
        name = "%s %dpx, %s" % (os.path.basename(font), size, style)
        folder = os.path.join(work, "import-%d" % n)
        options = ["--size", str(size), "--shadow", style, "--chars", CHARS]
        options += ["--mono"] if n % 5 == 1 else []
        made = run(work, importer, *options, font, folder)
        built = run(folder, typekiln, "font.tks", "font.fnt")
        checked = run(folder, inspect, "--check", "font.tks")
        if made.returncode or built.returncode or checked.stdout != "No problems found.\n":
            failures.append("import of %s: %s" % (name, (made.stderr + built.stderr +
                                                         checked.stdout).strip()))
            continue
        for sheet in ("faces.tga", "shadows.tga"):
            if os.path.exists(os.path.join(folder, sheet)):
                edit_picture(os.path.join(folder, sheet), clear_transparent)
        cleared = run(folder, typekiln, "font.tks", "cleared.fnt")
        checked = run(folder, inspect, "--check", "font.tks")
        with open(os.path.join(folder, "font.fnt"), "rb") as before, \
                open(os.path.join(folder, "cleared.fnt"), "rb") as after:
            same = before.read() == after.read()
        if cleared.returncode or not same or checked.stdout != "No problems found.\n":
            failures.append("import of %s, saved with clear pixels cleared: %s" % (
                name, "another font" if not same else (cleared.stderr + checked.stdout).strip()))
            continue
        clean += 1
        for kind, (words, shadow, retouch) in RETOUCHES.items():
            if shadow != style or n % 3:
                continue
            retouched = folder + " " + kind
            shutil.copytree(folder, retouched)
            retouch(retouched)
            checked = run(retouched, inspect, "--check", "font.tks")
            tried += 1
            if any(w in checked.stdout for w in words):
                caught += 1
            else:
                failures.append("%s in the import of %s: no note with '%s'; got: %s" % (
                    kind, name, "' or '".join(words), checked.stdout.strip() or "nothing"))
    return clean, caught, tried


def main():
    typekiln, inspect, importer, work = (os.path.abspath(a) for a in sys.argv[1:5])
    count = int(sys.argv[5]) if len(sys.argv) > 5 else 120
    per_mistake = int(sys.argv[6]) if len(sys.argv) > 6 else 5
    fonts = [path for folder in ("dejavu", "liberation")
             for path in sorted(glob.glob("/usr/share/fonts/truetype/%s/*.ttf" % folder))
             if "Math" not in path]  # DejaVu's maths face holds no text
    if len(fonts) < 10:
        sys.exit("font_sheets: %d TrueType faces found, 10 needed: install fonts-dejavu-core "
                 "fonts-dejavu-extra fonts-liberation" % len(fonts))
    shutil.rmtree(work, ignore_errors=True)
    pick = random.Random(2026)
    sheets = [Sheet(n, fonts, pick) for n in range(count)]
    failures = []
    clean = 0
    copied, same = {}, {}
    for n, sheet in enumerate(sheets):
        folder = os.path.join(work, "correct-%d" % n)
        sheet.write(folder)
        built = run(folder, typekiln, "font.tks", "font.fnt")
        checked = run(folder, inspect, "--check", "font.tks")
        said = (built.stderr + checked.stderr).splitlines()
        said += [line for line in checked.stdout.splitlines() if line.startswith("note:")]
        if built.returncode or checked.returncode or said:
            failures += ["%s: %s" % (sheet.name(), line) for line in said or ["exit status"]]
            continue
        clean += 1
        for kind, copy in copies(folder):
            copied[kind] = copied.get(kind, 0) + 1
            differs = same_font(typekiln, folder, copy)
            if differs is None:
                same[kind] = same.get(kind, 0) + 1
            else:
                failures.append("%s, %s: %s" % (sheet.name(), kind, differs))

    caught = tried = 0
    for kind, (words, make, *can) in MISTAKES.items():
        # Spread over the fonts, sizes and renderings, leaving out sheets where it cannot be made.
        order = [sheets[(n * 37 + len(kind)) % count] for n in range(count)]
        for n, sheet in enumerate([s for s in order if not can or can[0](s)][:per_mistake]):
            folder = os.path.join(work, "%s %d" % (kind, n))
            make(sheet, folder)
            checked = run(folder, inspect, "--check", "font.tks")
            misleading = [w for w in MISLEADING if "white" in kind and w in checked.stdout]
            tried += 1
            said = any(w in checked.stdout for w in (words if isinstance(words, tuple) else [words]))
            if checked.returncode == 1 and said and not misleading:
                caught += 1
            else:
                failures.append("%s in %s: no note with '%s'%s; got: %s" % (
                    kind, sheet.name(), words, ", or misleading ones" if misleading else "",
                    checked.stdout.strip() or "nothing"))

    imports = count // 2
    imported, retouched, retouches = check_imports(typekiln, inspect, importer, work, fonts,
                                                   imports, failures)
    print("\n".join(failures))
    print("%d of %d correct sheets from %d faces built and checked clean; %d of %d mistakes "
          "noted" % (clean, count, len(fonts), caught, tried))
    print("; ".join("%d of %d copies with a %s built the same font" % (
        same.get(kind, 0), number, kind) for kind, number in copied.items()))
    print("%d of %d imported sheets checked clean and built the same font before and after "
          "their clear pixels were cleared; %d of %d retouches noted" % (
              imported, imports, retouched, retouches))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
