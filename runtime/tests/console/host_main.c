/* The console test's calls made here: console_host ACROSS.fnt UP.fnt OUTDIR writes each output
   to OUTDIR/NAME, as run_rom writes those the console made. */
#include <stdio.h>

#include "console_calls.h"
#include "tests/read_file.h"

static const char* out_dir;
static int failed;

static void keep(const char* name, const void* bytes, size_t size) {
  char path[4096];
  FILE* file;
  snprintf(path, sizeof path, "%s/%s", out_dir, name);
  file = fopen(path, "wb");
  if (file == NULL || fwrite(bytes, 1, size, file) != size || fclose(file) != 0) {
    fprintf(stderr, "console_host: cannot write %s\n", path);
    failed = 1;
  }
}

int main(int argc, char** argv) {
  static uint8_t across[256 * 1024], up[256 * 1024];
  const char* problem;
  size_t across_size, up_size;
  if (argc != 4) {
    fprintf(stderr, "usage: console_host ACROSS.fnt UP.fnt OUTDIR\n");
    return 2;
  }
  out_dir = argv[3];
  across_size = read_file(argv[1], across, sizeof across);
  up_size = read_file(argv[2], up, sizeof up);
  problem = console_calls(across, across_size, up, up_size, keep);
  if (problem != NULL)
    fprintf(stderr, "console_host: %s\n", problem);
  return problem != NULL || failed;
}
