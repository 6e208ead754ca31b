/* Tests of typekiln_font.h's text boxes and glyph pages: the box rules case by case on a font
   built here, every texel of the pages, and a model of the console's rasteriser that draws from
   the pages and must give tkf_draw's picture exactly, in both formats and both byte orders. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define TYPEKILN_FONT_IMPLEMENTATION
#include "test_font.h"

/* Letters 2 x 2, '?' 1 x 2, 0xE9 (e acute) 2 x 1 one row down; gap 1, space 2: "ab cd" puts
   its faces at 0, 3, 8 and 11, and is 13 wide. Line height 2. */
static const entry letters[] = {{'a', {2, 2, 0, full}, NONE},  {'b', {2, 2, 0, full}, NONE},
                                {'c', {2, 2, 0, full}, NONE},  {'d', {2, 2, 0, full}, NONE},
                                {'e', {2, 2, 0, full}, NONE},  {'f', {2, 2, 0, full}, NONE},
                                {'g', {2, 2, 0, full}, NONE},  {'h', {2, 2, 0, full}, NONE},
                                {0xE9, {2, 1, 1, full}, NONE}, {'?', {1, 2, 0, full}, NONE}};
enum { LETTERS = sizeof letters / sizeof letters[0] };

/* The faces the box sets, as "code x,y " each (^ for a code above 127), with what
   tkf_measure_box says; 1 when all of it is `want`, `lines` and `consumed`. */
static int sets(const tkf_font* f, int x, int width, int height, int align, int flags,
                const char* text, size_t length, const char* want, int lines, size_t consumed) {
  const tkf_box box = {x, 0, width, height, align, flags};
  char got[256] = "";
  tkf_iter it;
  tkf_glyph g;
  int measured_lines, measured_height;
  size_t measured;
  tkf_iter_box(&it, f, &box, text, length);
  while (tkf_iter_next(&it, &g)) {
    const unsigned code = f->bytes[24 + 20 * g.entry + 18];
    if (!g.shadow && strlen(got) < sizeof got - 16)
      sprintf(got + strlen(got), "%c%d,%d ", code < 128 ? (int)code : '^', g.x, g.y);
  }
  tkf_measure_box(f, &box, text, length, &measured_lines, &measured_height, &measured);
  if (strcmp(got, want) != 0)
    fprintf(stderr, "\"%s\" set as \"%s\"\n", text, got);
  return strcmp(got, want) == 0 && measured_lines == lines && it.lines == lines &&
         measured_height == 2 * lines && measured == consumed && it.consumed == consumed;
}

