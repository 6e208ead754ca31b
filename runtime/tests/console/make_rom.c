/* Lays out a cartridge image for the console from the test program:

     make_rom BOOT PROGRAM ROM [FILE...]

   0x0000  the header: the cartridge's bus settings (0x80371240), clock rate, the entry point
           0x80000400, the two checksums of the megabyte from 0x1000, and a name
   0x0040  BOOT, the boot code (at most 4032 bytes), which copies the megabyte from 0x1000 to
           the entry point
   0x1000  PROGRAM, the test program as it sits in RDRAM (at most one megabyte)
   0x101000  the FILEs for the program to read: "TKFS", their count, then each one's offset from
           the cartridge's start and its size, all 4-byte big-endian words; each file starts on
           a 4-byte boundary, as the cartridge is read a word at a time
   The image is padded with zeros to whole megabytes. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
  HEADER = 0x40,
  PROGRAM_AT = 0x1000,
  MEGABYTE = 0x100000,
  FILES_AT = PROGRAM_AT + MEGABYTE,
  MAX_FILES = 16
};

static uint8_t* rom;
static size_t rom_size;

static void put32(size_t at, uint32_t value) {
  rom[at] = (uint8_t)(value >> 24), rom[at + 1] = (uint8_t)(value >> 16);
  rom[at + 2] = (uint8_t)(value >> 8), rom[at + 3] = (uint8_t)value;
}

static uint32_t get32(size_t at) {
  return (uint32_t)rom[at] << 24 | (uint32_t)rom[at + 1] << 16 | (uint32_t)rom[at + 2] << 8 |
         rom[at + 3];
}

/* Reads the file whole onto the end of the image, from `at`; its size, or -1. */
static long load(const char* path, size_t at, size_t most) {
  FILE* file = fopen(path, "rb");
  long size;
  if (file == NULL || fseek(file, 0, SEEK_END) != 0 || (size = ftell(file)) < 0 ||
      (size_t)size > most || fseek(file, 0, SEEK_SET) != 0) {
    fprintf(stderr, "make_rom: cannot read %s, or it holds more than %lu bytes\n", path,
            (unsigned long)most);
    exit(1);
  }
  if (at + (size_t)size > rom_size) {
    const size_t grown = (at + (size_t)size + MEGABYTE - 1) / MEGABYTE * MEGABYTE;
    rom = realloc(rom, grown);
    if (rom == NULL)
      exit(1);
    memset(rom + rom_size, 0, grown - rom_size);
    rom_size = grown;
  }
  if (fread(rom + at, 1, (size_t)size, file) != (size_t)size)
    exit(1);
  fclose(file);
  return size;
}

/* The checksums that the boot code of CIC-NUS-6102 cartridges computes over the megabyte from
   0x1000 and compares with the header's. */
static void checksums(uint32_t* first, uint32_t* second) {
  const uint32_t seed = 0xF8CA4DDC;
  uint32_t t1 = seed, t2 = seed, t3 = seed, t4 = seed, t5 = seed, t6 = seed;
  size_t at;
  for (at = PROGRAM_AT; at < PROGRAM_AT + MEGABYTE; at += 4) {
    const uint32_t d = get32(at);
    const unsigned turn = d & 0x1F;
    const uint32_t r = turn == 0 ? d : d << turn | d >> (32 - turn);
    if (t6 + d < t6)
      ++t4;
    t6 += d;
    t3 ^= d;
    t5 += r;
    t2 ^= t2 > d ? r : t6 ^ d;
    t1 += t5 ^ d;
  }
  *first = t6 ^ t4 ^ t3;
  *second = t5 ^ t2 ^ t1;
}

int main(int argc, char** argv) {
  static const char name[] = "TYPEKILN RUNTIME    "; /* 20 bytes */
  size_t at;
  uint32_t first, second;
  FILE* out;
  int i;
  if (argc < 4 || argc - 4 > MAX_FILES) {
    fprintf(stderr, "usage: make_rom BOOT PROGRAM ROM [FILE...] (at most %d files)\n", MAX_FILES);
    return 2;
  }
  rom_size = 2 * MEGABYTE;
  rom = calloc(rom_size, 1);
  if (rom == NULL)
    return 1;
  put32(0x00, 0x80371240);
  put32(0x04, 0x0000000F);
  put32(0x08, 0x80000400);
  put32(0x0C, 0x0000144B);
  memcpy(rom + 0x20, name, 20);
  rom[0x3B] = 'N', rom[0x3C] = 'T', rom[0x3D] = 'K', rom[0x3E] = 'E';
  load(argv[1], HEADER, PROGRAM_AT - HEADER);
  load(argv[2], PROGRAM_AT, MEGABYTE);
  memcpy(rom + FILES_AT, "TKFS", 4);
  put32(FILES_AT + 4, (uint32_t)(argc - 4));
  at = FILES_AT + 8 + 8 * (size_t)(argc - 4);
  for (i = 4; i < argc; ++i) {
    const long size = load(argv[i], at, 64 * MEGABYTE);
    put32(FILES_AT + 8 + 8 * (size_t)(i - 4), (uint32_t)at);
    put32(FILES_AT + 12 + 8 * (size_t)(i - 4), (uint32_t)size);
    at = (at + (size_t)size + 3) / 4 * 4;
  }
  checksums(&first, &second);
  put32(0x10, first);
  put32(0x14, second);
  out = fopen(argv[3], "wb");
  if (out == NULL || fwrite(rom, 1, rom_size, out) != rom_size || fclose(out) != 0) {
    fprintf(stderr, "make_rom: cannot write %s\n", argv[3]);
    return 1;
  }
  free(rom);
  return 0;
}
