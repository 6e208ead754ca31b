/* Tests of typekiln_font.h: opening and refusing fonts, blending, setting text with its
   shadows, clipping and quarter-turned vertical fonts, on fonts built here byte by byte; then,
   given the example font that typekiln builds both ways, the quarter turn on it. */
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define TYPEKILN_FONT_IMPLEMENTATION
#include "test_font.h"

/* 1 when the surface shows `pic`, rows one after another: '.' bg, '#' face, 's' shadow. */
static int shows(const tkf_surface* s, const char* pic, uint32_t face, uint32_t shadow,
                 uint32_t bg) {
  int x, y;
  for (y = 0; y < s->height; ++y)
    for (x = 0; x < s->width; ++x) {
      const char c = pic[y * s->width + x];
      if (get(s, x, y) != (c == '#' ? face : c == 's' ? shadow : bg))
        return 0;
    }
  return 1;
}

static void test_open(void) {
  /* Laid out as: table to 64, 'A' face at 64, its shadow at 80, 'B' face 96 to 120. */
  static const entry two[] = {{'A', {3, 2, 2, full}, {2, 2, 0, full}, 1, 1},
                              {'B', {2, 3, 0, full}, NONE}};
  /* One byte changed: tags, version, orientation; face A's offset into the table; the shadow's
     offset so that its block runs past the end; stride 2 for width 3; stride 0 on B (2 wide:
     only from 249 does 0 mean 256); a sample 16 in B's last row; a row's tail, never read. */
  static const struct {
    int at, value, error;
  } bad[] = {{0, 'X', TKF_E_TAG},     {11, '?', TKF_E_TAG},       {12, 1, TKF_E_VERSION},
             {15, 2, TKF_E_VERSION},  {17, 2, TKF_E_ORIENTATION}, {27, 40, TKF_E_BLOCK},
             {35, 116, TKF_E_BLOCK},  {31, 2, TKF_E_STRIDE},      {51, 0, TKF_E_STRIDE},
             {113, 16, TKF_E_SAMPLE}, {69, 0xFF, TKF_OK}};
  static const entry wide = {'W', {249, 1, 0, full}, NONE};
  static uint8_t big[24 + 20 * 129];
  uint8_t font[FONT_MAX], copy[FONT_MAX];
  const size_t size = build(font, two, 2, 0, 1, 2, 0, 0);
  uint32_t px = 0x11223344;
  tkf_surface s = surface(&px, 1, 1, TKF_RGBA8888);
  tkf_font f;
  size_t n;
  CHECK(size == 120 && tkf_open(&f, font, size) == TKF_OK && f.count == 2);
  for (n = 0; n < size; ++n)
    CHECK(tkf_open(&f, font, n) == (n < 24 ? TKF_E_SHORT : n < 64 ? TKF_E_TABLE : TKF_E_BLOCK));
  for (n = 0; n < sizeof bad / sizeof bad[0]; ++n) {
    memcpy(copy, font, size);
    copy[bad[n].at] = (uint8_t)bad[n].value;
    CHECK(tkf_open(&f, copy, size) == bad[n].error);
  }
  memcpy(copy + 1, font, size); /* read a byte at a time: any alignment will do */
  CHECK(tkf_open(&f, copy + 1, size) == TKF_OK && tkf_find(&f, 'B') == 1);
  memcpy(big, font, 24), big[16] = 128; /* 128 empty entries are fine, 129 are not */
  CHECK(tkf_open(&f, big, sizeof big) == TKF_OK);
  big[16] = 129, CHECK(tkf_open(&f, big, sizeof big) == TKF_E_COUNT);
  /* A failed open empties a font that was open: it finds nothing and draws nothing. */
  CHECK(tkf_open(&f, font, size) == TKF_OK && tkf_find(&f, 'B') == 1);
  CHECK(tkf_open(&f, font, size - 1) == TKF_E_BLOCK && tkf_find(&f, 'B') == -1);
  tkf_draw(&f, &s, 0, 0, "B", 0xFFFFFFFF, 0xFFFFFFFF), CHECK(px == 0x11223344);
  /* 249 wide, the narrowest with rows of 256 bytes: stride byte 0, the block at 48. */
  n = build(font, &wide, 1, 0, 0, 0, 0, 0);
  CHECK(n == 48 + 256 && font[31] == 0 && tkf_open(&f, font, n) == TKF_OK);
  CHECK(tkf_open(&f, font, n - 1) == TKF_E_BLOCK); /* the last row is cut */
}

