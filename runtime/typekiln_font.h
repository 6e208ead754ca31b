/* typekiln_font.h: loads a typekiln font and sets text with it. C99, one header.

   In exactly one C file of the game:

       #define TYPEKILN_FONT_IMPLEMENTATION
       #include "typekiln_font.h"

   and include it without the define wherever else it is needed. The header includes only
   <stdint.h> and <stddef.h>: it allocates nothing, prints nothing and calls nothing, so it runs
   on the console as it is. It reads the font one byte at a time, so the bytes may sit at any
   alignment (a ROM, a DMA buffer) on a host of either byte order.

   The font file, every number of more than one byte big-endian:

     0   "TKLN" "QZ7!" "N64!"   tags
     12  00 00 00 01            version
     16  count (at most 128), orientation (0 horizontal, 1 vertical), gap, space, drop x,
         drop y, 0, 0           (gap, space and the drop are signed bytes)
     24  count entries of 20 bytes:
           face:   block offset (4), width, height, top, stride
           shadow: block offset (4), width, height, top, stride  (all 0: no shadow)
           shadow position (2 signed bytes), character code, 0
     ..  the bitmap blocks: `height` rows of `stride` bytes, one coverage sample from 0 to 15
         per byte, the first `width` bytes of each row. A stride byte of 0 on a glyph 249 to 255
         wide means rows of 256 bytes.

   A vertical font is made for a screen turned on its side: each bitmap is stored turned a
   quarter turn counter-clockwise (its stored width is the glyph's drawn height; stored row i is
   drawn column w - 1 - i, read from the top), and its shadow position is stored as (dy, -dx).

   Setting text. Coordinates are upright: x to the right, y down, (x, y) the top of the first
   line, where a band's top was in the artist's picture. Each byte of the text in turn (or, in
   a box with TKF_UTF8, each character: U+0000 to U+00FF as its Latin-1 code, any other one,
   or a byte of a malformed sequence, as '?'):
   - '\n' returns the pen to x and moves it down by the line height: the largest top + drawn
     height over the font's faces (at least 1).
   - A byte with an entry (the first with that code) draws its face at (pen x, pen y + top);
     the pen moves right by the face's drawn width + gap. Any other byte, a space included
     unless the font has an entry for it, moves the pen right by `space` and draws nothing.
   - The shadow: an entry's shadow glyph at (pen x + dx, pen y + dy + its top); for an entry
     without one, when the drop is not (0, 0), the face in the shadow colour at (pen x + drop x,
     pen y + drop y + top). Every shadow of the text is drawn before any face.
   - A sample s covers with alpha a = 17 s: each colour channel becomes
     (colour a + old (255 - a) + 127) / 255, the surface's alpha a + (old (255 - a) + 127) / 255.
     In RGBA5551 the 5-bit channels are widened as (c << 3) | (c >> 2), blended, narrowed by
     >> 3, and the alpha bit is set when the blended alpha is 128 or more.
   - A vertical font draws for the turned screen: on a W x H surface it gives exactly what the
     same font laid out horizontally gives on an H x W surface, turned a quarter turn
     counter-clockwise. Its text runs up the surface.
   Drawing is clipped to the surface: no font, text or position makes it write outside it.

   A text box sets its text in lines from the box's top, one line height apart, breaking a line
   at '\n', else after the last space at which it still fits the box's width (that space is
   neither drawn nor counted), else after its last glyph that fits, one glyph at least. A line's
   width runs from its start to the right edge of its last face, spaces after it not counted;
   it starts at the box's left, at x + (width - line width) / 2 rounded down, or at x + width -
   line width. The lines wholly inside the box's height are drawn, clipped to the box.

   Glyph pages hold every bitmap as stored in I4 textures for the console's rasteriser: 4 bits a
   texel, the left one in the high nibble. Each glyph drawn as a textured rectangle in the
   primitive colour with the texel as alpha (17 t), shadows first, gives tkf_draw's picture.

   Licence: MIT, or public domain (the Unlicense), whichever you choose; see the end of the file.
   A game may ship the header, or the code built from it, with nothing to credit. */

#ifndef TYPEKILN_FONT_H
#define TYPEKILN_FONT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What tkf_open returns: 0, or the first thing it found wrong. */
enum {
  TKF_OK = 0,
  TKF_E_SHORT,       /* fewer bytes than the 24-byte header */
  TKF_E_TAG,         /* the tags are not "TKLN" "QZ7!" "N64!" */
  TKF_E_VERSION,     /* the version is not 1 */
  TKF_E_ORIENTATION, /* the orientation is neither 0 nor 1 */
  TKF_E_COUNT,       /* more than 128 entries */
  TKF_E_TABLE,       /* the table runs past the end of the bytes */
  TKF_E_BLOCK,       /* a bitmap block lies in the header or table, or past the end */
  TKF_E_STRIDE,      /* a bitmap's rows are shorter than its width */
  TKF_E_SAMPLE       /* a sample is above 15 */
};

/* What tkf_pages and tkf_draw refuse, as negative codes. TKF_E_SURFACE is the smallest int,
   which no pen position tkf_draw returns can be (those stay within -INT_MAX to INT_MAX). */
enum {
  TKF_E_PAGE = -1,                     /* a page size tkf_pages does not take */
  TKF_E_FIT = -2,                      /* a glyph larger than a page */
  TKF_E_ROOM = -3,                     /* fewer bytes than the pages need */
  TKF_E_SURFACE = -(int)(~0u >> 1) - 1 /* a surface tkf_draw leaves alone */
};

/* Surface formats: the console's two framebuffer formats, each pixel in the host's byte order,
   and the same two stored big-endian whatever the host (on the console they are the same). */
enum {
  TKF_RGBA8888 = 0,    /* one uint32_t per pixel, 0xRRGGBBAA */
  TKF_RGBA5551 = 1,    /* one uint16_t per pixel, RRRRRGGGGGBBBBBA */
  TKF_RGBA8888_BE = 2, /* 4 bytes per pixel: R, G, B, A */
  TKF_RGBA5551_BE = 3  /* 2 bytes per pixel: RRRRRGGG, GGBBBBBA */
};

/* How a text box places its lines, and how it reads its text. */
enum { TKF_ALIGN_LEFT = 0, TKF_ALIGN_CENTER = 1, TKF_ALIGN_RIGHT = 2 };
enum { TKF_UTF8 = 1 };

/* An open font. The caller owns it (on the stack, say) and keeps the bytes it was opened on for
   as long as it is used. The fields are read-only; a font that failed to open draws nothing. */
typedef struct tkf_font {
  const uint8_t* bytes;
  size_t size;
  int count;          /* table entries */
  int vertical;       /* 1: the bitmaps are stored turned for a screen on its side */
  int gap;            /* columns after each glyph's face */
  int space;          /* how far a byte without an entry moves the pen */
  int drop_x;         /* where an entry without a shadow glyph draws its face as its shadow; */
  int drop_y;         /*   (0, 0): it has no shadow */
  int line_height;    /* rows from the top of one line to the next */
  uint8_t first[256]; /* 1 + the first entry with each character code, 0 for none */
} tkf_font;

/* A bitmap as stored: `height` rows of `stride` bytes from `samples`, `width` samples each.
   `top` is in the artist's picture, upright, in both orientations. */
typedef struct tkf_bitmap {
  const uint8_t* samples;
  int width, height, stride, top;
} tkf_bitmap;

/* Pixels the caller owns: `height` rows of `width` pixels of `format`, `pitch` bytes from the
   start of one row to the next. In a host format `pixels` and `pitch` must suit the pixel's
   alignment; the big-endian formats are read a byte at a time and take any. */
