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
   line, where a band's top was in the artist's picture. Each byte of the text in turn:
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
   Drawing is clipped to the surface: no font, text or position makes it write outside it. */

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

/* Surface formats: the console's two framebuffer formats, each pixel in the host's byte order. */
enum {
  TKF_RGBA8888 = 0, /* one uint32_t per pixel, 0xRRGGBBAA */
  TKF_RGBA5551 = 1  /* one uint16_t per pixel, RRRRRGGGGGBBBBBA */
};

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
   start of one row to the next. `pixels` must be aligned for the format. */
typedef struct tkf_surface {
  void* pixels;
  int width, height, pitch;
  int format;
} tkf_surface;

/* Checks the whole font (header, table, every block and every sample) and opens it: 0, or a
   TKF_E_* code with `font` left as an empty font. Nothing is copied. */
int tkf_open(tkf_font* font, const void* bytes, size_t size);
/* The name of a code tkf_open returns, as a short English text. */
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
   0xRRGGBBAA (their alpha bytes are not used). Draws nothing on a surface whose fields make no
   sense (no pixels, a size below 1, a pitch shorter than a row, an unknown format). */
void tkf_draw(const tkf_font* font, tkf_surface* surface, int x, int y, const char* text,
              uint32_t face, uint32_t shadow);

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
    default:
      return "not a tkf_open result";
  }
}

int tkf_find(const tkf_font* font, unsigned char code) { return (int)font->first[code] - 1; }

static int tkf__bitmap(const tkf_font* font, int entry, int shadow, tkf_bitmap* bitmap) {
  const uint8_t* fields;
  bitmap->samples = NULL;
  bitmap->width = bitmap->height = bitmap->stride = bitmap->top = 0;
  if (entry < 0 || entry >= font->count)
    return 0;
  fields = tkf__fields(font->bytes, entry, shadow);
  if (!tkf__present(fields))
    return 0;
  bitmap->samples = font->bytes + tkf__be32(fields);
  bitmap->width = fields[TKF__WIDTH_AT];
  bitmap->height = fields[TKF__HEIGHT_AT];
  bitmap->top = fields[TKF__TOP_AT];
  bitmap->stride = tkf__row_bytes(fields);
  return 1;
}

int tkf_face(const tkf_font* font, int entry, tkf_bitmap* bitmap) {
  return tkf__bitmap(font, entry, 0, bitmap);
}

int tkf_shadow(const tkf_font* font, int entry, tkf_bitmap* bitmap, int* dx, int* dy) {
  const int present = tkf__bitmap(font, entry, 1, bitmap);
  int first = 0, second = 0;
  if (present) {
    const uint8_t* position =
        font->bytes + TKF__HEADER + TKF__ENTRY * (unsigned)entry + TKF__POSITION_AT;
    first = tkf__signed(position[0]);
    second = tkf__signed(position[1]);
  }
  if (dx != NULL)
    *dx = font->vertical ? -second : first;
  if (dy != NULL)
    *dy = font->vertical ? first : second;
  return present;
}

/* The glyph width a bitmap covers upright. */
static int tkf__drawn_width(const tkf_font* font, const tkf_bitmap* bitmap) {
  return font->vertical ? bitmap->height : bitmap->width;
}

static int tkf__drawn_height(const tkf_font* font, const tkf_bitmap* bitmap) {
  return font->vertical ? bitmap->width : bitmap->height;
}

/* The pen going over a text. Positions are kept in 64 bits: no text is long enough to carry
   them out of range. */
typedef struct tkf__pen {
  const unsigned char* next;
  long long start_x, x, y;
  long long lines;
} tkf__pen;

static void tkf__start(tkf__pen* pen, const char* text, long long x, long long y) {
  pen->next = (const unsigned char*)text;
  pen->start_x = pen->x = x;
  pen->y = y;
  pen->lines = 1;
}

/* Moves the pen over the next byte. 0 at the end of the text; otherwise 1, with `entry` the
   entry drawn at `at_x`, `at_y` (the pen before the move), or -1 when the byte draws nothing. */
