/* The console test's calls: text set point by point and in boxes (wrapped, aligned, paged, in
   UTF-8 and in bytes, clipped on every side) on 320 x 240 screens in the console's two
   framebuffer formats, with a font drawn across and one for a screen on its side, and each
   font's glyph pages with their rects. It uses nothing outside the runtime: no C library. */
#define TYPEKILN_FONT_IMPLEMENTATION
#include "console_calls.h"

#include "typekiln_font.h"

enum { WIDTH = 320, HEIGHT = 240, PAGE_W = 128, PAGE_H = 64, PAGE_BYTES = 4096, MAX_PAGES = 16 };

/* One screen, in either format. */
static union {
  uint32_t wide[WIDTH * HEIGHT];
  uint16_t narrow[WIDTH * HEIGHT];
} screen;
static uint8_t pages[MAX_PAGES * PAGE_BYTES];
static tkf_rect rects[2 * 128];
static int32_t results[256];
static int result_count;

/* The pixels' bytes as the console holds them: each 2- or 4-byte value big-endian. */
static void big_endian(void* values, size_t count, int size) {
  uint8_t* byte = (uint8_t*)values;
  size_t i;
  for (i = 0; i < count; ++i, byte += size) {
    if (size == 4) {
      const uint32_t value = ((const uint32_t*)values)[i];
      byte[0] = (uint8_t)(value >> 24), byte[1] = (uint8_t)(value >> 16);
      byte[2] = (uint8_t)(value >> 8), byte[3] = (uint8_t)value;
    } else {
      const uint16_t value = ((const uint16_t*)values)[i];
      byte[0] = (uint8_t)(value >> 8), byte[1] = (uint8_t)value;
    }
  }
}

/* Names the output: the font, the format and what was set, joined by '-'. */
static const char* named(const char* font, const char* format, const char* what) {
  static char name[64];
  const char* parts[3];
  size_t at = 0;
  int i;
  parts[0] = font, parts[1] = format, parts[2] = what;
  for (i = 0; i < 3; ++i) {
    const char* c;
    if (parts[i] == NULL)
      continue;
    if (at > 0)
      name[at++] = '-';
    for (c = parts[i]; *c != '\0' && at + 1 < sizeof name; ++c) name[at++] = *c;
  }
  name[at] = '\0';
  return name;
}

static void result(long long value) {
  if (result_count < (int)(sizeof results / sizeof results[0]))
    results[result_count++] = (int32_t)value;
}

/* The same background everywhere, not one colour, so that every blend reads its old pixel. */
static void background(const tkf_surface* surface) {
  int i;
  for (i = 0; i < WIDTH * HEIGHT; ++i) {
    const uint32_t value = (uint32_t)i * 2654435761u;
    if (surface->format == TKF_RGBA8888)
      screen.wide[i] = value;
    else
      screen.narrow[i] = (uint16_t)(value >> 16);
  }
}

static void keep_screen(console_keep keep, const char* name, const tkf_surface* surface) {
  const int size = surface->format == TKF_RGBA8888 ? 4 : 2;
  big_endian(surface->pixels, (size_t)WIDTH * HEIGHT, size);
  keep(name, surface->pixels, (size_t)WIDTH * HEIGHT * (size_t)size);
}