static void test_box(void) {
  enum { L = TKF_ALIGN_LEFT, C = TKF_ALIGN_CENTER, R = TKF_ALIGN_RIGHT, U = TKF_UTF8 };
  const size_t all = (size_t)-1;
  uint8_t font[FONT_MAX];
  tkf_font f;
  CHECK(tkf_open(&f, font, build(font, letters, LETTERS, 0, 1, 2, 0, 0)) == TKF_OK);
  /* Wrapping: "ab c" still fits 10 (c's right edge is 10) but "ab cd" does not, so the line
     breaks at the space, which is neither drawn nor counted; at 13 the whole line fits. */
  CHECK(sets(&f, 0, 10, 8, L, 0, "ab cd ef", all, "a0,0 b3,0 c0,2 d3,2 e0,4 f3,4 ", 3, 8));
  CHECK(sets(&f, 0, 13, 8, L, 0, "ab cd", all, "a0,0 b3,0 c8,0 d11,0 ", 1, 5));
  /* A word wider than the box breaks after its last glyph that fits, one glyph at least. */
  CHECK(sets(&f, 0, 7, 8, L, 0, "abcd ef", all, "a0,0 b3,0 c0,2 d3,2 e0,4 f3,4 ", 3, 7));
  CHECK(sets(&f, 0, 1, 8, L, 0, "abc", all, "a0,0 b0,2 c0,4 ", 3, 3));
  /* Aligning: "ab" is 5 wide, trailing spaces and the last gap not counted. Centred in 10 it
     starts at 2 (2.5 rounded down); "a" centred in 1 at -1 (-0.5 rounded down). */
  CHECK(sets(&f, 0, 10, 2, R, 0, "ab  ", all, "a5,0 b8,0 ", 1, 4));
  CHECK(sets(&f, 4, 10, 2, C, 0, "ab", all, "a6,0 b9,0 ", 1, 2));
  CHECK(sets(&f, 0, 1, 2, C, 0, "ab", all, "a-1,0 ", 1, 1));
  CHECK(sets(&f, 0, 10, 4, R, 0, "a\nabc", all, "a8,0 a2,2 b5,2 c8,2 ", 2, 5));
  /* `length` and a NUL end the text; new lines, an empty one among them, and a last one. */
  CHECK(sets(&f, 0, 20, 2, L, 0, "ab cd", 2, "a0,0 b3,0 ", 1, 2));
  CHECK(sets(&f, 0, 20, 2, L, 0, "ab\0cd", 5, "a0,0 b3,0 ", 1, 2));
  CHECK(sets(&f, 0, 20, 8, L, 0, "ab\n\ncd", all, "a0,0 b3,0 c0,4 d3,4 ", 3, 6));
  CHECK(sets(&f, 0, 20, 8, L, 0, "ab\n", all, "a0,0 b3,0 ", 2, 3));
  CHECK(sets(&f, 0, 20, 8, L, 0, "", all, "", 1, 0));
  /* Paging: only whole lines are drawn, and the count goes through the space that ended the
     last of them, so the next page starts at "ef". No room for a line: nothing at all. */
  CHECK(sets(&f, 0, 10, 5, L, 0, "ab cd ef gh", all, "a0,0 b3,0 c0,2 d3,2 ", 2, 6));
  CHECK(sets(&f, 0, 10, 5, L, 0, &"ab cd ef gh"[6], all, "e0,0 f3,0 g0,2 h3,2 ", 2, 5));
  CHECK(sets(&f, 0, 10, 1, L, 0, "ab", all, "", 0, 0));
  /* UTF-8: e acute is U+00E9; the euro sign, a cut sequence and a surrogate's 3 bytes set '?';
     the bytes alone set no entry and move by `space`. */
  CHECK(sets(&f, 0, 99, 2, L, U, "a\xC3\xA9\xE2\x82\xAC\xC3(", all, "a0,0 ^3,1 ?6,0 ?8,0 ", 1, 8));
  CHECK(sets(&f, 0, 99, 2, L, U, "\xED\xA0\x80\xC3\xA9", 4, "?0,0 ?2,0 ?4,0 ?6,0 ", 1, 4));
  CHECK(sets(&f, 0, 99, 2, L, 0,
             "a\xC3\xA9"
             "b",
             all, "a0,0 b7,0 ", 1, 4));
  /* Without a '?' the others move by `space` too. */
  CHECK(tkf_open(&f, font, build(font, letters, LETTERS - 1, 0, 1, 2, 0, 0)) == TKF_OK);
  CHECK(sets(&f, 0, 99, 2, L, U,
             "a\xE2\x82\xAC"
             "b",
             all, "a0,0 b5,0 ", 1, 5));
}

/* The texel (s, t) of a page. */
static unsigned texel(const uint8_t* page, int width, int s, int t) {
  const uint8_t byte = page[t * (width / 2) + s / 2];
  return s % 2 == 0 ? byte >> 4u : byte & 15u;
}

enum { PAGE_W = 128, PAGE_H = 64, PAGE_BYTES = PAGE_W * PAGE_H / 2, PAGES_MAX = 32 };
static uint8_t pages[PAGES_MAX * PAGE_BYTES + 1];
static tkf_rect rects[2 * 256];