static void test_blend(void) {
  static const uint8_t ramp[] = {0, 1, 8, 15, 0, 1, 8, 15};
  static const entry e = {'A', {4, 2, 0, ramp}, NONE};
  /* FF 80 00 onto 20 40 60 FF, then onto 0. Sample 8 (a 136): red (255*136 + 0x20*119 + 127)
     / 255 = 151 = 0x97 (150 without the rounding); on 0: red 136, alpha 136 + 127/255 = 136. */
  static const uint32_t want32[] = {0x204060FF, 0x2F445AFF, 0x97622DFF, 0xFF8000FF,
                                    0x00000000, 0x11090011, 0x88440088, 0xFF8000FF};
  /* 5551 r 4, g 8, b 31, a 1 = 0x223F. b widens to 255: sample 1 keeps (255*238 + 127) / 255
     = 238, narrowed 29 (28 from 31 << 3). On 0 the alpha bit is clear at a 17, set at a 136. */
  static const uint16_t want16[] = {0x223F, 0x323B, 0x931D, 0xFC01, 0, 0x1040, 0x8A01, 0xFC01};
  uint32_t p32[8] = {0x204060FF, 0x204060FF, 0x204060FF, 0x204060FF};
  uint16_t p16[8] = {0x223F, 0x223F, 0x223F, 0x223F};
  tkf_surface s32 = surface(p32, 4, 2, TKF_RGBA8888), s16 = surface(p16, 4, 2, TKF_RGBA5551);
  uint8_t font[FONT_MAX];
  tkf_font f;
  int i;
  CHECK(tkf_open(&f, font, build(font, &e, 1, 0, 0, 0, 0, 0)) == TKF_OK);
  tkf_draw(&f, &s32, 0, 0, "A", 0xFF800012, 0); /* the colour's alpha byte is not used */
  tkf_draw(&f, &s16, 0, 0, "A", 0xFF800012, 0);
  for (i = 0; i < 8; ++i) CHECK(p32[i] == want32[i] && p16[i] == want16[i]);
}

/* The blend as the header's comment gives it, one channel at a time. */
static uint32_t model8888(uint32_t old, unsigned s, uint32_t colour) {
  const unsigned a = 17 * s, keep = 255 - a;
  uint32_t out = a + ((old & 0xFF) * keep + 127) / 255;
  int shift;
  for (shift = 8; shift < 32; shift += 8)
    out |= (((colour >> shift & 0xFF) * a + (old >> shift & 0xFF) * keep + 127) / 255) << shift;
  return out;
}

static uint32_t model5551(uint32_t old, unsigned s, uint32_t colour) {
  const unsigned a = 17 * s, keep = 255 - a;
  uint32_t out = a + ((old & 1) * 255 * keep + 127) / 255 >= 128;
  int i;
  for (i = 0; i < 3; ++i) {
    const unsigned c5 = old >> (11 - 5 * i) & 31, c8 = c5 << 3 | c5 >> 2;
    out |= (((colour >> (24 - 8 * i) & 0xFF) * a + c8 * keep + 127) / 255 >> 3) << (11 - 5 * i);
  }
  return out;
}