static int tkf__step(const tkf_font* font, tkf__pen* pen, int* entry, long long* at_x,
                     long long* at_y) {
  const unsigned char code = *pen->next;
  tkf_bitmap face;
  if (code == 0)
    return 0;
  ++pen->next;
  *entry = -1;
  *at_x = pen->x;
  *at_y = pen->y;
  if (code == '\n') {
    pen->x = pen->start_x;
    pen->y += font->line_height;
    ++pen->lines;
    return 1;
  }
  *entry = tkf_find(font, code);
  if (*entry >= 0 && tkf_face(font, *entry, &face))
    pen->x += tkf__drawn_width(font, &face) + font->gap;
  else
    pen->x += font->space;
  return 1;
}

/* One bitmap placed upright at (x, y): its top left corner as drawn. */
typedef struct tkf__placed {
  tkf_bitmap bitmap;
  long long x, y;
} tkf__placed;

/* Where an entry's shadow goes when its face is at the pen (x, y): 0 when it has none. */
static int tkf__place_shadow(const tkf_font* font, int entry, long long x, long long y,
                             tkf__placed* placed) {
  int dx, dy;
  if (tkf_shadow(font, entry, &placed->bitmap, &dx, &dy)) {
    placed->x = x + dx;
    placed->y = y + dy + placed->bitmap.top;
    return 1;
  }
  if ((font->drop_x == 0 && font->drop_y == 0) || !tkf_face(font, entry, &placed->bitmap))
    return 0;
  placed->x = x + font->drop_x;
  placed->y = y + font->drop_y + placed->bitmap.top;
  return 1;
}

static int tkf__place_face(const tkf_font* font, int entry, long long x, long long y,
                           tkf__placed* placed) {
  if (!tkf_face(font, entry, &placed->bitmap))
    return 0;
  placed->x = x;
  placed->y = y + placed->bitmap.top;
  return 1;
}

static int tkf__clamp(long long value) {
  return value > TKF__INT_MAX    ? (int)TKF__INT_MAX
         : value < -TKF__INT_MAX ? (int)-TKF__INT_MAX
                                 : (int)value;
}

void tkf_measure(const tkf_font* font, const char* text, int* width, int* height) {
  tkf__pen pen;
  long long widest = 0, at_x, at_y;
  int entry;
  *width = *height = 0;
  if (text == NULL)
    return;
  tkf__start(&pen, text, 0, 0);
  do {
    if (pen.x > widest)
      widest = pen.x;
  } while (tkf__step(font, &pen, &entry, &at_x, &at_y));
  *width = tkf__clamp(widest);
  *height = tkf__clamp(pen.lines * font->line_height);
}