typedef struct tkf_surface {
  void* pixels;
  int width, height, pitch;
  int format;
} tkf_surface;

/* A text box, upright: its top left corner and size, a TKF_ALIGN_* and TKF_UTF8 or 0. */
typedef struct tkf_box {
  int x, y, width, height;
  int align;
  int flags;
} tkf_box;

/* Where tkf_pages put a bitmap: its page, the texel (s, t) of its top left corner and its size
   as stored. All 0 for a bitmap the entry does not have. */
typedef struct tkf_rect {
  int page, s, t, width, height;
} tkf_rect;

/* One glyph as the text sets it. `rect` says which bitmap is drawn: 2 * entry for the face
   (also when the face is drawn as the drop shadow), 2 * entry + 1 for the shadow glyph. x, y,
   width and height are its box upright; on a vertical font's surface H pixels high the stored
   bitmap goes at (y, H - x - width). */
typedef struct tkf_glyph {
  int entry;
  int shadow; /* 1: drawn in the shadow colour */
  int rect;
  int x, y, width, height;
  tkf_bitmap bitmap;
} tkf_glyph;

/* Goes over the glyphs of a text in the order they are drawn: every shadow, then every face;
   with tkf_iter_by_page, each of the two grouped by page. Set it up with tkf_iter_text or
   tkf_iter_box; its fields are the runtime's own, but once tkf_iter_next has returned 0,
   `consumed` holds the bytes of text set, `lines` the lines set and `pen` the pen x after the
   last of them (clamped to -INT_MAX to INT_MAX). */
typedef struct tkf_iter {
  const tkf_font* font;
  const unsigned char* text;
  size_t length, at, line_end, line_next, consumed;
  long long x, y, width, height, pen_x, pen_y, line, lines_fit;
  int align, flags, wrap, pass, more, in_line, lines, pen;
  const tkf_rect* rects; /* NULL: text order */
  int paging, page, next_page, more_pages;
} tkf_iter;

/* Checks the whole font (header, table, every block and every sample) and opens it: 0, or a
   TKF_E_* code with `font` left as an empty font. Nothing is copied. */
int tkf_open(tkf_font* font, const void* bytes, size_t size);
/* The name of a TKF_E_* code, as a short English text. */
const char* tkf_error(int code);
/* The first entry with the character code, or -1. */
int tkf_find(const tkf_font* font, unsigned char code);
/* An entry's face bitmap: 1, or 0 (the bitmap cleared) when it has none. */
int tkf_face(const tkf_font* font, int entry, tkf_bitmap* bitmap);
/* An entry's shadow glyph: 1 with its bitmap and its position from the face in upright
   pixels (turned back for a vertical font); 0, the bitmap cleared and dx = dy = 0, when it
   has none. `dx` and `dy` may be NULL. */
int tkf_shadow(const tkf_font* font, int entry, tkf_bitmap* bitmap, int* dx, int* dy);
/* The text's size, upright: the furthest the pen gets to the right of where its lines start,
   and the number of lines times the line height. An empty text is one empty line. */
void tkf_measure(const tkf_font* font, const char* text, int* width, int* height);
/* The upright box, from (x, y), of every pixel tkf_draw may cover for the text, shadows
   included: left and top may be negative. All 0 when the text draws nothing. */
void tkf_bounds(const tkf_font* font, const char* text, int* left, int* top, int* width,
                int* height);
/* Sets the NUL-terminated text at (x, y) with faces in `face` and shadows in `shadow`, both
   0xRRGGBBAA (their alpha bytes are not used), and returns the pen x after its last byte, where
   more text would go on. A surface whose fields make no sense (no pixels, a size below 1, a
   pitch shorter than a row, an unknown format) is left alone: TKF_E_SURFACE. */
int tkf_draw(const tkf_font* font, tkf_surface* surface, int x, int y, const char* text,
             uint32_t face, uint32_t shadow);
/* Sets at most `length` bytes of `text` (fewer at a NUL) in the box, lines that do not fit
   left out, and returns the bytes of text the drawn lines took, the space or '\n' that ended
   each included: where the next page starts. 0 on a surface tkf_draw would leave alone. */
size_t tkf_draw_box(const tkf_font* font, tkf_surface* surface, const tkf_box* box,
                    const char* text, size_t length, uint32_t face, uint32_t shadow);
/* What tkf_draw_box would do, without drawing: the lines it draws, their height (lines times
   the line height) and the bytes it returns. */
void tkf_measure_box(const tkf_font* font, const tkf_box* box, const char* text, size_t length,
                     int* lines, int* height, size_t* consumed);
/* Set up `iter` for the NUL-terminated text at (x, y) as tkf_draw sets it, or for the text in
   the box as tkf_draw_box sets it (the caller clips to the box). */
void tkf_iter_text(tkf_iter* iter, const tkf_font* font, int x, int y, const char* text);
void tkf_iter_box(tkf_iter* iter, const tkf_font* font, const tkf_box* box, const char* text,
                  size_t length);
/* Called after tkf_iter_text or tkf_iter_box and before the first tkf_iter_next, makes the
   iteration give all the shadows, then all the faces, each of the two grouped by
   rects[glyph.rect].page (the rects tkf_pages wrote), pages ascending and in text order within
   a page: every glyph once, with the same fields, so that a rasteriser loads each page a pass
   touches once. It goes over the text once more for each page a pass touches, and allocates
   nothing. Where glyphs of one pass overlap, the later blends over the earlier: grouped, the
   order of two overlapping glyphs on different pages may change. */
void tkf_iter_by_page(tkf_iter* iter, const tkf_rect* rects);
/* The next glyph: 1, or 0 when there are no more. Glyphs the pen has carried more than 2^30
   pixels from 0 are left out: no surface reaches them. */
int tkf_iter_next(tkf_iter* iter, tkf_glyph* glyph);
/* Packs every entry's face and shadow glyph, as stored, into I4 pages of page_width x
   page_height texels (page_width a multiple of 16 from 16 to 1024, page_height from 1 to 1024,
   at most 4096 bytes a page), one after another from `pages`, texels outside the glyphs 0.
   Where each bitmap lies goes to rects[2 * entry] (face) and rects[2 * entry + 1] (shadow
   glyph); `rects` holds 2 * count, or is NULL. Returns the number of pages, or TKF_E_PAGE,
   TKF_E_FIT or TKF_E_ROOM (`size` too small) having written nothing. */
int tkf_pages(const tkf_font* font, void* pages, size_t size, int page_width, int page_height,
              tkf_rect* rects);
/* The number of pages tkf_pages makes, or TKF_E_PAGE or TKF_E_FIT. */
int tkf_pages_needed(const tkf_font* font, int page_width, int page_height);

#ifdef __cplusplus
}
#endif

#endif /* TYPEKILN_FONT_H */

#ifdef TYPEKILN_FONT_IMPLEMENTATION
#ifndef TYPEKILN_FONT_IMPLEMENTED
#define TYPEKILN_FONT_IMPLEMENTED