/* Makes 128 x 64 pages of the font and checks them: each bitmap's texels are its samples, no two
   overlap, every other texel is 0 and nothing past the pages is written. Returns the count. */
static int paged(const tkf_font* f) {
  static uint8_t owner[PAGES_MAX * PAGE_W * PAGE_H];
  int count, i, x, y, overlaps = 0, stray = 0;
  memset(pages, 0xAA, sizeof pages);
  memset(owner, 0, sizeof owner);
  count = tkf_pages(f, pages, sizeof pages, PAGE_W, PAGE_H, rects);
  CHECK(count >= 0 && count == tkf_pages_needed(f, PAGE_W, PAGE_H) && count < PAGES_MAX);
  if (count < 0 || count >= PAGES_MAX)
    return 0;
  for (i = 0; i < 2 * f->count; ++i) {
    tkf_bitmap b;
    const tkf_rect* r = &rects[i];
    if (!(i % 2 ? tkf_shadow(f, i / 2, &b, NULL, NULL) : tkf_face(f, i / 2, &b)))
      b.width = b.height = 0;
    CHECK(r->width == b.width && r->height == (b.width ? b.height : 0));
    CHECK(r->page >= 0 && r->page < count && r->s + r->width <= PAGE_W &&
          r->t + r->height <= PAGE_H);
    for (y = 0; y < r->height; ++y)
      for (x = 0; x < r->width; ++x) {
        uint8_t* mark = &owner[(r->page * PAGE_H + r->t + y) * PAGE_W + r->s + x];
        overlaps += *mark;
        *mark = 1;
        CHECK(texel(pages + r->page * PAGE_BYTES, PAGE_W, r->s + x, r->t + y) ==
              b.samples[y * b.stride + x]);
      }
  }
  for (i = 0; i < count * PAGE_W * PAGE_H; ++i)
    stray += !owner[i] && texel(pages + i / (PAGE_W * PAGE_H) * PAGE_BYTES, PAGE_W, i % PAGE_W,
                                i / PAGE_W % PAGE_H) != 0;
  CHECK(overlaps == 0 && stray == 0 && pages[count * PAGE_BYTES] == 0xAA);
  return count;
}

static void test_pages(void) {
  static const entry big[] = {{'W', {17, 3, 0, full}, NONE}};
  static const int refused[][2] = {{8, 8},     {24, 8},   {1040, 1}, {16, 0},
                                   {16, 1025}, {128, 65}, {-16, 8}};
  uint8_t font[FONT_MAX], room[PAGE_BYTES];
  tkf_font f;
  size_t i;
  CHECK(tkf_open(&f, font, build(font, letters, LETTERS, 0, 1, 2, 0, 0)) == TKF_OK);
  CHECK(paged(&f) == 1);
  for (i = 0; i < sizeof refused / sizeof refused[0]; ++i)
    CHECK(tkf_pages_needed(&f, refused[i][0], refused[i][1]) == TKF_E_PAGE);
  /* 16 x 2 pages: the 8 letters fill the first; '?' (1 x 2) and the e acute (2 x 1) the next. */
  CHECK(tkf_pages_needed(&f, 16, 2) == 2 && tkf_pages_needed(&f, 16, 1) == TKF_E_FIT);
  /* Too little room: nothing written, the rects included. */
  memset(room, 0xAA, sizeof room), rects[0].page = 7;
  CHECK(tkf_pages(&f, room, 2 * 16 - 1, 16, 2, rects) == TKF_E_ROOM);
  CHECK(room[0] == 0xAA && room[15] == 0xAA && rects[0].page == 7);
  CHECK(tkf_open(&f, font, build(font, big, 1, 0, 1, 2, 0, 0)) == TKF_OK);
  CHECK(tkf_pages_needed(&f, 16, 8) == TKF_E_FIT && tkf_pages_needed(&f, 32, 3) == 1);
}

/* ---- The rasteriser: each glyph a textured rectangle of its page, 1:1 and point sampled, in
   the primitive colour with alpha 17 t from the I4 texel, blended into the framebuffer as the
   blending rules say, clipped by the scissor and the framebuffer's edges. */