void tkf_bounds(const tkf_font* font, const char* text, int* left, int* top, int* width,
                int* height) {
  tkf__pen pen;
  tkf__placed placed;
  long long x0 = 0, y0 = 0, x1 = 0, y1 = 0, at_x, at_y;
  int entry, shadow, any = 0;
  *left = *top = *width = *height = 0;
  if (text == NULL)
    return;
  tkf__start(&pen, text, 0, 0);
  while (tkf__step(font, &pen, &entry, &at_x, &at_y)) {
    for (shadow = 0; shadow < 2 && entry >= 0; ++shadow) {
      long long right, bottom;
      if (!(shadow ? tkf__place_shadow(font, entry, at_x, at_y, &placed)
                   : tkf__place_face(font, entry, at_x, at_y, &placed)))
        continue;
      right = placed.x + tkf__drawn_width(font, &placed.bitmap);
      bottom = placed.y + tkf__drawn_height(font, &placed.bitmap);
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
  }
  if (!any)
    return;
  *left = tkf__clamp(x0);
  *top = tkf__clamp(y0);
  *width = tkf__clamp(x1 - x0);
  *height = tkf__clamp(y1 - y0);
}

/* Blends sample s (0 to 15) of `colour` into one pixel. */
static void tkf__blend(const tkf_surface* surface, int px, int py, unsigned s, uint32_t colour) {
  const unsigned a = 17u * s, keep = 255u - a;
  const unsigned r = colour >> 24 & 0xFF, g = colour >> 16 & 0xFF, b = colour >> 8 & 0xFF;
  uint8_t* row = (uint8_t*)surface->pixels + (size_t)py * (size_t)surface->pitch;
  if (surface->format == TKF_RGBA8888) {
    uint32_t* pixel = (uint32_t*)(void*)row + px;
    const uint32_t old = *pixel;
    const uint32_t nr = (r * a + (old >> 24 & 0xFF) * keep + 127) / 255;
    const uint32_t ng = (g * a + (old >> 16 & 0xFF) * keep + 127) / 255;
    const uint32_t nb = (b * a + (old >> 8 & 0xFF) * keep + 127) / 255;
    const uint32_t na = a + ((old & 0xFF) * keep + 127) / 255;
    *pixel = nr << 24 | ng << 16 | nb << 8 | na;
  } else {
    uint16_t* pixel = (uint16_t*)(void*)row + px;
    const unsigned old = *pixel;
    const unsigned or5 = old >> 11 & 31, og5 = old >> 6 & 31, ob5 = old >> 1 & 31;
    const unsigned nr = (r * a + (or5 << 3 | or5 >> 2) * keep + 127) / 255;
    const unsigned ng = (g * a + (og5 << 3 | og5 >> 2) * keep + 127) / 255;
    const unsigned nb = (b * a + (ob5 << 3 | ob5 >> 2) * keep + 127) / 255;
    const unsigned na = a + (((old & 1u) ? 255u : 0u) * keep + 127) / 255;
    *pixel = (uint16_t)((nr >> 3) << 11 | (ng >> 3) << 6 | (nb >> 3) << 1 | (na >= 128 ? 1u : 0u));
  }
}

/* Draws a placed bitmap, clipped. The stored bitmap lands on the surface as it is stored: at
   the upright place for a horizontal font, and for a vertical one where the upright place
   falls on the turned surface (x' = y, y' = surface height - x - drawn width). */
static void tkf__blit(const tkf_font* font, const tkf_surface* surface, const tkf__placed* placed,
                      uint32_t colour) {
  const tkf_bitmap* bitmap = &placed->bitmap;
  const long long sx = font->vertical ? placed->y : placed->x;
  const long long sy = font->vertical ? surface->height - placed->x - bitmap->height : placed->y;
  const long long x0 = sx < 0 ? -sx : 0, y0 = sy < 0 ? -sy : 0;
  const long long x1 = surface->width - sx < bitmap->width ? surface->width - sx : bitmap->width;
  const long long y1 =
      surface->height - sy < bitmap->height ? surface->height - sy : bitmap->height;
  long long i, j;
  for (i = y0; i < y1; ++i) {
    const uint8_t* row = bitmap->samples + (size_t)i * (size_t)bitmap->stride;
    for (j = x0; j < x1; ++j) {
      if (row[j] != 0)
        tkf__blend(surface, (int)(sx + j), (int)(sy + i), row[j], colour);
    }
  }
}

static int tkf__usable(const tkf_surface* surface) {
  const long long size = surface->format == TKF_RGBA8888 ? 4 : 2;
  if (surface->format != TKF_RGBA8888 && surface->format != TKF_RGBA5551)
    return 0;
  if (surface->pixels == NULL || surface->width < 1 || surface->height < 1)
    return 0;
  if (surface->pitch < surface->width * size || surface->pitch % size != 0)
    return 0;
  return (uintptr_t)surface->pixels % (uintptr_t)size == 0;
}

void tkf_draw(const tkf_font* font, tkf_surface* surface, int x, int y, const char* text,
              uint32_t face, uint32_t shadow) {
  tkf__pen pen;
  tkf__placed placed;
  long long at_x, at_y;
  int entry, pass;
  if (text == NULL || surface == NULL || !tkf__usable(surface))
    return;
  for (pass = 0; pass < 2; ++pass) {
    tkf__start(&pen, text, x, y);
    while (tkf__step(font, &pen, &entry, &at_x, &at_y)) {
      if (entry < 0)
        continue;
      if (pass == 0 ? tkf__place_shadow(font, entry, at_x, at_y, &placed)
                    : tkf__place_face(font, entry, at_x, at_y, &placed))
        tkf__blit(font, surface, &placed, pass == 0 ? shadow : face);
    }
  }
}

#endif /* TYPEKILN_FONT_IMPLEMENTED */
#endif /* TYPEKILN_FONT_IMPLEMENTATION */