/* The font file's layout. typekiln's own reader and writer take the same numbers from
   src/font/font_format.h, under the C++ names given beside each: a change is made in both.
     TKF__HEADER          kHeaderSize          TKF__ENTRY           kTableEntrySize
     TKF__TAGS            kFontTags            TKF__TAGS_SIZE       kTagSize * kTagCount
     TKF__VERSION_AT      kVersionAt           TKF__VERSION         kFormatVersion
     TKF__COUNT_AT        kGlyphCountAt        TKF__ORIENTATION_AT  kOrientationAt
     TKF__GAP_AT          kGapAt               TKF__SPACE_AT        kSpaceAt
     TKF__DROP_X_AT       kDropXAt             TKF__DROP_Y_AT       kDropYAt
     TKF__VERTICAL        Orientation::Vertical
     TKF__SHADOW_FIELDS   kShadowFieldsAt      TKF__POSITION_AT     kShadowFirstAt
     TKF__CODE_AT         kCodeAt
     TKF__WIDTH_AT        kBitmapWidthAt       TKF__HEIGHT_AT       kBitmapHeightAt
     TKF__TOP_AT          kBitmapTopAt         TKF__STRIDE_AT       kBitmapStrideAt
     TKF__WIDEST_UNWRAPPED kWidestUnwrapped    TKF__WRAPPED_STRIDE  kWrappedStride
     TKF__MAX_SAMPLE      kMaxSample           TKF__MAX_ENTRIES     kMaxGlyphs
   A bitmap's offset is the first 4 bytes of its fields (kBitmapOffsetAt 0). */
#define TKF__HEADER 24u
#define TKF__ENTRY 20u
#define TKF__TAGS "TKLNQZ7!N64!"
#define TKF__TAGS_SIZE 12
#define TKF__VERSION_AT 12u
#define TKF__VERSION 1u
#define TKF__COUNT_AT 16
#define TKF__ORIENTATION_AT 17
#define TKF__GAP_AT 18
#define TKF__SPACE_AT 19
#define TKF__DROP_X_AT 20
#define TKF__DROP_Y_AT 21
#define TKF__VERTICAL 1
#define TKF__SHADOW_FIELDS 8u
#define TKF__POSITION_AT 16u
#define TKF__CODE_AT 18u
#define TKF__WIDTH_AT 4
#define TKF__HEIGHT_AT 5
#define TKF__TOP_AT 6
#define TKF__STRIDE_AT 7
#define TKF__WIDEST_UNWRAPPED 248
#define TKF__WRAPPED_STRIDE 256
#define TKF__MAX_SAMPLE 15
#define TKF__MAX_ENTRIES 128
#define TKF__INT_MAX ((long long)(~0u >> 1))

static uint32_t tkf__be32(const uint8_t* in) {
  return (uint32_t)in[0] << 24 | (uint32_t)in[1] << 16 | (uint32_t)in[2] << 8 | (uint32_t)in[3];
}

static int tkf__signed(uint8_t byte) { return byte < 0x80 ? (int)byte : (int)byte - 0x100; }

/* The 8 bytes of a bitmap's fields: offset, width, height, top, stride. */
static const uint8_t* tkf__fields(const uint8_t* bytes, int entry, int shadow) {
  return bytes + TKF__HEADER + TKF__ENTRY * (unsigned)entry + (shadow ? TKF__SHADOW_FIELDS : 0u);
}

/* A bitmap with all four of offset, width, height and stride 0 is absent. */
static int tkf__present(const uint8_t* fields) {
  return (fields[0] | fields[1] | fields[2] | fields[3] | fields[TKF__WIDTH_AT] |
          fields[TKF__HEIGHT_AT] | fields[TKF__STRIDE_AT]) != 0;
}

/* Bytes per row: the stride, or 256 for a 249 to 255 wide glyph whose stride byte wrapped. */
static int tkf__row_bytes(const uint8_t* fields) {
  return fields[TKF__STRIDE_AT] == 0 && fields[TKF__WIDTH_AT] > TKF__WIDEST_UNWRAPPED
             ? TKF__WRAPPED_STRIDE
             : (int)fields[TKF__STRIDE_AT];
}

/* Checks one bitmap against the bytes: its block after the table and inside the file, rows
   at least as long as its width, and every sample at most 15. */
static int tkf__check_bitmap(const uint8_t* bytes, size_t size, size_t table_end,
                             const uint8_t* fields) {
  const uint32_t offset = tkf__be32(fields);
  const int width = fields[TKF__WIDTH_AT], height = fields[TKF__HEIGHT_AT];
  const int row_bytes = tkf__row_bytes(fields);
  const size_t block = (size_t)height * (size_t)row_bytes;
  int x, y;
  if (row_bytes < width)
    return TKF_E_STRIDE;
  if (offset < table_end || offset > size || size - offset < block)
    return TKF_E_BLOCK;
  for (y = 0; y < height; ++y) {
    const uint8_t* row = bytes + offset + (size_t)y * (size_t)row_bytes;
    for (x = 0; x < width; ++x) {
      if (row[x] > TKF__MAX_SAMPLE)
        return TKF_E_SAMPLE;
    }
  }
  return TKF_OK;
}

static void tkf__clear(tkf_font* font) {
  int i;
  font->bytes = NULL;
  font->size = 0;
  font->count = font->vertical = 0;
  font->gap = font->space = font->drop_x = font->drop_y = 0;
  font->line_height = 1;
  for (i = 0; i < 256; ++i) font->first[i] = 0;
}

static int tkf__check(const uint8_t* bytes, size_t size) {
  static const char tags[] = TKF__TAGS;
  size_t table_end;
  int i, count, shadow, error;
  if (bytes == NULL || size < TKF__HEADER)
    return TKF_E_SHORT;
  for (i = 0; i < TKF__TAGS_SIZE; ++i) {
    if (bytes[i] != (uint8_t)tags[i])
      return TKF_E_TAG;
  }
  if (tkf__be32(bytes + TKF__VERSION_AT) != TKF__VERSION)
    return TKF_E_VERSION;
  if (bytes[TKF__ORIENTATION_AT] > TKF__VERTICAL)
    return TKF_E_ORIENTATION;
  count = bytes[TKF__COUNT_AT];
  if (count > TKF__MAX_ENTRIES)
    return TKF_E_COUNT;
  table_end = TKF__HEADER + TKF__ENTRY * (size_t)count;
  if (table_end > size)
    return TKF_E_TABLE;
  for (i = 0; i < count; ++i) {
    for (shadow = 0; shadow < 2; ++shadow) {
      const uint8_t* fields = tkf__fields(bytes, i, shadow);
      if (!tkf__present(fields))
        continue;
      error = tkf__check_bitmap(bytes, size, table_end, fields);
      if (error != TKF_OK)
        return error;
    }
  }
  return TKF_OK;
}

int tkf_open(tkf_font* font, const void* bytes, size_t size) {
  const uint8_t* in = (const uint8_t*)bytes;
  const int error = tkf__check(in, size);
  int i;
  tkf__clear(font);
  if (error != TKF_OK)
    return error;
  font->bytes = in;
  font->size = size;
  font->count = in[TKF__COUNT_AT];
  font->vertical = in[TKF__ORIENTATION_AT];
  font->gap = tkf__signed(in[TKF__GAP_AT]);
  font->space = tkf__signed(in[TKF__SPACE_AT]);
  font->drop_x = tkf__signed(in[TKF__DROP_X_AT]);
  font->drop_y = tkf__signed(in[TKF__DROP_Y_AT]);
  for (i = font->count - 1; i >= 0; --i) {
    const uint8_t* face = tkf__fields(in, i, 0);
    const int bottom =
        face[TKF__TOP_AT] + (font->vertical ? face[TKF__WIDTH_AT] : face[TKF__HEIGHT_AT]);
    if (tkf__present(face) && bottom > font->line_height)
      font->line_height = bottom;
    font->first[in[TKF__HEADER + TKF__ENTRY * (unsigned)i + TKF__CODE_AT]] = (uint8_t)(i + 1);
  }
  return TKF_OK;
}

