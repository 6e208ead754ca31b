/* Times the game runtime's tkf_draw, in pixels set per second, on a 320 x 240 screen in each of
   the console's two framebuffer formats:

     runtime_bench FONT                         times each format, best of 5 runs of 0.3 s or more
     runtime_bench FONT SCREENS FORMAT [words]  draws SCREENS screens in FORMAT (0 RGBA8888,
                                                1 RGBA5551) and prints the pixels set, untimed

   A screen is 14 lines of text set with tkf_draw, faces and shadows, a line a call; with
   "words", the same words each set by a call of its own, as a game sets a score or a label. A
   pixel set is one sample above 0 blended into the screen. The second form is for the MIPS
   build under QEMU, where bench/runtime_mips.sh counts the instructions of two runs and divides
   their difference by the difference in pixels set. `make bench` runs both. */
#define _POSIX_C_SOURCE 199309L
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define TYPEKILN_FONT_IMPLEMENTATION
#include "tests/read_file.h"
#include "typekiln_font.h"

enum { WIDTH = 320, HEIGHT = 240, LINES = 14, MAX_CALLS = 256 };

static const char* const texts[] = {"The quick brown fox jumps over the lazy dog.",
                                    "THE QUICK BROWN FOX JUMPS OVER",
                                    "0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"};

static unsigned char font_bytes[1 << 20];
static uint32_t pixels[WIDTH * HEIGHT];

/* The calls that draw one screen: where each sets its text. */
static struct call {
  int x, y;
  char text[64];
} calls[MAX_CALLS];
static int call_count;

static void add_call(int x, int y, const char* text, size_t length) {
  if (call_count < MAX_CALLS && length < sizeof calls[0].text) {
    calls[call_count].x = x, calls[call_count].y = y;
    memcpy(calls[call_count].text, text, length);
    calls[call_count++].text[length] = '\0';
  }
}

/* A call a line, or a call a word, each word where its line would have put it. */
static void plan_screen(const tkf_font* font, int words) {
  int line;
  for (line = 0; line < LINES; ++line) {
    const char* text = texts[line % 3];
    const int y = 2 + line * font->line_height;
    int x = 4, width, height;
    if (!words) {
      add_call(x, y, text, strlen(text));
      continue;
    }
    while (*text != '\0') {
      const size_t length = strcspn(text, " ");
      add_call(x, y, text, length);
      tkf_measure(font, calls[call_count - 1].text, &width, &height);
      x += width + (text[length] == ' ' ? font->space : 0);
      text += length + (text[length] == ' ');
    }
  }
}

static void draw_screen(const tkf_font* font, tkf_surface* screen) {
  int i;
  for (i = 0; i < call_count; ++i)
    tkf_draw(font, screen, calls[i].x, calls[i].y, calls[i].text, 0xFFFFFFFF, 0x000000FF);
}

/* The samples above 0 that one screen blends: every glyph tkf_draw sets, cut to the screen. */
static long pixels_per_screen(const tkf_font* font) {
  long set = 0;
  int i, x, y;
  for (i = 0; i < call_count; ++i) {
    tkf_iter it;
    tkf_glyph g;
    tkf_iter_text(&it, font, calls[i].x, calls[i].y, calls[i].text);
    while (tkf_iter_next(&it, &g)) {
      const int left = font->vertical ? g.y : g.x;
      const int top = font->vertical ? HEIGHT - g.x - g.width : g.y;
      for (y = 0; y < g.bitmap.height; ++y)
        for (x = 0; x < g.bitmap.width; ++x)
          set += g.bitmap.samples[y * g.bitmap.stride + x] != 0 && left + x >= 0 &&
                 left + x < WIDTH && top + y >= 0 && top + y < HEIGHT;
    }
  }
  return set;
}

static double seconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
  static const char* const names[] = {"RGBA8888", "RGBA5551"};
  tkf_font font;
  const size_t size = argc > 1 ? read_file(argv[1], font_bytes, sizeof font_bytes) : 0;
  int format, error;
  long screen_pixels;
  if (argc < 2 || argc == 3 || argc > 5 || (argc == 5 && strcmp(argv[4], "words") != 0)) {
    fprintf(stderr, "usage: runtime_bench FONT [SCREENS FORMAT [words]]\n");
    return 2;
  }
  if ((error = tkf_open(&font, font_bytes, size)) != TKF_OK) {
    fprintf(stderr, "%s: %s\n", argv[1], tkf_error(error));
    return 2;
  }
  plan_screen(&font, argc == 5);
  screen_pixels = pixels_per_screen(&font);
  if (argc >= 4) {
    const long screens = atol(argv[2]);
    tkf_surface screen = {pixels, WIDTH, HEIGHT, WIDTH * 4, atoi(argv[3]) == 1};
    long i;
    screen.pitch = WIDTH * (screen.format == TKF_RGBA8888 ? 4 : 2);
    for (i = 0; i < screens; ++i) draw_screen(&font, &screen);
    printf("%ld\n", screens * screen_pixels);
    return 0;
  }
  printf("%ld pixels set a screen (%d lines of text on %d x %d)\n", screen_pixels, LINES, WIDTH,
         HEIGHT);
  for (format = TKF_RGBA8888; format <= TKF_RGBA5551; ++format) {
    tkf_surface screen = {pixels, WIDTH, HEIGHT, WIDTH * (format == TKF_RGBA8888 ? 4 : 2), format};
    double best = 0;
    int run;
    for (run = 0; run < 5; ++run) {
      const double start = seconds();
      double took;
      long screens = 0;
      do {
        draw_screen(&font, &screen);
        ++screens;
        took = seconds() - start;
      } while (took < 0.3);
      if ((double)screens * (double)screen_pixels / took > best)
        best = (double)screens * (double)screen_pixels / took;
    }
    printf("%s: %.1f million pixels set a second, %.2f ns a pixel, %.3f ms a screen\n",
           names[format], best * 1e-6, 1e9 / best, 1e3 * (double)screen_pixels / best);
  }
  return 0;
}
