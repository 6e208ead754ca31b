#!/usr/bin/env python3
"""Runs two builds of typekiln, typekiln-inspect and typekiln-import on the same inputs and
compares, byte for byte, every font, picture, sheet and script they write, their standard output
and error, and their exit status.

    tools/compare_tools.py OLD_FOLDER NEW_FOLDER [WORK_FOLDER]

Each folder holds a `typekiln`, a `typekiln-inspect` and a `typekiln-import`. The inputs: the
example; a script over two 4096 x 4096 pictures (raw bottom-up and run-length top-down) with 128
glyphs each; a script full of errors; one that earns the notes on faint ink, large glyphs and
far shadows; broken copies of the example font; Debian's DejaVu Sans and 6x13 fonts and a
BMFont made here, imported in several ways and built; and wrong arguments. Prints what differs
and exits 1, or says how many outputs matched. A redesign that must not change what the tools
do runs it before and after.
"""

import filecmp
import os
import shutil
import struct
import subprocess
import sys

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def tga(path, width, height, rows, run_length=False, top_first=False):
    """Writes 32-bit rows (top row first) as a raw or run-length encoded TGA."""
    header = struct.pack('<BBBHHBHHHHBB', 0, 0, 10 if run_length else 2, 0, 0, 0, 0, 0, width,
                         height, 32, 8 | (0x20 if top_first else 0))
    data = b''.join(rows if top_first else rows[::-1])
    with open(path, 'wb') as f:
        f.write(header)
        if not run_length:
            f.write(data)
            return
        for at in range(0, len(data), 4 * 128):  # literal packets of up to 128 pixels
            chunk = data[at:at + 4 * 128]
            f.write(bytes([len(chunk) // 4 - 1]) + chunk)


def make_inputs(work):
    for name in ('example.tks', 'example.tga', 'example-shadow.tga'):
        shutil.copy(os.path.join(SOURCE, 'examples', name), work)
    with open(os.path.join(work, 'vertical.tks'), 'w') as f:
        f.write(open(os.path.join(work, 'example.tks')).read() + '\nType Vertical\n')
    side = 4096
    rows = [bytearray(side * 4) for _ in range(side)]
    for glyph in range(128):
        band, column = divmod(glyph, 16)
        x0, y0 = column * 250 + 10, band * 500 + 20
        for y in range(y0, y0 + 30 + glyph * 7 % 60):
            for x in range(x0, x0 + 20 + glyph % 50):
                rows[y][4 * x:4 * x + 4] = bytes([255, 255, 255, (x * 7 + y * 3 + glyph) % 255 + 1])
    tga(os.path.join(work, 'big.tga'), side, side, rows)
    tga(os.path.join(work, 'big-rle.tga'), side, side, rows, run_length=True, top_first=True)
    grabs = ''.join('Grab 0,%d,16\n' % (band * 500 + 15) for band in range(8))
    with open(os.path.join(work, 'big.tks'), 'w') as f:
        f.write('Report\nLoadTGA big.tga\nMaxHeight 100\nCharSet %s\n[Font]\n%s'
                'LoadTGA big-rle.tga\n[Shadow]\n%sDrop 1,1\nGap 2\nSpace 9\nType Vertical\n'
                % (''.join(map(chr, range(33, 127))), grabs, grabs))

    def header(kind, width, height, depth, descriptor, map_length=0, map_bits=0):
        return struct.pack('<BBBHHBHHHHBB', 0, 1 if map_length else 0, kind, 0, map_length,
                           map_bits, 0, 0, width, height, depth, descriptor)
    with open(os.path.join(work, 'map.tga'), 'wb') as f:
        f.write(header(1, 1, 1, 8, 0, 2, 24) + bytes(7))
    with open(os.path.join(work, 'rgb.tga'), 'wb') as f:
        f.write(header(2, 2, 2, 24, 0) + b'\1' * 12)
    with open(os.path.join(work, 'short.tga'), 'wb') as f:
        f.write(header(2, 8, 8, 32, 8) + b'\1' * 40)
    with open(os.path.join(work, 'errors.tks'), 'wb') as f:
        f.write(b'# a script full of mistakes\nGrab 0,0,1\nGap\nSpace x\nDrop 1\nType Diagonal\n'
                b'LoadTGA\nLoadTGA missing.tga\nLoadTGA map.tga\nLoadTGA rgb.tga\n'
                b'LoadTGA short.tga\n[Font]\nGrab 0,0,1\nGrab 1,2\nLoadTGA big.tga\n'
                b'MaxHeigth 40\nGrabb 0,0,3\nMaxHeight 100\nGrab 0,15,20\nGrab 3000,15,3\n'
                b'Grab 0,4000,2\nRepport\n[Shadow]\nGrab 0,15,200\nCharSet ABC\xc3\xa9AB\nReport\n'
                b'Gap 300\nSpace -4\nDrop 260,-1\nMaxHeight 7\nCharSet xyz\nType horizontal\n')

    width, height = 700, 300
    rows = [bytearray(width * 4) for _ in range(height)]

    def box(x0, y0, w, h, alpha=255):
        for y in range(y0, y0 + h):
            rows[y][4 * x0:4 * (x0 + w)] = bytes([255, 255, 255, alpha]) * w
    for i in range(6):
        box(10 + i * 20, 10, 10, 14)   # faces
        box(10 + i * 20, 210, 10, 14)  # their shadows, 200 rows below
    box(15, 30, 1, 1, alpha=8)         # a faint speck under face 0
    box(135, 10, 6, 6, alpha=9)        # a glyph all faint
    box(150, 10, 300, 20)              # wider than a byte holds
    box(20, 110, 8, 8)
    tga(os.path.join(work, 'notes.tga'), width, height, rows)
    with open(os.path.join(work, 'notes.tks'), 'w') as f:
        f.write('LoadTGA notes.tga\nMaxHeight 30\n[Font]\nGrab 0,5,9\nGrab 0,100,3\n[Shadow]\n'
                'Grab 0,205,6\nCharSet ABCDEFGHI\n')

    # A BMFont of four glyphs on one TGA page, with a glyph that reaches above the line.
    page = [bytearray(32 * 4) for _ in range(16)]
    for glyph in range(4):
        for y in range(2 + glyph, 12):
            for x in range(glyph * 8, glyph * 8 + 5):
                page[y][4 * x:4 * x + 4] = bytes([255, 255, 255, (x * 40 + y * 9) % 256])
    tga(os.path.join(work, 'page.tga'), 32, 16, page)
    with open(os.path.join(work, 'bm.fnt'), 'w') as f:
        f.write('info face="Made Here" size=12\ncommon lineHeight=14 base=11 scaleW=32 scaleH=16 '
                'pages=1\npage id=0 file="page.tga"\n' + ''.join(
                    'char id=%d x=%d y=0 width=6 height=14 xoffset=0 yoffset=%d xadvance=7 page=0 '
                    'chnl=15\n' % (65 + glyph, glyph * 8, glyph - 1) for glyph in range(4)))


def broken_fonts(work):
    """Copies of the example font, each broken where the reader checks."""
    good = open(os.path.join(work, 'example.fnt'), 'rb').read()
    entry = 24

    def save(name, changes, cut=None, extra=b''):
        data = bytearray(good[:cut] if cut else good)
        for at, value in changes:
            data[at] = value
        open(os.path.join(work, name + '.fnt'), 'wb').write(bytes(data) + extra)
        return name
    return [save('bad-tag', [(3, ord('X')), (8, 0)]),
            save('bad-head', [(15, 2), (16, 200), (17, 3), (22, 5)]),
            save('bad-entry', [(entry + 19, 7), (entry + 3, good[entry + 3] ^ 1), (entry + 7, 3),
                               (entry + 31, 0)]),
            save('bad-samples', [(len(good) - 1, 99), (len(good) - 9, 20)]),
            save('bad-block', [(entry + 1, 0), (entry + 2, 0), (entry + 3, 8)]),
            save('past-end', [(entry, 0xFF), (entry + 1, 0xFF)]),
            save('overlap', [(entry + 44, 9)]),
            save('cut', [], cut=100), save('tiny', [], cut=10), save('empty-table', [], cut=24),
            save('unnamed', [], extra=bytes(40))]


def runs(work):
    """Every run, as (name, tool, arguments); later runs read what earlier ones wrote."""
    yield from [('help', 'typekiln', ['--help']), ('version', 'typekiln', ['--version']),
                ('usage', 'typekiln', [])]
    for script in ('example', 'vertical', 'big', 'errors', 'notes'):
        yield 'build-' + script, 'typekiln', [script + '.tks', script + '.fnt']
    yield from [('swapped', 'typekiln', ['example.fnt', 'example.tks']),
                ('over-input', 'typekiln', ['example.tks', 'example.tga']),
                ('missing', 'typekiln', ['missing.tks', 'x.fnt'])]
    fonts = ['example', 'vertical', 'big', 'errors', 'notes'] + broken_fonts(work)
    for font in fonts:
        yield 'list-' + font, 'typekiln-inspect', [font + '.fnt', '--glyph', '3']
        yield 'preview-' + font, 'typekiln-inspect', ['--preview', font + '-p.png', font + '.fnt']
        yield 'render-' + font, 'typekiln-inspect', ['--render', font + '-r.png', font + '.fnt',
                                                     'Hello, World! {}']
        yield 'diff-' + font, 'typekiln-inspect', ['--diff', 'example.fnt', font + '.fnt']
    for script in ('example', 'big', 'errors', 'notes'):
        yield 'check-' + script, 'typekiln-inspect', ['--check', script + '.tks']
        yield 'overlay-' + script, 'typekiln-inspect', ['--overlay', script + '-o.png',
                                                        script + '.tks', '--zoom', '2']
    dejavu = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
    pcf = '/usr/share/fonts/X11/misc/6x13-ISO8859-1.pcf.gz'
    for name, args in [('sans13', ['--size', '13', dejavu]),
                       ('sans9-outline', ['--size', '9', '--shadow', 'outline', '--chars',
                                          'AgÉ_\u00a0ñ', dejavu]),
                       ('sans11-mono', ['--size', '11', '--mono', '--shadow', 'none', dejavu]),
                       ('pcf', ['--shadow-offset', '2,1', pcf]),
                       ('bm', ['--chars', 'ABCD', 'bm.fnt']),
                       ('bm-outline', ['--shadow', 'outline', 'bm.fnt'])]:
        yield 'import-' + name, 'typekiln-import', args + ['imported-' + name]
        yield 'import-again-' + name, 'typekiln-import', args + ['imported-' + name]
        yield ('import-build-' + name, 'typekiln',
               ['imported-%s/font.tks' % name, 'imported-%s.fnt' % name])
    yield 'import-redraw', 'typekiln-import', ['--redraw-shadows', 'imported-sans9-outline']
    yield 'import-redraw-none', 'typekiln-import', ['--redraw-shadows', 'imported-sans13']
    for i, args in enumerate([['--help'], ['--version'], [], ['--size', 'x', dejavu, 'o'],
                              ['--shadow', 'blur', dejavu, 'o'], ['--frob', dejavu, 'o'],
                              ['--chars', '', dejavu, 'o'], ['missing.ttf', 'o'],
                              ['example.tga', 'o'], ['--size', '500', dejavu, 'o'],
                              ['--force', 'bm.fnt', 'imported-bm'], ['--size=13', dejavu, 'o2'],
                              ['--mono=1', dejavu, 'o'], ['-h=1'], ['-h'], ['--', '--odd', 'o'],
                              ['-', 'o'], ['--chars'], ['--size', '13', '--frob'],
                              ['--frob', '--size', 'x'], ['-x', 'a', 'b'],
                              ['--redraw-shadows', '--force', 'imported-bm'],
                              ['--redraw-shadows'], ['--shadow-offset=0,0', dejavu, 'o']]):
        yield 'import-arguments-%d' % i, 'typekiln-import', args
    for i, args in enumerate([['--help'], ['--version'], [], ['--glyph', 'x', 'example.fnt'],
                              ['--zoom', '2', 'example.fnt'], ['--frob', 'example.fnt'],
                              ['--render', 'x.png', 'example.fnt'],
                              ['example.fnt', '--glyph', '200'],
                              ['--preview', 'example.tks', 'example.fnt'],
                              ['--preview', '.', 'example.fnt'], ['example.tks'],
                              ['--zoom', '99', '--preview', 'a.png', 'example.fnt'],
                              ['--diff', 'example.fnt'],
                              ['--glyph', '3', '--glyph', '4', 'example.fnt'],
                              ['--glyph', '3', '--glyph'], ['--diff', 'a', 'b', '--check', 'c'],
                              ['--preview', 'a.png', '--overlay', 'b.png', 'x'],
                              ['--', 'example.fnt'], ['-h', 'example.fnt'],
                              ['--zoom=2', 'example.fnt'], ['-x'], ['--check'],
                              ['--render', 'o.png'], ['example.fnt', '--help'],
                              ['--zoom', '2', '--zoom', '3', '--overlay', 'z.png', 'example.tks']]):
        yield 'arguments-%d' % i, 'typekiln-inspect', args


def run_all(tools, work, results):
    os.makedirs(work)
    os.makedirs(results)
    make_inputs(work)
    for name, tool, args in runs(work):
        done = subprocess.run([os.path.join(tools, tool)] + args, cwd=work,
                              stdin=subprocess.DEVNULL, capture_output=True)
        for ending, data in (('out', done.stdout), ('err', done.stderr),
                             ('status', b'%d\n' % done.returncode)):
            open(os.path.join(results, name + '.' + ending), 'wb').write(data)
    for name in os.listdir(work):  # what the runs wrote; the inputs are made again each time
        if name.endswith(('.fnt', '.png')):
            shutil.move(os.path.join(work, name), results)
        elif name.startswith('imported-') and os.path.isdir(os.path.join(work, name)):
            for inside in os.listdir(os.path.join(work, name)):
                shutil.move(os.path.join(work, name, inside),
                            os.path.join(results, name + '--' + inside))


def differences(a, b):
    compared = filecmp.dircmp(a, b)
    names = compared.left_only + compared.right_only + compared.diff_files
    return names, len(compared.same_files) + len(compared.diff_files)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    old, new = (os.path.abspath(folder) for folder in sys.argv[1:3])
    work = os.path.abspath(sys.argv[3] if len(sys.argv) == 4 else 'build/compare-tools')
    shutil.rmtree(work, ignore_errors=True)
    for side, tools in (('old', old), ('new', new)):
        run_all(tools, os.path.join(work, side + '-work'), os.path.join(work, side))
    names, count = differences(os.path.join(work, 'old'), os.path.join(work, 'new'))
    if names:
        print('differ (in %s/old and %s/new): %s' % (work, work, ' '.join(sorted(names))))
        sys.exit(1)
    print('%d outputs the same, byte for byte: fonts, pictures, standard output and error, '
          'exit status' % count)


if __name__ == '__main__':
    main()