const char* tkf_error(int code) {
  switch (code) {
    case TKF_OK:
      return "no error";
    case TKF_E_SHORT:
      return "too short for a font header";
    case TKF_E_TAG:
      return "not a typekiln font (wrong tags)";
    case TKF_E_VERSION:
      return "a font version other than 1";
    case TKF_E_ORIENTATION:
      return "an orientation other than horizontal or vertical";
    case TKF_E_COUNT:
      return "more than 128 entries";
    case TKF_E_TABLE:
      return "the table runs past the end of the file";
    case TKF_E_BLOCK:
      return "a bitmap lies outside the file or in its table";
    case TKF_E_STRIDE:
      return "a bitmap's rows are shorter than its width";
    case TKF_E_SAMPLE:
      return "a sample above 15";
    case TKF_E_PAGE:
      return "a page size other than 16 to 1024 by 1 to 1024, in 4096 bytes, its width a "
             "multiple of 16";
    case TKF_E_FIT:
      return "a glyph larger than a page";
    case TKF_E_ROOM:
      return "too few bytes for the pages";
    case TKF_E_SURFACE:
      return "a surface that cannot be drawn on";
    default:
      return "not a typekiln runtime code";
  }
}

int tkf_find(const tkf_font* font, unsigned char code) { return (int)font->first[code] - 1; }

/* Every glyph drawn reads its bitmaps here, so the fields are read once each (tkf__present's
   test, on the values read). */
static inline int tkf__bitmap(const tkf_font* font, int entry, int shadow, tkf_bitmap* bitmap) {
  if (entry >= 0 && entry < font->count) {
    const uint8_t* fields = tkf__fields(font->bytes, entry, shadow);
    const uint32_t offset = tkf__be32(fields);
    const int width = fields[TKF__WIDTH_AT], height = fields[TKF__HEIGHT_AT];
    if ((offset | (uint32_t)width | (uint32_t)height | fields[TKF__STRIDE_AT]) != 0) {
      bitmap->samples = font->bytes + offset;
      bitmap->width = width;
      bitmap->height = height;
      bitmap->top = fields[TKF__TOP_AT];
      bitmap->stride = tkf__row_bytes(fields);
      return 1;
    }
  }
  bitmap->samples = NULL;
  bitmap->width = bitmap->height = bitmap->stride = bitmap->top = 0;
  return 0;
}

int tkf_face(const tkf_font* font, int entry, tkf_bitmap* bitmap) {
  return tkf__bitmap(font, entry, 0, bitmap);
}

/* Where an entry's shadow glyph goes from its face, upright: stored turned for a vertical font. */
static void tkf__shadow_offset(const tkf_font* font, int entry, int* dx, int* dy) {
  const uint8_t* position =
      font->bytes + TKF__HEADER + TKF__ENTRY * (unsigned)entry + TKF__POSITION_AT;
  const int first = tkf__signed(position[0]), second = tkf__signed(position[1]);
  *dx = font->vertical ? -second : first;
  *dy = font->vertical ? first : second;
}

int tkf_shadow(const tkf_font* font, int entry, tkf_bitmap* bitmap, int* dx, int* dy) {
  const int present = tkf__bitmap(font, entry, 1, bitmap);
  int first = 0, second = 0;
  if (present)
    tkf__shadow_offset(font, entry, &first, &second);
  if (dx != NULL)
    *dx = first;
  if (dy != NULL)
    *dy = second;
  return present;
}

/* The glyph width a bitmap covers upright. */
static int tkf__drawn_width(const tkf_font* font, const tkf_bitmap* bitmap) {
  return font->vertical ? bitmap->height : bitmap->width;
}

static int tkf__drawn_height(const tkf_font* font, const tkf_bitmap* bitmap) {
  return font->vertical ? bitmap->width : bitmap->height;
}

static int tkf__clamp(long long value) {
  return value > TKF__INT_MAX    ? (int)TKF__INT_MAX
         : value < -TKF__INT_MAX ? (int)-TKF__INT_MAX
                                 : (int)value;
}

/* ---- Setting text. Every function that sets text goes through the iterator below, so the
   rules for where each glyph goes live in these few functions. Positions are kept in 64 bits:
   no text is long enough to carry them out of range. */

#define TKF__NO_END ((size_t)-1)
#define TKF__ALL_LINES (1LL << 62)
#define TKF__FACE_PASS 1
#define TKF__PASSES 2
/* How an iterator grouped by page goes over a pass: once finding its first page, giving
   nothing, then once for each page it touches, giving that page's glyphs. */
#define TKF__TEXT_ORDER 0
#define TKF__FINDING 1
#define TKF__GIVING 2

static int tkf__in_text(const tkf_iter* it, size_t at) {
  return at < it->length && it->text[at] != 0;
}

/* Reads the character at `at`, which is in the text: sets the code whose entry it sets and
   returns where the next one starts. Bytes are characters unless the text is UTF-8; then
   U+0000 to U+00FF give their Latin-1 code and any other character '?', as does each byte of a
   malformed sequence (an overlong form, a surrogate, past U+10FFFF, cut short). */
static size_t tkf__char_utf8(const tkf_iter* it, size_t at, unsigned* code) {
  const unsigned lead = it->text[at];
  unsigned value, need, i, low, high;
  *code = '?';
  need = lead >= 0xC2 && lead <= 0xDF   ? 1u
         : lead >= 0xE0 && lead <= 0xEF ? 2u
         : lead >= 0xF0 && lead <= 0xF4 ? 3u
                                        : 0u;
  if (need == 0)
    return at + 1;
  low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  value = lead & (0x3Fu >> need);
  for (i = 1; i <= need; ++i) {
    const unsigned byte = at + i < it->length ? it->text[at + i] : 0u;
    if (byte < low || byte > high)
      return at + 1;
    value = value << 6 | (byte & 0x3Fu);
    low = 0x80, high = 0xBF;
  }
  *code = value <= 0xFF ? value : '?';
  return at + 1 + need;
}

/* A byte below 0x80, or any byte of a text that is not UTF-8, is its own code: the common case
   stays small enough to inline, the rest is a call. */
static inline size_t tkf__char(const tkf_iter* it, size_t at, unsigned* code) {
  const unsigned lead = it->text[at];
  if ((it->flags & TKF_UTF8) && lead >= 0x80)
    return tkf__char_utf8(it, at, code);
  *code = lead;
  return at + 1;
}

/* What a character sets: `entry` (the first with its code, or -1), its `face` (cleared when it
   has none) and the pen's move, the face's drawn width + gap, or `space` when it has no face.
   `face_width` is -1 without a face. */
static inline int tkf__advance(const tkf_font* font, unsigned code, int* entry, int* face_width,
                               tkf_bitmap* face) {
  *entry = tkf_find(font, (unsigned char)code);
  *face_width = -1;
  if (!tkf_face(font, *entry, face))
    return font->space;
  *face_width = tkf__drawn_width(font, face);
  return *face_width + font->gap;
}

/* Sets the iterator at the start of the text, in the box. Point text is a box that does not
   wrap and has room for every line. */
static void tkf__iter_start(tkf_iter* it, const tkf_font* font, const tkf_box* box,
                            const char* text, size_t length, int wrap) {
  it->font = font;
  it->text = (const unsigned char*)text;
  it->length = text != NULL ? length : 0;
  it->at = it->line_end = it->line_next = it->consumed = 0;
  it->x = it->pen_x = box->x;
  it->y = it->pen_y = box->y;
  it->width = box->width;
  it->height = box->height;
  it->line = 0;
  it->lines_fit = !wrap ? TKF__ALL_LINES : box->height > 0 ? box->height / font->line_height : 0;
  it->align = box->align;
  it->flags = box->flags;
  it->wrap = wrap;
  it->pass = 0;
  it->more = 1;
  it->in_line = 0;
  it->lines = 0;
  it->pen = tkf__clamp(box->x);
  it->rects = NULL;
  it->paging = TKF__TEXT_ORDER;
  it->page = it->next_page = it->more_pages = 0;
}