static void put(const tkf_surface* s, int x, int y, uint32_t value) {
  uint8_t* at = (uint8_t*)s->pixels + (ptrdiff_t)y * s->pitch + x * pixel_size(s->format);
  if (s->format == TKF_RGBA8888)
    *(uint32_t*)(void*)at = value;
  else if (s->format == TKF_RGBA5551)
    *(uint16_t*)(void*)at = (uint16_t)value;
  else if (s->format == TKF_RGBA8888_BE)
    at[0] = (uint8_t)(value >> 24), at[1] = (uint8_t)(value >> 16), at[2] = (uint8_t)(value >> 8),
    at[3] = (uint8_t)value;
  else
    at[0] = (uint8_t)(value >> 8), at[1] = (uint8_t)value;
}

/* Every sample over every old value of every channel, in every colour of every channel and all
   four formats, against the model: rows of old values under a glyph of the samples 1 to 15.
   The three colour channels and the old pixel's run through their values in different orders,
   so that no two stay in step. */
static void test_blend_exhaustive(void) {
  static const uint8_t ramp[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  static const entry e = {'A', {15, 1, 0, ramp}, NONE};
  static uint32_t pixels[15 * 256];
  uint8_t font[FONT_MAX];
  tkf_font f;
  int format, c, x, y, wrong = 0;
  CHECK(tkf_open(&f, font, build(font, &e, 1, 0, 0, 0, 0, 0)) == TKF_OK);
  for (format = TKF_RGBA8888; format <= TKF_RGBA5551_BE; ++format) {
    const int wide = pixel_size(format) == 4, rows = wide ? 256 : 64;
    const tkf_surface screen = surface(pixels, 15, rows, format);
    for (c = 0; c < 256; ++c) {
      const uint32_t colour =
          (uint32_t)c << 24 | (uint32_t)(255 - c) << 16 | (uint32_t)(c ^ 0x5A) << 8 | 0x12;
      for (y = 0; y < rows; ++y) {
        /* RGBA8888: each channel y, mixed; RGBA5551: each channel's 32 values, alpha 0 and 1. */
        const uint32_t old = wide ? (uint32_t)y << 24 | (uint32_t)(y ^ 0xA5) << 16 |
                                        (uint32_t)(255 - y) << 8 | (uint32_t)y
                                  : (uint32_t)(y & 31) << 11 | (uint32_t)(y * 7 & 31) << 6 |
                                        (uint32_t)(31 - (y & 31)) << 1 | (uint32_t)(y >> 5);
        for (x = 0; x < 15; ++x) put(&screen, x, y, old);
        tkf_draw(&f, (tkf_surface*)&screen, 0, y, "A", colour, 0);
        for (x = 0; x < 15; ++x)
          wrong += get(&screen, x, y) != (wide ? model8888(old, (unsigned)x + 1, colour)
                                               : model5551(old, (unsigned)x + 1, colour));
      }
    }
  }
  CHECK(wrong == 0);
}

static void test_text(void) {
  /* Line height 4 comes from 'A' (top 2 + height 2), not from the tallest face 'B'. */
  static const entry ab[] = {{'A', {3, 2, 2, full}, NONE}, {'B', {2, 3, 0, full}, NONE}};
  static const entry spaced[] = {
      {' ', {1, 1, 0, full}, NONE}, {'A', {3, 2, 2, full}, NONE}, {'A', {1, 1, 0, full}, NONE}};
  static const entry shaded[] = {{'A', {2, 2, 1, full}, {3, 1, 3, full}, -3, -1},
                                 {'B', {2, 2, 1, full}, NONE}};
  uint8_t font[FONT_MAX];
  uint32_t px[80] = {0};
  tkf_surface s = surface(px, 10, 8, TKF_RGBA8888);
  tkf_font f;
  int l, t, w, h;
  CHECK(tkf_open(&f, font, build(font, ab, 2, 0, 1, 2, 0, 0)) == TKF_OK);
  /* A at 1, ' ' 5 -> 7, B at 7; B at 1, and the pen ends at 1 + 2 + 1. */
  CHECK(tkf_draw(&f, &s, 1, 0, "A B\nB", 0x12345600, 0) == 4);
  CHECK(shows(&s,
              ".......##."
              ".......##."
              ".###...##."
              ".###......"
              ".##......."
              ".##......."
              ".##......."
              "..........",
              0x123456FF, 0, 0));
  tkf_measure(&f, "B\nA?B", &w, &h), CHECK(w == 9 && h == 8); /* the widest line last */
  tkf_measure(&f, "", &w, &h), CHECK(w == 0 && h == 4);
  tkf_bounds(&f, "?AB", &l, &t, &w, &h), CHECK(l == 2 && t == 0 && w == 6 && h == 4);
  tkf_bounds(&f, " ?\n", &l, &t, &w, &h), CHECK(l == 0 && t == 0 && w == 0 && h == 0);
  /* Gap -1 and space -3: "A?A" puts the second A at 3 - 1 - 3 = -1. */
  CHECK(tkf_open(&f, font, build(font, ab, 2, 0, -1, -3, 0, 0)) == TKF_OK);
  tkf_measure(&f, "A?A", &w, &h), CHECK(w == 2 && h == 4);
  tkf_bounds(&f, "A?A", &l, &t, &w, &h), CHECK(l == -1 && t == 2 && w == 4 && h == 2);
  /* A space with an entry is drawn (space is 5: without it 'A' would fall off); the first of
     two 'A' entries is used. */
  CHECK(tkf_open(&f, font, build(font, spaced, 3, 0, 1, 5, 0, 0)) == TKF_OK);
  CHECK(tkf_find(&f, 'A') == 1);
  s = surface(memset(px, 0, sizeof px), 5, 4, TKF_RGBA8888);
  tkf_draw(&f, &s, 0, 0, " A", 0x12345600, 0);
  CHECK(shows(&s,
              "#...."
              "....."
              "..###"
              "..###",
              0x123456FF, 0, 0));
  /* Shadows: 'A' has a 3x1 shadow glyph with top 3 at (-3, -1); 'B' has none and uses the drop
     (2, 1). "BA": B at 0, its drop at (2, 2); A at 3, its shadow at (3 - 3, -1 + 3) = (0, 2)
     under B's face, which must stay on top; A is not also drawn at the drop (5, 2). */
  CHECK(tkf_open(&f, font, build(font, shaded, 2, 0, 1, 0, 2, 1)) == TKF_OK);
  s = surface(memset(px, 0, sizeof px), 8, 5, TKF_RGBA8888);
  tkf_draw(&f, &s, 0, 0, "BA", 0xFFFFFF00, 0x80808000);
  CHECK(shows(&s,
              "........"
              "##.##..."
              "##s##..."
              "..ss...."
              "........",
              ~0u, 0x808080FF, 0));
  tkf_bounds(&f, "BA", &l, &t, &w, &h), CHECK(l == 0 && t == 1 && w == 5 && h == 3);
}

static void test_clip(void) {
  enum { W = 6, H = 5, G = 3, BW = W + 2 * G + 2, BH = H + 2 * G };
  static const uint8_t zig[] = {15, 0, 15, 15, 15, 0, 0, 15, 15};
  static const entry e = {'A', {3, 3, 0, zig}, NONE};
  /* Just off each edge, then far off, where the pen would overflow an int. */
  static const int off[] = {-7,      0,       W,           0,          0,       -6,
                            0,       H,       INT_MIN,     INT_MIN,    INT_MAX, INT_MAX,
                            INT_MIN, INT_MAX, INT_MAX - 4, INT_MAX - 3};
  static uint32_t b32[BW * BH];
  static uint16_t b16[BW * BH];
  uint8_t font[FONT_MAX];
  const tkf_box box = {0, 0, W, H, TKF_ALIGN_LEFT, 0};
  tkf_font f;
  int format, i, x, y, spoiled = 0;
  CHECK(tkf_open(&f, font, build(font, &e, 1, 0, 1, 0, 0, 0)) == TKF_OK);
  for (i = 0; i < BW * BH; ++i) b32[i] = 0xDEADBEEF, b16[i] = 0xBEEF; /* the window too */
  for (format = TKF_RGBA8888; format <= TKF_RGBA5551; ++format) {
    const int size = format == TKF_RGBA8888 ? 4 : 2;
    const uint32_t mark = size == 4 ? 0xDEADBEEF : 0xBEEF;
    /* A W x H window at (G, G) of a BW x BH buffer: its pitch is longer than its rows. */
    tkf_surface all = surface(size == 4 ? (void*)b32 : (void*)b16, BW, BH, format), win, bad[5];
    win = all, win.width = W, win.height = H;
    win.pixels = (uint8_t*)all.pixels + G * all.pitch + G * size;
    for (i = 0; i < 5; ++i) bad[i] = win;
    bad[0].pixels = NULL, bad[1].width = 0, bad[2].height = 0, bad[3].pitch = (W - 1) * size;
    bad[4].format = 4;
    for (i = 0; i < 5; ++i) {
      CHECK(tkf_draw(&f, &bad[i], 0, 0, "AA\nAA", ~0u, ~0u) == TKF_E_SURFACE);
      CHECK(tkf_draw_box(&f, &bad[i], &box, "AA\nAA", 5, ~0u, ~0u) == 0);
    }
    CHECK(shows(&win, "..............................", 0, 0, mark));
    tkf_draw(&f, &win, -2, -2, "A", ~0u, 0);  /* its corner (2, 2) at (0, 0) */
    tkf_draw(&f, &win, 4, -1, "A", ~0u, 0);   /* its rows 1, 2 at the top right */
    tkf_draw(&f, &win, -9, 2, "AAA", ~0u, 0); /* third A at -1: its columns 1, 2 at the left */
    tkf_draw(&f, &win, 4, 4, "A", ~0u, 0);    /* its row 0 at the bottom right */
    for (i = 0; i < (int)(sizeof off / sizeof off[0]); i += 2)
      tkf_draw(&f, &win, off[i], off[i + 1], "AA\nAA", ~0u, 0);
    CHECK(shows(&win,
                "#...##"
                ".....#"
                ".#...."
                "#....."
                "##..#.",
                size == 4 ? ~0u : 0xFFFF, 0, mark));
    for (y = 0; y < BH; ++y)
      for (x = 0; x < BW; ++x)
        if (x < G || x >= G + W || y < G || y >= G + H)
          spoiled += get(&all, x, y) != mark;
  }
  CHECK(spoiled == 0);
}

/* Draws the text at (x, y) with a horizontal font on an a x b surface and with its vertical
   twin on b x a (h32 or h16, and v32 or v16), both cleared to the same colour first, and counts
   the pixels where the vertical picture is not the horizontal one turned a quarter turn
   counter-clockwise. Writes the horizontal picture's values to `dump` when given. */
static uint32_t h32[1 << 18], v32[1 << 18];
static uint16_t h16[1 << 18], v16[1 << 18];

static int turn_differs(const tkf_font* fh, const tkf_font* fv, const char* text, int x, int y,
                        int a, int b, int format, FILE* dump) {
  const int is32 = format == TKF_RGBA8888;
  tkf_surface hs = surface(is32 ? (void*)h32 : (void*)h16, a, b, format);
  tkf_surface vs = surface(is32 ? (void*)v32 : (void*)v16, b, a, format);
  int i, X, Y, differ = 0;
  if (a * b > 1 << 18)
    return -1;
  for (i = 0; i < a * b; ++i) h32[i] = v32[i] = 0x20406080, h16[i] = v16[i] = 0x2145;
  tkf_draw(fh, &hs, x, y, text, 0xF0804000, 0x2040A000);
  tkf_draw(fv, &vs, x, y, text, 0xF0804000, 0x2040A000);
  for (Y = 0; Y < a; ++Y)
    for (X = 0; X < b; ++X) differ += get(&vs, X, Y) != get(&hs, a - 1 - Y, X);
  for (Y = 0; dump != NULL && Y < b; ++Y) {
    for (X = 0; X < a; ++X) fprintf(dump, "%lx ", (unsigned long)get(&hs, X, Y));
    fputc('\n', dump);
  }
  return differ;
}

static void test_quarter_turn(void) {
  /* Odd sizes, tops above 0 and a shadow at (2, -1); the text starts at (-2, 1), so 'a' (top 1)
     has its full sample in column 2 on (0, 2), over its own shadow. */
  static const uint8_t a[] = {1, 2, 15, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 3};
  static const uint8_t as[] = {15, 3, 9, 0, 6, 12};
  static const uint8_t b[] = {15, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  static const entry e[] = {{'a', {3, 5, 1, a}, {2, 3, 2, as}, 2, -1}, {'b', {7, 2, 3, b}, NONE}};
  uint8_t hf[FONT_MAX], vf[FONT_MAX];
  tkf_font fh, fv;
  CHECK(tkf_open(&fh, hf, build(hf, e, 2, 0, 1, 2, 1, 2)) == TKF_OK);
  CHECK(tkf_open(&fv, vf, build(vf, e, 2, 1, 1, 2, 1, 2)) == TKF_OK);
  CHECK(turn_differs(&fh, &fv, "ab?b\nba", -2, 1, 17, 13, TKF_RGBA8888, NULL) == 0);
  CHECK(h32[2 * 17] == 0xF08040FF);
  CHECK(turn_differs(&fh, &fv, "ab?b\nba", -2, 1, 17, 13, TKF_RGBA5551, NULL) == 0);
  CHECK(h16[2 * 17] == 0xF411);
}

/* The example font that typekiln builds, as drawn and with `Type Vertical`: every text and pen
   position, in both formats, must turn. The pixel values go to `dump`, so that a big-endian
   host's can be compared with these. */
static void test_example(const char* across_path, const char* up_path, FILE* dump) {
  static uint8_t bytes[2][1 << 20];
  static const char* const texts[] = {
      "Hello, World!", "The quick brown fox\njumps over the lazy dog.",
      (" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
       "[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~")};
  static const int pens[][2] = {{2, 1}, {-5, 3}, {4, -7}};
  const char* paths[2];
  tkf_font fonts[2];
  int i, j, format, w, h;
  paths[0] = across_path, paths[1] = up_path;
  for (i = 0; i < 2; ++i) {
    const size_t size = read_file(paths[i], bytes[i], sizeof bytes[i]);
    CHECK(tkf_open(&fonts[i], bytes[i], size) == TKF_OK && fonts[i].vertical == i);
  }
  for (i = 0; i < 3; ++i) {
    tkf_measure(&fonts[0], texts[i], &w, &h); /* with room around for the shadows */
    for (j = 0; j < 3; ++j)
      for (format = TKF_RGBA8888; format <= TKF_RGBA5551; ++format)
        CHECK(turn_differs(&fonts[0], &fonts[1], texts[i], pens[j][0], pens[j][1], w + 9, h + 6,
                           format, dump) == 0);
  }
}

/* runtime_test [EXAMPLE.fnt VERTICAL.fnt [PIXELS.txt]] */
int main(int argc, char** argv) {
  FILE* dump = NULL;
  memset(full, 15, sizeof full);
  test_open(), test_blend(), test_blend_exhaustive(), test_text(), test_clip(), test_quarter_turn();
  if (argc > 3 && (dump = fopen(argv[3], "w")) == NULL)
    ++failures;
  if (argc > 2)
    test_example(argv[1], argv[2], dump);
  if (dump != NULL && fclose(dump) != 0)
    ++failures;
  if (failures != 0)
    fprintf(stderr, "runtime_test: %d check(s) failed\n", failures);
  return failures != 0;
}
