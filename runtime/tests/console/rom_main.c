/* The console test's program on the console: it reads the two fonts from the cartridge, makes
   the calls and reports each output's place in RDRAM through the cartridge's debug port, where
   run_rom reads it; then "done". */
#include <stddef.h>
#include <stdint.h>

#include "console_calls.h"

/* The debug port: a line's bytes go into its buffer a word at a time, then its length; the
   core prints what it has been given once a line end comes. */
#define DEBUG_LENGTH ((volatile uint32_t*)0xB3FF0014u)
#define DEBUG_BUFFER ((volatile uint32_t*)0xB3FF0020u)
/* The table make_rom puts after the program: "TKFS", the count, then offset and size each. */
#define CARTRIDGE ((volatile const uint32_t*)0xB0000000u)
#define FILES_AT 0x101000u

enum { FONT_BYTES = 256 * 1024 };

static uint32_t fonts[2][FONT_BYTES / 4];

static void say(const char* line) {
  uint32_t word = 0;
  size_t length = 0;
  for (;; ++length) {
    const uint8_t byte = line[length] != '\0' ? (uint8_t)line[length] : (uint8_t)'\n';
    word = word << 8 | byte;
    if (length % 4 == 3)
      DEBUG_BUFFER[length / 4] = word, word = 0;
    if (byte == '\n')
      break;
  }
  ++length;
  if (length % 4 != 0)
    DEBUG_BUFFER[length / 4] = word << (8 * (4 - length % 4));
  *DEBUG_LENGTH = (uint32_t)length;
}

static char* append(char* at, const char* text) {
  while (*text != '\0') *at++ = *text++;
  return at;
}

static char* append_hex(char* at, uint32_t value) {
  int shift;
  for (shift = 28; shift >= 0; shift -= 4) *at++ = "0123456789abcdef"[value >> shift & 15];
  return at;
}

static void keep(const char* name, const void* bytes, size_t size) {
  char line[128], *at = line;
  at = append(at, "keep ");
  at = append(at, name);
  at = append(at, " ");
  at = append_hex(at, (uint32_t)(uintptr_t)bytes);
  at = append(at, " ");
  at = append_hex(at, (uint32_t)size);
  *at = '\0';
  say(line);
}

static void fail(const char* why) {
  char line[128];
  *append(append(line, "fail "), why) = '\0';
  say(line);
}

/* Copies file `index` from the cartridge, a word at a time as the cartridge is read: its size,
   or 0 when there is none or it does not fit. */
static size_t load(int index, uint32_t* into) {
  const uint32_t at = CARTRIDGE[(FILES_AT + 8 + 8 * (uint32_t)index) / 4];
  const uint32_t size = CARTRIDGE[(FILES_AT + 12 + 8 * (uint32_t)index) / 4];
  uint32_t i;
  if (CARTRIDGE[FILES_AT / 4] != 0x544B4653u || (uint32_t)index >= CARTRIDGE[FILES_AT / 4 + 1] ||
      size > FONT_BYTES)
    return 0;
  for (i = 0; i < (size + 3) / 4; ++i) into[i] = CARTRIDGE[at / 4 + i];
  return size;
}

int main(void) {
  const size_t across = load(0, fonts[0]), up = load(1, fonts[1]);
  const char* problem;
  say("typekiln runtime test on the console");
  problem = across == 0 || up == 0 ? "the cartridge holds no fonts"
                                   : console_calls((const uint8_t*)fonts[0], across,
                                                   (const uint8_t*)fonts[1], up, keep);
  if (problem != NULL)
    fail(problem);
  say("done");
  return 0;
}