void tkf_iter_text(tkf_iter* it, const tkf_font* font, int x, int y, const char* text) {
  const tkf_box at = {x, y, 0, 0, TKF_ALIGN_LEFT, 0};
  tkf__iter_start(it, font, &at, text, TKF__NO_END, 0);
}

void tkf_iter_box(tkf_iter* it, const tkf_font* font, const tkf_box* box, const char* text,
                  size_t length) {
  static const tkf_box none = {0, 0, 0, 0, TKF_ALIGN_LEFT, 0};
  tkf__iter_start(it, font, box != NULL ? box : &none, box != NULL ? text : NULL, length, 1);
}

/* Finds where the box's line from `at` ends: `line_end` after its last character drawn,
   `line_next` where the next line starts, and its width. */
static long long tkf__lay_line(tkf_iter* it) {
  size_t at = it->at, next, space_at = 0, space_next = 0, glyph_end = it->at;
  long long pen = 0, width = 0, space_width = 0;
  int glyphs = 0, spaced = 0, entry, face_width;
  unsigned code;
  tkf_bitmap face;
  for (;; at = next) {
    int advance;
    if (!tkf__in_text(it, at)) {
      it->line_end = it->line_next = at;
      it->more = 0;
      return width;
    }
    next = tkf__char(it, at, &code);
    it->more = 1;
    if (code == '\n') {
      it->line_end = at;
      it->line_next = next;
      return width;
    }
    advance = tkf__advance(it->font, code, &entry, &face_width, &face);
    if (code == ' ') {
      if (glyphs > 0 && width <= it->width)
        space_at = at, space_next = next, space_width = width, spaced = 1;
    } else {
      if (face_width >= 0 && pen + face_width > it->width && glyphs > 0) {
        if (spaced) {
          it->line_end = space_at;
          it->line_next = space_next;
          return space_width;
        }
        it->line_end = it->line_next = glyph_end;
        return width;
      }
      if (face_width >= 0)
        width = pen + face_width;
      ++glyphs;
      glyph_end = next;
    }
    pen += advance;
  }
}

/* Starts the next line of the pass: 0 when there is none (the text has ended, or the box has no
   room for it). */
static int tkf__begin_line(tkf_iter* it) {
  long long start = it->x;
  if (!it->more || it->line >= it->lines_fit)
    return 0;
  if (it->wrap) {
    const long long room = it->width - tkf__lay_line(it);
    if (it->align == TKF_ALIGN_CENTER)
      start += room >= 0 ? room / 2 : -((1 - room) / 2);
    else if (it->align == TKF_ALIGN_RIGHT)
      start += room;
  }
  it->pen_x = start;
  it->pen_y = it->y + it->line * it->font->line_height;
  it->in_line = 1;
  return 1;
}

/* Ends the line when the pen has reached its end: 1 then, with the line counted. */
static inline int tkf__end_line(tkf_iter* it) {
  if (it->wrap) {
    if (it->at < it->line_end)
      return 0;
    it->at = it->line_next;
  } else if (!tkf__in_text(it, it->at)) {
    it->more = 0;
  } else if (it->text[it->at] == '\n') {
    ++it->at;
  } else {
    return 0;
  }
  it->in_line = 0;
  it->consumed = it->at;
  it->pen = tkf__clamp(it->pen_x);
  it->lines = tkf__clamp(++it->line);
  return 1;
}

/* A bitmap copied field by field: a compiler may make a whole-struct copy a call to memcpy,
   and the runtime calls nothing. */
static void tkf__copy_bitmap(tkf_bitmap* to, const tkf_bitmap* from) {
  to->samples = from->samples;
  to->width = from->width;
  to->height = from->height;
  to->stride = from->stride;
  to->top = from->top;
}

/* One bitmap placed upright at (x, y): its top left corner as drawn. */
typedef struct tkf__placed {
  tkf_bitmap bitmap;
  long long x, y;
  int rect;
} tkf__placed;

/* Where an entry's shadow goes when its `face` (cleared without one) is at the pen (x, y): 0
   when it has none. */
static int tkf__place_shadow(const tkf_font* font, int entry, const tkf_bitmap* face, long long x,
                             long long y, tkf__placed* placed) {
  int dx, dy;
  placed->rect = 2 * entry + 1;
  if (tkf__bitmap(font, entry, 1, &placed->bitmap)) {
    tkf__shadow_offset(font, entry, &dx, &dy);
    placed->x = x + dx;
    placed->y = y + dy + placed->bitmap.top;
    return 1;
  }
  placed->rect = 2 * entry;
  if ((font->drop_x == 0 && font->drop_y == 0) || face->samples == NULL)
    return 0;
  tkf__copy_bitmap(&placed->bitmap, face);
  placed->x = x + font->drop_x;
  placed->y = y + font->drop_y + face->top;
  return 1;
}

static int tkf__place_face(int entry, const tkf_bitmap* face, long long x, long long y,
                           tkf__placed* placed) {
  placed->rect = 2 * entry;
  if (face->samples == NULL)
    return 0;
  tkf__copy_bitmap(&placed->bitmap, face);
  placed->x = x;
  placed->y = y + face->top;
  return 1;
}

/* At the end of a pass grouped by page: 1 when it goes over the text again for its next page,
   0 when the next pass starts (by finding its first page). */
static int tkf__turn_page(tkf_iter* it) {
  if (!it->more_pages) {
    it->paging = TKF__FINDING;
    return 0;
  }
  it->page = it->next_page;
  it->paging = TKF__GIVING;
  it->more_pages = 0;
  return 1;
}

/* tkf_draw's loop takes its glyphs from the body of tkf__next inlined, which saves a call that
   costs a few instructions for every pixel it sets on a 32-bit processor; compilers without
   the attribute decide for themselves. */
#if defined(__GNUC__)
#define TKF__ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define TKF__ALWAYS_INLINE inline
#endif

/* The next glyph to draw, every shadow first: 1, or 0 when the text is done. */
static TKF__ALWAYS_INLINE int tkf__next_inline(tkf_iter* it, tkf__placed* placed) {
  while (it->pass < TKF__PASSES) {
    unsigned code;
    long long x;
    int entry, face_width;
    tkf_bitmap face;
    if (!it->in_line && !tkf__begin_line(it)) {
      if (it->paging == TKF__TEXT_ORDER || !tkf__turn_page(it))
        ++it->pass;
      if (it->pass < TKF__PASSES) {
        it->at = 0;
        it->line = 0;
        it->more = 1;
      }
      continue;
    }
    if (tkf__end_line(it))
      continue;
    it->at = tkf__char(it, it->at, &code);
    x = it->pen_x;
    it->pen_x += tkf__advance(it->font, code, &entry, &face_width, &face);
    if (entry >= 0 && (it->pass == TKF__FACE_PASS
                           ? tkf__place_face(entry, &face, x, it->pen_y, placed)
                           : tkf__place_shadow(it->font, entry, &face, x, it->pen_y, placed)))
      return 1;
  }
  return 0;
}

static int tkf__next(tkf_iter* it, tkf__placed* placed) { return tkf__next_inline(it, placed); }

#define TKF__REACH (1LL << 30)

void tkf_iter_by_page(tkf_iter* it, const tkf_rect* rects) {
  it->rects = rects;
  it->paging = rects != NULL ? TKF__FINDING : TKF__TEXT_ORDER;
  it->more_pages = 0;
}

