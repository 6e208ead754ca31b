/* Reading a font file into memory, as the runtime's tests, the console test's host side and the
   benchmark do. */
#ifndef TYPEKILN_READ_FILE_H
#define TYPEKILN_READ_FILE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

/* Reads up to `size` bytes of the file into `bytes`: how many, 0 when it cannot be opened. */
static size_t read_file(const char* path, uint8_t* bytes, size_t size) {
  FILE* file = fopen(path, "rb");
  const size_t got = file != NULL ? fread(bytes, 1, size, file) : 0;
  if (file != NULL)
    fclose(file);
  return got;
}

#endif /* TYPEKILN_READ_FILE_H */