typedef struct {
  int x0, y0, x1, y1;
} scissor;

static void put(const tkf_surface* s, int x, int y, uint32_t v) {
  uint8_t* at = (uint8_t*)s->pixels + y * s->pitch + x * pixel_size(s->format);
  switch (s->format) {
    case TKF_RGBA8888:
      *(uint32_t*)(void*)at = v;
      break;
    case TKF_RGBA5551:
      *(uint16_t*)(void*)at = (uint16_t)v;
      break;
    case TKF_RGBA8888_BE:
      at[0] = (uint8_t)(v >> 24), at[1] = (uint8_t)(v >> 16), at[2] = (uint8_t)(v >> 8);
      at[3] = (uint8_t)v;
      break;
    default:
      at[0] = (uint8_t)(v >> 8), at[1] = (uint8_t)v;
  }
}

static unsigned mix(unsigned colour, unsigned old, unsigned a) {
  return (colour * a + old * (255 - a) + 127) / 255;
}

/* The blender: the pixel under the primitive colour at alpha a. */
static uint32_t blend(int format, uint32_t old, uint32_t colour, unsigned a) {
  unsigned c[4], i;
  if (format == TKF_RGBA8888 || format == TKF_RGBA8888_BE) {
    for (i = 0; i < 3; ++i) c[i] = mix(colour >> (24 - 8 * i) & 255, old >> (24 - 8 * i) & 255, a);
    return (uint32_t)c[0] << 24 | c[1] << 16 | c[2] << 8 | (a + mix(0, old & 255, a));
  }
  for (i = 0; i < 3; ++i) {
    const unsigned five = old >> (11 - 5 * i) & 31;
    c[i] = mix(colour >> (24 - 8 * i) & 255, five << 3 | five >> 2, a) >> 3;
  }
  return c[0] << 11 | c[1] << 6 | c[2] << 1 | (a + mix(0, old & 1 ? 255 : 0, a) >= 128);
}

static void rectangle(const tkf_surface* s, scissor clip, const tkf_rect* r, int x, int y,
                      uint32_t colour) {
  int i, j;
  for (j = 0; j < r->height; ++j)
    for (i = 0; i < r->width; ++i) {
      const unsigned t = texel(pages + r->page * PAGE_BYTES, PAGE_W, r->s + i, r->t + j);
      if (x + i >= clip.x0 && x + i < clip.x1 && y + j >= clip.y0 && y + j < clip.y1 &&
          x + i >= 0 && x + i < s->width && y + j >= 0 && y + j < s->height)
        put(s, x + i, y + j, blend(s->format, get(s, x + i, y + j), colour, 17 * t));
    }
}

/* Draws what the iterator sets as the game would with the pages, grouped by page or in text
   order, and returns the page loads: one for each glyph on another page than the last. */
static int rasterise(const tkf_font* f, const tkf_surface* s, tkf_iter* it, scissor clip,
                     uint32_t face, uint32_t shadow, int by_page) {
  tkf_glyph g;
  int loads = 0, loaded = -1;
  if (by_page)
    tkf_iter_by_page(it, rects);
  while (tkf_iter_next(it, &g)) {
    loads += rects[g.rect].page != loaded;
    loaded = rects[g.rect].page;
    rectangle(s, clip, &rects[g.rect], f->vertical ? g.y : g.x,
              f->vertical ? s->height - g.x - g.width : g.y, g.shadow ? shadow : face);
  }
  return loads;
}

enum { SIDE = 160 };
static uint8_t drawn[SIDE * SIDE * 4], modelled[SIDE * SIDE * 4], host[2][SIDE * SIDE * 4];

/* The text at (5, 4) as tkf_draw sets it, and centred in the box as tkf_draw_box sets it, both
   ways on a SIDE x SIDE surface of each format, the rasteriser's glyphs in text order or grouped
   by page: 1 when the model's pictures are the same to the bit, and the big-endian ones hold the
   host ones' values. */