/* Grouped by page: 1 when the glyph's page is the one being given; else it notes the page if
   it is the nearest after that one. */
static int tkf__on_page(tkf_iter* it, int rect) {
  const int page = it->rects[rect].page;
  if (it->paging == TKF__GIVING && page == it->page)
    return 1;
  if ((it->paging == TKF__FINDING || page > it->page) &&
      (!it->more_pages || page < it->next_page)) {
    it->next_page = page;
    it->more_pages = 1;
  }
  return 0;
}

int tkf_iter_next(tkf_iter* it, tkf_glyph* glyph) {
  tkf__placed placed;
  while (tkf__next(it, &placed)) {
    const long long width = tkf__drawn_width(it->font, &placed.bitmap);
    const long long height = tkf__drawn_height(it->font, &placed.bitmap);
    if (placed.x < -TKF__REACH || placed.x + width > TKF__REACH || placed.y < -TKF__REACH ||
        placed.y + height > TKF__REACH)
      continue;
    if (it->paging != TKF__TEXT_ORDER && !tkf__on_page(it, placed.rect))
      continue;
    glyph->entry = placed.rect / 2;
    glyph->shadow = it->pass != TKF__FACE_PASS;
    glyph->rect = placed.rect;
    glyph->x = (int)placed.x;
    glyph->y = (int)placed.y;
    glyph->width = (int)width;
    glyph->height = (int)height;
    tkf__copy_bitmap(&glyph->bitmap, &placed.bitmap);
    return 1;
  }
  return 0;
}

void tkf_measure(const tkf_font* font, const char* text, int* width, int* height) {
  tkf_iter it;
  long long widest = 0;
  *width = *height = 0;
  if (text == NULL)
    return;
  tkf_iter_text(&it, font, 0, 0, text);
  while (tkf__begin_line(&it)) {
    while (!tkf__end_line(&it)) {
      unsigned code;
      int entry, face_width;
      tkf_bitmap face;
      it.at = tkf__char(&it, it.at, &code);
      it.pen_x += tkf__advance(font, code, &entry, &face_width, &face);
      if (it.pen_x > widest)
        widest = it.pen_x;
    }
  }
  *width = tkf__clamp(widest);
  *height = tkf__clamp(it.line * font->line_height);
}

void tkf_bounds(const tkf_font* font, const char* text, int* left, int* top, int* width,
                int* height) {
  tkf_iter it;
  tkf__placed placed;
  long long x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int any = 0;
  *left = *top = *width = *height = 0;
  if (text == NULL)
    return;
  tkf_iter_text(&it, font, 0, 0, text);
  while (tkf__next(&it, &placed)) {
    const long long right = placed.x + tkf__drawn_width(font, &placed.bitmap);
    const long long bottom = placed.y + tkf__drawn_height(font, &placed.bitmap);
    if (right == placed.x || bottom == placed.y)
      continue;
    if (!any || placed.x < x0)
      x0 = placed.x;
    if (!any || placed.y < y0)
      y0 = placed.y;
    if (!any || right > x1)
      x1 = right;
    if (!any || bottom > y1)
      y1 = bottom;
    any = 1;
  }
  if (!any)
    return;
  *left = tkf__clamp(x0);
  *top = tkf__clamp(y0);
  *width = tkf__clamp(x1 - x0);
  *height = tkf__clamp(y1 - y0);
}

void tkf_measure_box(const tkf_font* font, const tkf_box* box, const char* text, size_t length,
                     int* lines, int* height, size_t* consumed) {
  tkf_iter it;
  tkf_iter_box(&it, font, box, text, length);
  while (tkf__begin_line(&it)) {
    it.at = it.line_end;
    tkf__end_line(&it);
  }
  *lines = it.lines;
  *height = tkf__clamp(it.line * font->line_height);
  *consumed = it.consumed;
}

/* ---- Drawing on a surface. */

/* The pixels drawing may touch, on the surface: x0 <= x < x1, y0 <= y < y1. */
typedef struct tkf__clip {
  long long x0, y0, x1, y1;
} tkf__clip;

static int tkf__pixel_size(int format) {
  return format == TKF_RGBA8888 || format == TKF_RGBA8888_BE ? 4 : 2;
}

/* A colour's share of the blend for each sample s, worked out once per colour: with a = 17 s
   a channel becomes (c a + o (255 - a) + 127) / 255, so everything but o (255 - a) is fixed.
   Two channels share one multiply in the two 16-bit halves of a word; the surface's alpha
   a + (o (255 - a) + 127) / 255 is (o (255 - a) + 127 + 255 a) / 255, the same form with
   c = 255. Each half holds x + 1 = c a + o (255 - a) + 128, at most 65153, and
   (x + 1 + ((x + 1) >> 8)) >> 8 is x / 255 exactly for every x up to 65152: so the halves
   never carry into each other, and both divide at once. */
typedef struct tkf__ink {
  uint32_t rb;    /* c a + 128: red and blue; on RGBA5551, blue and red */
  uint32_t ga;    /* c a + 128: green and alpha (255 a + 128); on RGBA5551, green alone */
  uint32_t keep;  /* 255 - a */
  uint32_t solid; /* for s = 15, the pixel whatever the old one: the colour, alpha full */
} tkf__ink;

/* The 16 entries for one colour on a surface of `format`. */
static void tkf__ink_for(tkf__ink ink[16], uint32_t colour, int format) {
  const uint32_t r = colour >> 24, g = colour >> 16 & 0xFFu, b = colour >> 8 & 0xFFu;
  const int narrow = format == TKF_RGBA5551 || format == TKF_RGBA5551_BE;
  const uint32_t rb_step = 17u * (narrow ? b << 16 | r : r << 16 | b);
  const uint32_t ga_step = 17u * (narrow ? g : g << 16 | 255u);
  uint32_t rb = 128u << 16 | 128u, ga = narrow ? 128u : 128u << 16 | 128u;
  int s;
  for (s = 0; s < 16; ++s, rb += rb_step, ga += ga_step) {
    ink[s].rb = rb, ink[s].ga = ga;
    ink[s].keep = 255u - 17u * (unsigned)s;
    ink[s].solid = 0;
  }
  ink[TKF__MAX_SAMPLE].solid =
      narrow ? (r << 8 & 0xF800u) | (g << 3 & 0x7C0u) | (b >> 2 & 0x3Eu) | 1u : colour | 0xFFu;
}

#define TKF__LANES 0x00FF00FFu

/* Sample s (1 to 15) blended over an RGBA8888 pixel. */
static inline uint32_t tkf__mix8888(uint32_t old, const tkf__ink* ink) {
  const uint32_t rb = (old >> 8 & TKF__LANES) * ink->keep + ink->rb;
  const uint32_t ga = (old & TKF__LANES) * ink->keep + ink->ga;
  return ((rb + (rb >> 8 & TKF__LANES)) & ~TKF__LANES) |
         ((ga + (ga >> 8 & TKF__LANES)) >> 8 & TKF__LANES);
}

/* The same over an RGBA5551 pixel, its channels widened to 8 bits and narrowed back: blue and
   red in the halves of one word (blue high, so that red ends where the pixel keeps it; the bits
   blue pushes into red's half as it widens fall outside the lanes), green alone. The alpha
   blends to a + keep = 255 over a set bit and to a over a clear one, so the bit stays set or
   becomes a >= 128, s >= 8. */
