/* The calls the console test makes with the game runtime, the same on the console and on the
   host: each picture, page and result they give is handed to `keep` under its name, in the
   console's byte order (big-endian), for the two sides to be compared byte for byte. */
#ifndef CONSOLE_CALLS_H
#define CONSOLE_CALLS_H

#include <stddef.h>
#include <stdint.h>

typedef void (*console_keep)(const char* name, const void* bytes, size_t size);

/* Sets text with the example font drawn across (`across`) and for a screen on its side (`up`):
   NULL when every call was made, else what went wrong. */
const char* console_calls(const uint8_t* across, size_t across_size, const uint8_t* up,
                          size_t up_size, console_keep keep);

#endif