/* Lines at a point: whole, over every edge, and with line ends. */
static void draw_points(const tkf_font* font, tkf_surface* surface) {
  static const struct {
    int x, y;
    const char* text;
  } lines[] = {
      {4, 2, "The quick brown fox jumps over the lazy dog."},
      {-7, -5, "Cut off at the left and the top"},
      {200, 228, "cut off at the right and the bottom"},
      {12, 60, "Three lines:\none\n\ntwo {[(0123456789)]}"},
      {-300, 120, "far left"},
      {330, 130, "past the right"},
      {150, -40, "above"},
      {100, 180, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ \xE9\xFC\x80 bytes"},
  };
  size_t i;
  for (i = 0; i < sizeof lines / sizeof lines[0]; ++i)
    result(tkf_draw(font, surface, lines[i].x, lines[i].y, lines[i].text, 0xF0C03000, 0x102040FF));
}

/* Text in boxes: a story paged from one box into the next, every alignment, UTF-8 and bytes,
   and boxes that reach over each edge of the screen. */
static void draw_boxes(const tkf_font* font, tkf_surface* surface) {
  static const char story[] =
      "Gr\xC3\xBC\xC3\x9F"
      "e aus K\xC3\xB6ln! A long text, set in a box of its own, goes on in "
      "the next box where the first one stopped; a word too long for a line, "
      "Donaudampfschifffahrtsgesellschaftskapit\xC3\xA4n, is cut after its last glyph that fits.\n"
      "A new line, \xE2\x82\xAC 5 and \xF0\x9F\x98\x80 are no Latin-1 characters.";
  static const tkf_box boxes[] = {
      {6, 6, 150, 70, TKF_ALIGN_LEFT, TKF_UTF8},      {164, 6, 150, 70, TKF_ALIGN_RIGHT, TKF_UTF8},
      {-30, 84, 120, 60, TKF_ALIGN_CENTER, TKF_UTF8}, {250, 90, 100, 60, TKF_ALIGN_CENTER, 0},
      {110, -20, 100, 50, TKF_ALIGN_RIGHT, 0},        {60, 200, 200, 80, TKF_ALIGN_LEFT, TKF_UTF8},
      {100, 120, 0, 40, TKF_ALIGN_LEFT, TKF_UTF8}};
  size_t done = 0, length = sizeof story - 1, i;
  for (i = 0; i < sizeof boxes / sizeof boxes[0]; ++i) {
    const size_t took =
        tkf_draw_box(font, surface, &boxes[i], story + done, length - done, 0xFFFFFFFF, 0x000000FF);
    result((long long)took);
    done = i < 2 ? done + took : 0; /* the first two boxes page the story */
  }
}

/* What the runtime tells of the text without drawing it. */
static void measure(const tkf_font* font) {
  static const tkf_box box = {0, 0, 90, 45, TKF_ALIGN_CENTER, TKF_UTF8};
  static const char text[] =
      "Measured: one line\nand two; Gr\xC3\xBC\xC3\x9F"
      "e";
  int width, height, left, top, lines;
  size_t consumed;
  tkf_measure(font, text, &width, &height);
  tkf_bounds(font, text, &left, &top, &width, &height);
  result(width), result(height), result(left), result(top), result(width), result(height);
  tkf_measure_box(font, &box, text, sizeof text - 1, &lines, &height, &consumed);
  result(lines), result(height), result((long long)consumed);
}

const char* console_calls(const uint8_t* across, size_t across_size, const uint8_t* up,
                          size_t up_size, console_keep keep) {
  static const char* const fonts[] = {"across", "up"};
  static const char* const formats[] = {"rgba8888", "rgba5551"};
  int f, format, count;
  for (f = 0; f < 2; ++f) {
    tkf_font font;
    if (tkf_open(&font, f == 0 ? across : up, f == 0 ? across_size : up_size) != TKF_OK)
      return f == 0 ? "the font drawn across does not open" : "the font drawn up does not open";
    for (format = TKF_RGBA8888; format <= TKF_RGBA5551; ++format) {
      tkf_surface surface;
      surface.pixels = &screen;
      surface.width = WIDTH;
      surface.height = HEIGHT;
      surface.pitch = WIDTH * (format == TKF_RGBA8888 ? 4 : 2);
      surface.format = format;
      background(&surface);
      draw_points(&font, &surface);
      keep_screen(keep, named(fonts[f], formats[format], "draw"), &surface);
      background(&surface);
      draw_boxes(&font, &surface);
      keep_screen(keep, named(fonts[f], formats[format], "boxes"), &surface);
    }
    measure(&font);
    count = tkf_pages(&font, pages, sizeof pages, PAGE_W, PAGE_H, rects);
    result(count);
    if (count < 0)
      return "tkf_pages refused the example font";
    keep(named(fonts[f], NULL, "pages"), pages, (size_t)count * PAGE_BYTES);
    big_endian(rects, (size_t)(2 * font.count) * 5, 4);
    keep(named(fonts[f], NULL, "rects"), rects, (size_t)(2 * font.count) * sizeof(tkf_rect));
  }
  big_endian(results, (size_t)result_count, 4);
  keep("results", results, (size_t)result_count * sizeof results[0]);
  return NULL;
}