static inline unsigned tkf__mix5551(unsigned old, unsigned s, const tkf__ink* ink) {
  const uint32_t br5 = (old & 0x3Eu) << 15 | old >> 11;
  const uint32_t brx = ((br5 << 3 | br5 >> 2) & TKF__LANES) * ink->keep + ink->rb;
  const uint32_t br = brx + (brx >> 8 & TKF__LANES);
  const uint32_t g5 = old >> 6 & 0x1Fu;
  const uint32_t gx = (g5 << 3 | g5 >> 2) * ink->keep + ink->ga;
  const uint32_t g = gx + (gx >> 8);
  return (br & 0xF800u) | (g >> 5 & 0x7C0u) | (br >> 26 & 0x3Eu) | (old & 1u) | s >> 3;
}

/* The rows of one glyph, clipped: `rows` rows of `count` samples from `in`, `stride` apart,
   onto the pixels from `out` on, `pitch` bytes apart. Each host format has a loop of its own
   with its blend inlined, two samples a turn (a clear one costs a load and a branch), and the
   counts are ints: 64-bit counters cost a 32-bit processor twice. */
typedef struct tkf__span {
  uint8_t* out;
  const uint8_t* in;
  int pitch, stride, count, rows;
} tkf__span;

/* A clear sample leaves the pixel, a full one sets the colour. */
static inline void tkf__set8888(uint32_t* pixel, unsigned s, const tkf__ink* ink) {
  if (s == 0)
    return;
  if (s == TKF__MAX_SAMPLE)
    *pixel = ink[TKF__MAX_SAMPLE].solid;
  else
    *pixel = tkf__mix8888(*pixel, ink + s);
}

static inline void tkf__set5551(uint16_t* pixel, unsigned s, const tkf__ink* ink) {
  if (s == 0)
    return;
  if (s == TKF__MAX_SAMPLE)
    *pixel = (uint16_t)ink[TKF__MAX_SAMPLE].solid;
  else
    *pixel = (uint16_t)tkf__mix5551(*pixel, s, ink + s);
}

/* The loop of one host format, written once and spelled out for each by the preprocessor, so
   that each keeps its own pixel type and its `set` inlined whatever the compiler's options. */
#define TKF__BLEND_LOOP(name, pixel_type, set)                                          \
  static void name(const tkf__span* span, const tkf__ink* ink) {                        \
    uint8_t* out = span->out;                                                           \
    const uint8_t* in = span->in;                                                       \
    int rows;                                                                           \
    for (rows = span->rows; rows > 0; --rows, out += span->pitch, in += span->stride) { \
      pixel_type* pixel = (pixel_type*)(void*)out;                                      \
      const uint8_t *at = in, *end = in + span->count;                                  \
      if (span->count & 1)                                                              \
        set(pixel++, *at++, ink);                                                       \
      for (; at != end; at += 2, pixel += 2) {                                          \
        set(pixel, at[0], ink);                                                         \
        set(pixel + 1, at[1], ink);                                                     \
      }                                                                                 \
    }                                                                                   \
  }
TKF__BLEND_LOOP(tkf__blend8888, uint32_t, tkf__set8888)
TKF__BLEND_LOOP(tkf__blend5551, uint16_t, tkf__set5551)
#undef TKF__BLEND_LOOP

/* The big-endian formats a byte at a time, for a host of either order. */
static void tkf__blend_be(const tkf__span* span, int wide, const tkf__ink* ink) {
  uint8_t* out = span->out;
  const uint8_t* in = span->in;
  int i, j;
  for (i = 0; i < span->rows; ++i, out += span->pitch, in += span->stride) {
    uint8_t* at = out;
    for (j = 0; j < span->count; ++j, at += wide ? 4 : 2) {
      const unsigned s = in[j];
      if (s != 0 && wide) {
        const uint32_t pixel = tkf__mix8888(
            (uint32_t)at[0] << 24 | (uint32_t)at[1] << 16 | (uint32_t)at[2] << 8 | at[3], ink + s);
        at[0] = (uint8_t)(pixel >> 24), at[1] = (uint8_t)(pixel >> 16);
        at[2] = (uint8_t)(pixel >> 8), at[3] = (uint8_t)pixel;
      } else if (s != 0) {
        const unsigned pixel = tkf__mix5551((unsigned)at[0] << 8 | at[1], s, ink + s);
        at[0] = (uint8_t)(pixel >> 8), at[1] = (uint8_t)pixel;
      }
    }
  }
}

/* The pixels drawing may touch, cut to the surface: x0 <= x < x1, y0 <= y < y1. */
typedef struct tkf__area {
  int x0, y0, x1, y1;
} tkf__area;

/* `value` brought within low to high. */
static int tkf__within(long long value, int low, int high) {
  return value < low ? low : value > high ? high : (int)value;
}

/* Draws a placed bitmap, clipped. The stored bitmap lands on the surface as it is stored: at
   the upright place for a horizontal font, and for a vertical one where the upright place
   falls on the turned surface (x' = y, y' = surface height - x - drawn width). */
static void tkf__blit(const tkf_font* font, const tkf_surface* surface, const tkf__area* area,
                      const tkf__placed* placed, const tkf__ink* ink) {
  const tkf_bitmap* bitmap = &placed->bitmap;
  const long long sx = font->vertical ? placed->y : placed->x;
  const long long sy = font->vertical ? surface->height - placed->x - bitmap->height : placed->y;
  int x, y, x0, y0, x1, y1;
  tkf__span span;
  /* A place that does not fit an int is off every surface. From here on every number is an
     int: the area lies within the surface and a bitmap is at most 256 wide. */
  if ((unsigned long long)(sx + 0x80000000LL) > 0xFFFFFFFFull ||
      (unsigned long long)(sy + 0x80000000LL) > 0xFFFFFFFFull)
    return;
  x = (int)sx, y = (int)sy;
  if (x >= area->x1 || y >= area->y1 || x <= area->x0 - bitmap->width ||
      y <= area->y0 - bitmap->height)
    return;
  x0 = x < area->x0 ? area->x0 - x : 0, y0 = y < area->y0 ? area->y0 - y : 0;
  x1 = area->x1 - x < bitmap->width ? area->x1 - x : bitmap->width;
  y1 = area->y1 - y < bitmap->height ? area->y1 - y : bitmap->height;
  span.in = bitmap->samples + y0 * bitmap->stride + x0;
  span.out = (uint8_t*)surface->pixels + (size_t)(y + y0) * (size_t)surface->pitch +
             (size_t)(x + x0) * (size_t)tkf__pixel_size(surface->format);
  span.pitch = surface->pitch;
  span.stride = bitmap->stride;
  span.count = x1 - x0;
  span.rows = y1 - y0;
  if (surface->format == TKF_RGBA8888)
    tkf__blend8888(&span, ink);
  else if (surface->format == TKF_RGBA5551)
    tkf__blend5551(&span, ink);
  else
    tkf__blend_be(&span, surface->format == TKF_RGBA8888_BE, ink);
}

/* The remainder is taken in int and uintptr_t: a 64-bit one would call a library helper on a
   32-bit processor. */
static int tkf__usable(const tkf_surface* surface) {
  const int format = surface->format;
  const int size = tkf__pixel_size(format);
  if (format != TKF_RGBA8888 && format != TKF_RGBA5551 && format != TKF_RGBA8888_BE &&
      format != TKF_RGBA5551_BE)
    return 0;
  if (surface->pixels == NULL || surface->width < 1 || surface->height < 1)
    return 0;
  if (surface->pitch < (long long)surface->width * size)
    return 0;
  if (format == TKF_RGBA8888_BE || format == TKF_RGBA5551_BE)
    return 1;
  return surface->pitch % size == 0 && (uintptr_t)surface->pixels % (uintptr_t)size == 0;
}

