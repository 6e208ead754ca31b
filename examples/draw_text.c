/* What a game does with a typekiln font: load it, open it, set a line of text in a framebuffer,
   then a longer text in two boxes, wrapped and centred, the second box going on where the first
   one stopped. Run from the top folder after `make example`; writes build/example-text.ppm. */
#define TYPEKILN_FONT_IMPLEMENTATION
#include <stdio.h>
#include <string.h>

#include "typekiln_font.h"

enum { WIDTH = 256, HEIGHT = 124 };

static unsigned char font_bytes[1 << 20];
static uint32_t framebuffer[WIDTH * HEIGHT]; /* 0xRRGGBBAA */

static void fill(int x, int y, int width, int height, uint32_t colour) {
  int i, j;
  for (j = y; j < y + height; ++j)
    for (i = x; i < x + width; ++i) framebuffer[j * WIDTH + i] = colour;
}

int main(void) {
  const char* story =
      "A text box wraps its lines at spaces and centres them. It tells the game how much of "
      "the text it took, so that the next page starts there.";
  tkf_surface screen = {framebuffer, WIDTH, HEIGHT, WIDTH * 4, TKF_RGBA8888};
  tkf_box page = {8, 36, 116, 0, TKF_ALIGN_CENTER, 0};
  tkf_font font;
  size_t size = 0, done;
  int i, x, error;
  FILE* file = fopen("build/example.fnt", "rb");
  if (file != NULL) {
    size = fread(font_bytes, 1, sizeof font_bytes, file);
    fclose(file);
  }
  if ((error = tkf_open(&font, font_bytes, size)) != TKF_OK) {
    fprintf(stderr, "build/example.fnt: %s\n", tkf_error(error));
    return 1;
  }
  fill(0, 0, WIDTH, HEIGHT, 0x3050A0FF); /* a blue screen */
  /* tkf_draw returns where the line goes on: the rest of it in another colour. */
  x = tkf_draw(&font, &screen, 8, 8, "Hello, ", 0xFFFFFFFF, 0x000000FF);
  tkf_draw(&font, &screen, x, 8, "World!", 0xFFD040FF, 0x000000FF);

  /* Two pages of the story, five lines each, each box shown a little darker. */
  page.height = 5 * font.line_height;
  fill(page.x, page.y, page.width, page.height, 0x28448CFF);
  done = tkf_draw_box(&font, &screen, &page, story, strlen(story), 0xFFFFFFFF, 0x000000FF);
  page.x = WIDTH - 8 - page.width;
  fill(page.x, page.y, page.width, page.height, 0x28448CFF);
  tkf_draw_box(&font, &screen, &page, story + done, strlen(story + done), 0xFFFFFFFF, 0x000000FF);

  /* The framebuffer as a plain PPM picture: red, green and blue bytes, rows from the top. */
  if ((file = fopen("build/example-text.ppm", "wb")) == NULL)
    return 1;
  fprintf(file, "P6\n%d %d\n255\n", WIDTH, HEIGHT);
  for (i = 0; i < WIDTH * HEIGHT; ++i) {
    fputc((int)(framebuffer[i] >> 24), file);
    fputc((int)(framebuffer[i] >> 16 & 0xFF), file);
    fputc((int)(framebuffer[i] >> 8 & 0xFF), file);
  }
  return fclose(file) == 0 ? 0 : 1;
}
