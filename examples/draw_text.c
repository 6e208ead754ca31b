/* What a game does with a typekiln font: load it, open it, set a line of text in a framebuffer.
   Run from the top folder after `make example`; writes build/example-text.ppm. */
#define TYPEKILN_FONT_IMPLEMENTATION
#include <stdio.h>

#include "typekiln_font.h"

static unsigned char font_bytes[1 << 20];
static uint32_t framebuffer[48 * 160]; /* 160 x 48, 0xRRGGBBAA */

int main(void) {
  const char* text = "Hello, World!";
  tkf_surface screen = {framebuffer, 160, 48, 160 * 4, TKF_RGBA8888};
  tkf_font font;
  size_t size = 0;
  int i, error;
  FILE* file = fopen("build/example.fnt", "rb");
  if (file != NULL) {
    size = fread(font_bytes, 1, sizeof font_bytes, file);
    fclose(file);
  }
  if ((error = tkf_open(&font, font_bytes, size)) != TKF_OK) {
    fprintf(stderr, "build/example.fnt: %s\n", tkf_error(error));
    return 1;
  }
  for (i = 0; i < 160 * 48; ++i) framebuffer[i] = 0x3050A0FF; /* a blue screen */
  tkf_draw(&font, &screen, 8, 8, text, 0xFFFFFFFF, 0x000000FF);
  tkf_draw(&font, &screen, 8, 8 + font.line_height, "typekiln", 0xFFD040FF, 0x000000FF);

  /* The framebuffer as a plain PPM picture: red, green and blue bytes, rows from the top. */
  if ((file = fopen("build/example-text.ppm", "wb")) == NULL)
    return 1;
  fprintf(file, "P6\n160 48\n255\n");
  for (i = 0; i < 160 * 48; ++i) {
    fputc((int)(framebuffer[i] >> 24), file);
    fputc((int)(framebuffer[i] >> 16 & 0xFF), file);
    fputc((int)(framebuffer[i] >> 8 & 0xFF), file);
  }
  return fclose(file) == 0 ? 0 : 1;
}
