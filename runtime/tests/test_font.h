/* What the runtime's C tests share: a check that counts failures, and fonts, surfaces and
   pictures made byte by byte in the test. */
#ifndef TYPEKILN_TEST_FONT_H
#define TYPEKILN_TEST_FONT_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "read_file.h"
#include "typekiln_font.h"

static int failures;
#define CHECK(e) \
  ((e) ? (void)0 : (void)(++failures, fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #e)))

enum { FONT_MAX = 1024 };

/* An upright glyph: w x h samples row after row, drawn `top` rows below its line's top. */
typedef struct {
  int w, h, top;
  const uint8_t* s;
} glyph;
/* A table entry. shadow.s == NULL: no shadow glyph; else it sits at (dx, dy) from the face. */
typedef struct {
  int code;
  glyph face, shadow;
  int dx, dy;
} entry;
#define NONE {0, 0, 0, NULL}, 0, 0

static uint8_t full[256]; /* every sample 15 */

/* Stores a bitmap at the next multiple of 8 from *end and fills its 8 table bytes. A vertical
   font stores it turned a quarter turn counter-clockwise: stored row i is drawn column w-1-i. */
static void put_bitmap(uint8_t* font, size_t* end, uint8_t* fields, const glyph* g, int vertical) {
  const int sw = vertical ? g->h : g->w, sh = vertical ? g->w : g->h, stride = (sw + 7) / 8 * 8;
  const size_t at = (*end + 7) / 8 * 8;
  int i, j;
  if (g->s == NULL)
    return;
  for (i = 0; i < 4; ++i) fields[i] = (uint8_t)(at >> (24 - 8 * i));
  fields[4] = (uint8_t)sw, fields[5] = (uint8_t)sh, fields[6] = (uint8_t)g->top;
  fields[7] = (uint8_t)stride; /* 256 wraps to 0 */
  for (i = 0; i < sh; ++i)
    for (j = 0; j < sw; ++j)
      font[at + (size_t)(i * stride + j)] =
          vertical ? g->s[j * g->w + g->w - 1 - i] : g->s[i * g->w + j];
  *end = at + (size_t)(sh * stride);
}

/* Writes a whole font into `font` (FONT_MAX bytes, zero filled) and returns its size. */
static size_t build(uint8_t* font, const entry* e, int n, int vertical, int gap, int space,
                    int drop_x, int drop_y) {
  size_t end = 24 + 20 * (size_t)n;
  int i;
  memset(font, 0, FONT_MAX);
  memcpy(font, "TKLNQZ7!N64!\0\0\0\1", 16);
  font[16] = (uint8_t)n, font[17] = (uint8_t)vertical, font[18] = (uint8_t)gap;
  font[19] = (uint8_t)space, font[20] = (uint8_t)drop_x, font[21] = (uint8_t)drop_y;
  for (i = 0; i < n; ++i) {
    uint8_t* t = font + 24 + 20 * i;
    put_bitmap(font, &end, t, &e[i].face, vertical);
    put_bitmap(font, &end, t + 8, &e[i].shadow, vertical);
    t[16] = (uint8_t)(vertical ? e[i].dy : e[i].dx); /* 0, 0 without a shadow */
    t[17] = (uint8_t)(vertical ? -e[i].dx : e[i].dy);
    t[18] = (uint8_t)e[i].code;
  }
  return end;
}

static int pixel_size(int format) {
  return format == TKF_RGBA8888 || format == TKF_RGBA8888_BE ? 4 : 2;
}

static tkf_surface surface(void* pixels, int w, int h, int format) {
  tkf_surface s = {pixels, w, h, w * pixel_size(format), format};
  return s;
}

/* A pixel's value, whatever its byte order. */
static uint32_t get(const tkf_surface* s, int x, int y) {
  const uint8_t* at =
      (const uint8_t*)s->pixels + (ptrdiff_t)y * s->pitch + x * pixel_size(s->format);
  switch (s->format) {
    case TKF_RGBA8888:
      return *(const uint32_t*)(const void*)at;
    case TKF_RGBA5551:
      return *(const uint16_t*)(const void*)at;
    case TKF_RGBA8888_BE:
      return (uint32_t)at[0] << 24 | (uint32_t)at[1] << 16 | (uint32_t)at[2] << 8 | at[3];
    default:
      return (uint32_t)at[0] << 8 | at[1];
  }
}

#endif /* TYPEKILN_TEST_FONT_H */