static int rasterised_alike(const tkf_font* f, const char* text, int box_width, int box_height,
                            int by_page) {
  const tkf_box box = {6, 3, box_width, box_height, TKF_ALIGN_CENTER, TKF_UTF8};
  const uint32_t face = 0xF0804000, shade = 0x2040A000;
  int format, box_too, i, x, y, alike = 1;
  paged(f);
  for (box_too = 0; box_too < 2; ++box_too)
    for (format = TKF_RGBA8888; format <= TKF_RGBA5551_BE; ++format) {
      tkf_surface d = surface(drawn, SIDE, SIDE, format), m = surface(modelled, SIDE, SIDE, format);
      /* The box on the turned surface of a vertical font, as the game's scissor. */
      const scissor everywhere = {0, 0, SIDE, SIDE},
                    inside = {f->vertical ? box.y : box.x,
                              f->vertical ? SIDE - box.x - box.width : box.y,
                              f->vertical ? box.y + box.height : box.x + box.width,
                              f->vertical ? SIDE - box.x : box.y + box.height};
      tkf_iter it;
      for (i = 0; i < SIDE * SIDE; ++i) { /* the same background values in every format */
        const uint32_t value = (uint32_t)i * 2654435761u >> (pixel_size(format) == 4 ? 0 : 16);
        put(&d, i % SIDE, i / SIDE, value), put(&m, i % SIDE, i / SIDE, value);
      }
      if (box_too)
        tkf_draw_box(f, &d, &box, text, strlen(text), face, shade),
            tkf_iter_box(&it, f, &box, text, strlen(text));
      else
        tkf_draw(f, &d, 5, 4, text, face, shade), tkf_iter_text(&it, f, 5, 4, text);
      rasterise(f, &m, &it, box_too ? inside : everywhere, face, shade, by_page);
      alike &= memcmp(drawn, modelled, sizeof drawn) == 0;
      if (format <= TKF_RGBA5551)
        memcpy(host[format], drawn, sizeof drawn);
      for (y = 0; format >= TKF_RGBA8888_BE && y < SIDE; ++y)
        for (x = 0; x < SIDE; ++x) {
          const tkf_surface h = surface(host[format - 2], SIDE, SIDE, format - 2);
          alike &= get(&d, x, y) == get(&h, x, y);
        }
    }
  return alike;
}

static int same_glyph(const tkf_glyph* a, const tkf_glyph* b) {
  return a->entry == b->entry && a->shadow == b->shadow && a->rect == b->rect && a->x == b->x &&
         a->y == b->y && a->width == b->width && a->height == b->height &&
         a->bitmap.samples == b->bitmap.samples && a->bitmap.top == b->bitmap.top;
}

/* Grouped by page on pages of w x h, the text at (0, 0) gives the glyphs of text order, each
   pass's (shadows, then faces) ordered by page, stably: returns the page loads in text order
   when it does, else -1. */
static int grouped_alike(const tkf_font* f, const char* text, int w, int h) {
  enum { MOST = 512 };
  static tkf_glyph in_text[MOST], grouped[MOST], want[MOST];
  static tkf_rect own[2 * 256];
  tkf_iter it;
  int n = 0, m = 0, i, j, loads = 0, pages_left;
  if (tkf_pages(f, pages, sizeof pages, w, h, own) < 0)
    return -1;
  tkf_iter_text(&it, f, 0, 0, text);
  while (n < MOST && tkf_iter_next(&it, &in_text[n])) ++n;
  tkf_iter_text(&it, f, 0, 0, text);
  tkf_iter_by_page(&it, own);
  while (m < MOST && tkf_iter_next(&it, &grouped[m])) ++m;
  /* Insertion sort, which keeps text order among glyphs of one pass and page. */
  for (i = 0; i < n; ++i) {
    for (j = i; j > 0 && want[j - 1].shadow == in_text[i].shadow &&
                own[want[j - 1].rect].page > own[in_text[i].rect].page;
         --j)
      want[j] = want[j - 1];
    want[j] = in_text[i];
    loads += i == 0 || own[in_text[i].rect].page != own[in_text[i - 1].rect].page;
  }
  for (i = 0, pages_left = n == m && n < MOST; i < m && pages_left; ++i)
    pages_left = same_glyph(&grouped[i], &want[i]);
  return pages_left ? loads : -1;
}