/* Draws every glyph of the text, clipped to the surface and `clip`. */
static void tkf__draw(tkf_iter* it, tkf_surface* surface, tkf__clip clip, uint32_t face,
                      uint32_t shadow) {
  tkf__placed placed;
  tkf__area area;
  tkf__ink ink[16];
  int inked = -1; /* the pass whose colour `ink` holds */
  area.x0 = tkf__within(clip.x0, 0, surface->width);
  area.y0 = tkf__within(clip.y0, 0, surface->height);
  area.x1 = tkf__within(clip.x1, area.x0, surface->width);
  area.y1 = tkf__within(clip.y1, area.y0, surface->height);
  while (tkf__next_inline(it, &placed)) {
    if (inked != it->pass) {
      tkf__ink_for(ink, it->pass == TKF__FACE_PASS ? face : shadow, surface->format);
      inked = it->pass;
    }
    tkf__blit(it->font, surface, &area, &placed, ink);
  }
}

int tkf_draw(const tkf_font* font, tkf_surface* surface, int x, int y, const char* text,
             uint32_t face, uint32_t shadow) {
  tkf_iter it;
  tkf__clip all;
  if (surface == NULL || !tkf__usable(surface))
    return TKF_E_SURFACE;
  all.x0 = all.y0 = 0;
  all.x1 = surface->width;
  all.y1 = surface->height;
  tkf_iter_text(&it, font, x, y, text);
  tkf__draw(&it, surface, all, face, shadow);
  return it.pen;
}

size_t tkf_draw_box(const tkf_font* font, tkf_surface* surface, const tkf_box* box,
                    const char* text, size_t length, uint32_t face, uint32_t shadow) {
  tkf_iter it;
  tkf__clip inside;
  if (surface == NULL || box == NULL || !tkf__usable(surface))
    return 0;
  /* Upright (u, v) is (v, height - 1 - u) on a vertical font's surface. */
  inside.x0 = font->vertical ? box->y : box->x;
  inside.x1 = inside.x0 + (font->vertical ? box->height : box->width);
  inside.y0 = font->vertical ? (long long)surface->height - box->x - box->width : box->y;
  inside.y1 = inside.y0 + (font->vertical ? box->width : box->height);
  tkf_iter_box(&it, font, box, text, length);
  tkf__draw(&it, surface, inside, face, shadow);
  return it.consumed;
}

/* ---- Glyph pages. */

#define TKF__PAGE_BYTES 4096
#define TKF__PAGE_SIDE 1024
#define TKF__TEXELS_PER_ROW_UNIT 16

/* Places every bitmap on shelves, the tallest first: each goes right of the last on the shelf,
   else on a new shelf below, else at the top of a new page. Writes the rects and texels when
   `rects` and `pages` are given; returns the pages used or a negative code. */
static int tkf__pack(const tkf_font* font, int page_width, int page_height, tkf_rect* rects,
                     uint8_t* pages) {
  const size_t row_bytes = (size_t)page_width / 2, page_bytes = row_bytes * (size_t)page_height;
  int page = 0, s = 0, t = 0, shelf = 0, used = 0, height, i;
  if (page_width < TKF__TEXELS_PER_ROW_UNIT || page_width > TKF__PAGE_SIDE ||
      page_width % TKF__TEXELS_PER_ROW_UNIT != 0 || page_height < 1 ||
      page_height > TKF__PAGE_SIDE || page_width * page_height / 2 > TKF__PAGE_BYTES)
    return TKF_E_PAGE;
  for (height = 255; height > 0; --height) {
    for (i = 0; i < 2 * font->count; ++i) {
      tkf_bitmap bitmap;
      int x, y;
      if (!tkf__bitmap(font, i / 2, i % 2, &bitmap) || bitmap.height != height || bitmap.width == 0)
        continue;
      if (bitmap.width > page_width || bitmap.height > page_height)
        return TKF_E_FIT;
      if (s + bitmap.width > page_width)
        t += shelf, s = 0, shelf = 0;
      if (t + bitmap.height > page_height)
        ++page, t = 0, s = 0, shelf = 0;
      if (shelf == 0)
        shelf = bitmap.height;
      if (rects != NULL) {
        rects[i].page = page, rects[i].s = s, rects[i].t = t;
        rects[i].width = bitmap.width, rects[i].height = bitmap.height;
      }
      for (y = 0; pages != NULL && y < bitmap.height; ++y) {
        const uint8_t* in = bitmap.samples + (size_t)y * (size_t)bitmap.stride;
        uint8_t* out = pages + (size_t)page * page_bytes + (size_t)(t + y) * row_bytes;
        for (x = 0; x < bitmap.width; ++x) {
          const int texel = s + x;
          out[texel / 2] |= (uint8_t)(texel % 2 == 0 ? in[x] << 4 : in[x]);
        }
      }
      s += bitmap.width;
      used = 1;
    }
  }
  return used ? page + 1 : 0;
}

int tkf_pages_needed(const tkf_font* font, int page_width, int page_height) {
  return tkf__pack(font, page_width, page_height, NULL, NULL);
}

int tkf_pages(const tkf_font* font, void* pages, size_t size, int page_width, int page_height,
              tkf_rect* rects) {
  const int count = tkf__pack(font, page_width, page_height, NULL, NULL);
  size_t i, bytes;
  if (count < 0)
    return count;
  bytes = (size_t)count * (size_t)(page_width / 2) * (size_t)page_height;
  if (bytes > size || (bytes > 0 && pages == NULL))
    return TKF_E_ROOM;
  for (i = 0; i < bytes; ++i) ((uint8_t*)pages)[i] = 0;
  for (i = 0; rects != NULL && i < 2 * (size_t)font->count; ++i) {
    rects[i].page = rects[i].s = rects[i].t = rects[i].width = rects[i].height = 0;
  }
  return tkf__pack(font, page_width, page_height, rects, (uint8_t*)pages);
}

#endif /* TYPEKILN_FONT_IMPLEMENTED */
#endif /* TYPEKILN_FONT_IMPLEMENTATION */

/* ------------------------------------------------------------------------------------------------
   This header is available under either of two licences; choose the one you prefer. A game that
   ships it, as source or built into the game, owes no credit under the second.

   ALTERNATIVE A: MIT License
   Copyright (c) 2026 the typekiln developers
   Permission is hereby granted, free of charge, to any person obtaining a copy of this software
   and associated documentation files (the "Software"), to deal in the Software without
   restriction, including without limitation the rights to use, copy, modify, merge, publish,
   distribute, sublicense, and/or sell copies of the Software, and to permit persons to whom the
   Software is furnished to do so, subject to the following conditions:
   The above copyright notice and this permission notice shall be included in all copies or
   substantial portions of the Software.
   THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING
   BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND
   NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM,
   DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
   OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.

   ALTERNATIVE B: Public Domain (www.unlicense.org)
   This is free and unencumbered software released into the public domain.
   Anyone is free to copy, modify, publish, use, compile, sell, or distribute this software,
   either in source code form or as a compiled binary, for any purpose, commercial or
   non-commercial, and by any means.
   In jurisdictions that recognize copyright laws, the author or authors of this software
   dedicate any and all copyright interest in the software to the public domain. We make this
   dedication for the benefit of the public at large and to the detriment of our heirs and
   successors. We intend this dedication to be an overt act of relinquishment in perpetuity of
   all present and future rights to this software under copyright law.
   THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING
   BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND
   NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
   LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN
   CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.
   For more information, please refer to <https://unlicense.org/>
   ------------------------------------------------------------------------------------------------
*/
