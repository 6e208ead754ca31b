/* The runtime's one implementation file, for programs that would rather link it than define
   TYPEKILN_FONT_IMPLEMENTATION in a file of their own. */
#define TYPEKILN_FONT_IMPLEMENTATION
#include "typekiln_font.h"