static void test_by_page(void) {
  static const char text[] =
      "a?b\xE9"
      "c?d\xE9"
      "e?f\xE9"
      "g?h\xE9"
      " ab??\xE9\xE9";
  uint8_t font[FONT_MAX];
  tkf_font f;
  tkf_iter it;
  tkf_glyph g;
  /* On 16 x 2 pages the letters fill the first, '?' and the e acute the second: in text order
     the rasteriser changes page at almost every glyph; grouped, each pass loads each page once.
     With a drop, shadows first. Without pages, text order. */
  CHECK(tkf_open(&f, font, build(font, letters, LETTERS, 0, 1, 2, 1, 1)) == TKF_OK);
  CHECK(grouped_alike(&f, text, 16, 2) == 36);
  CHECK(tkf_open(&f, font, build(font, letters, LETTERS, 0, 1, 2, 0, 0)) == TKF_OK);
  CHECK(grouped_alike(&f, text, 16, 2) == 18 && grouped_alike(&f, "", 16, 2) == 0);
  tkf_iter_text(&it, &f, 0, 0, "?a");
  tkf_iter_by_page(&it, NULL);
  CHECK(tkf_iter_next(&it, &g) && g.entry == 9 && tkf_iter_next(&it, &g) && g.entry == 0 &&
        !tkf_iter_next(&it, &g) && it.consumed == 2 && it.pen == 5);
}

static void test_rasteriser(int argc, char** argv) {
  static const uint8_t a[] = {1, 2, 15, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 3};
  static const uint8_t as[] = {15, 3, 9, 0, 6, 12};
  static const entry shaded[] = {{'a', {3, 5, 1, a}, {2, 3, 2, as}, -2, -3},
                                 {'b', {2, 2, 0, full}, NONE}};
  static uint8_t bytes[1 << 20];
  uint8_t font[FONT_MAX];
  static const char sentence[] = "Hello, World! The quick brown fox jumps over the lazy dog. :)";
  tkf_font f;
  int vertical, i, by_page;
  /* Shadow glyphs, the drop, a negative gap, both orientations. In a box 2 wide and two lines
     high, 'a' (3 wide) crosses its right edge, its shadow its left and top edges, and the drop
     of the 'b' on the second line its bottom edge. */
  for (vertical = 0; vertical < 2; ++vertical) {
    CHECK(tkf_open(&f, font, build(font, shaded, 2, vertical, -1, 2, 1, 5)) == TKF_OK);
    CHECK(rasterised_alike(&f, "abba b\nab ba aab bab", 2, 13, 0));
  }
  for (i = 1; i < argc; ++i) {
    const size_t size = read_file(argv[i], bytes, sizeof bytes);
    CHECK(tkf_open(&f, bytes, size) == TKF_OK);
    for (by_page = 0; by_page < 2; ++by_page)
      CHECK(rasterised_alike(&f, "Hello, World! The quick brown fox\njumps over the lazy dog.", 90,
                             50, by_page));
    CHECK(grouped_alike(&f, sentence, 128, 64) > 2 * paged(&f));
  }
}

/* text_test [EXAMPLE.fnt VERTICAL.fnt] */
int main(int argc, char** argv) {
  memset(full, 15, sizeof full);
  test_box(), test_pages(), test_by_page(), test_rasteriser(argc, argv);
  if (failures != 0)
    fprintf(stderr, "text_test: %d check(s) failed\n", failures);
  return failures != 0;
}
