/* Runs a test ROM on the console's own CPU, emulated by Debian's mupen64plus core, headless:

     run_rom ROM OUTDIR [SECONDS]

   The ROM reports through the cartridge's debug port, one line at a time, which the core hands
   this program's debug callback as "IS64: <line>":
     keep NAME ADDRESS SIZE   SIZE bytes of RDRAM from ADDRESS (hex, any segment) are written
                              to OUTDIR/NAME at once, while the ROM waits on its write
     fail TEXT                the ROM found something wrong: it is printed, and the run fails
     done                     the ROM has finished: the run ends with 0, or 1 after a fail
   Every other line is printed. Without "done" within SECONDS (default 60), the run fails.

   No video, audio, input or RSP plugin is attached: the ROM only computes. The core is loaded
   with dlopen, so this program builds wherever the core's headers are and says plainly when the
   core itself is missing (exit status 77, which the test takes for "skipped"). */
#define _POSIX_C_SOURCE 200809L
#include <dlfcn.h>
#include <errno.h>
#include <m64p_config.h>
#include <m64p_debugger.h>
#include <m64p_frontend.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { SKIPPED = 77 };

static const char* out_dir;
static ptr_DebugMemGetPointer mem_pointer;
static int failed;

/* The core's own messages, kept to be shown only when the run fails (or with RUN_ROM_VERBOSE):
   it warns of the absent plugins and of the unknown boot code on every run. */
static char core_log[16384];
static size_t core_log_size;

static void show_core_log(void) {
  fwrite(core_log, 1, core_log_size, stderr);
  core_log_size = 0;
}

static void fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  fputs("run_rom: ", stderr);
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
  failed = 1;
  show_core_log();
}

/* Writes SIZE bytes of RDRAM from ADDRESS to OUTDIR/NAME. The core keeps RDRAM as 32-bit words
   in the host's byte order, so on a little-endian host the console's byte a is at a ^ 3. */
static void keep(const char* name, unsigned long address, unsigned long size) {
  const unsigned long rdram_size = 8ul << 20;
  const unsigned char* rdram = mem_pointer != NULL ? mem_pointer(M64P_DBG_PTR_RDRAM) : NULL;
  const unsigned swap = *(const unsigned char*)&(unsigned){1} ? 3u : 0u;
  char path[4096];
  FILE* file;
  unsigned long i;
  address &= 0x1FFFFFFFul; /* KSEG0 and KSEG1 both name the physical address */
  if (rdram == NULL || address > rdram_size || size > rdram_size - address) {
    fail("cannot read %lu bytes of RDRAM at %#lx for %s", size, address, name);
    return;
  }
  snprintf(path, sizeof path, "%s/%s", out_dir, name);
  file = fopen(path, "wb");
  for (i = 0; file != NULL && i < size; ++i) fputc(rdram[(address + i) ^ swap], file);
  if (file == NULL || fclose(file) != 0)
    fail("cannot write %s", path);
}

/* The core's messages; the ROM's lines start "IS64: ". */
static void on_message(void* context, int level, const char* message) {
  char name[256];
  unsigned long address, size;
  (void)context;
  if (strncmp(message, "IS64: ", 6) != 0) {
    if (getenv("RUN_ROM_VERBOSE") != NULL) {
      fprintf(stderr, "core: %s\n", message);
    } else if (level <= M64MSG_WARNING) {
      const int room = (int)(sizeof core_log - core_log_size);
      const int n = snprintf(core_log + core_log_size, (size_t)room, "core: %s\n", message);
      if (n > 0)
        core_log_size += n < room ? (size_t)n : (size_t)room - 1;
    }
    return;
  }
  message += 6;
  if (sscanf(message, "keep %255s %lx %lx", name, &address, &size) == 3) {
    keep(name, address, size);
  } else if (strncmp(message, "fail ", 5) == 0) {
    fail("the ROM says: %s", message + 5);
  } else if (strncmp(message, "done", 4) == 0) {
    fflush(NULL);
    /* Stopping the core with M64CMD_STOP calls into the absent plugins: end here instead. */
    _exit(failed ? 1 : 0);
  } else {
    printf("%s\n", message);
  }
}

/* CoreStartup needs a state callback: the core calls it without looking. */
static void on_state(void* context, m64p_core_param param, int value) {
  (void)context, (void)param, (void)value;
}

static void watchdog(int signal) {
  static const char text[] = "run_rom: the ROM did not say done in time\n";
  (void)signal;
  if (write(2, core_log, core_log_size) < 0 || write(2, text, sizeof text - 1) < 0) {
  }
  _exit(1);
}

static unsigned char* read_file(const char* path, long* size) {
  FILE* file = fopen(path, "rb");
  unsigned char* bytes = NULL;
  if (file != NULL && fseek(file, 0, SEEK_END) == 0 && (*size = ftell(file)) > 0 &&
      fseek(file, 0, SEEK_SET) == 0 && (bytes = malloc((size_t)*size)) != NULL &&
      fread(bytes, 1, (size_t)*size, file) != (size_t)*size) {
    free(bytes);
    bytes = NULL;
  }
  if (file != NULL)
    fclose(file);
  return bytes;
}

int main(int argc, char** argv) {
  char config[4096];
  void* core;
  ptr_CoreStartup startup;
  ptr_CoreDoCommand command;
  ptr_ConfigOpenSection open_section;
  ptr_ConfigSetParameter set_parameter;
  m64p_handle section;
  unsigned char* rom;
  long rom_size = 0;
  m64p_error error;
  if (argc < 3 || argc > 4) {
    fprintf(stderr, "usage: run_rom ROM OUTDIR [SECONDS]\n");
    return 2;
  }
  out_dir = argv[2];
  core = dlopen("libmupen64plus.so.2", RTLD_NOW);
  if (core == NULL) {
    printf("run_rom: no mupen64plus core (%s): install libmupen64plus2\n", dlerror());
    return SKIPPED;
  }
  startup = (ptr_CoreStartup)dlsym(core, "CoreStartup");
  command = (ptr_CoreDoCommand)dlsym(core, "CoreDoCommand");
  mem_pointer = (ptr_DebugMemGetPointer)dlsym(core, "DebugMemGetPointer");
  open_section = (ptr_ConfigOpenSection)dlsym(core, "ConfigOpenSection");
  set_parameter = (ptr_ConfigSetParameter)dlsym(core, "ConfigSetParameter");
  if (startup == NULL || command == NULL || mem_pointer == NULL || open_section == NULL ||
      set_parameter == NULL) {
    fprintf(stderr, "run_rom: the core lacks a function this program calls\n");
    return 1;
  }
  rom = read_file(argv[1], &rom_size);
  if (rom == NULL) {
    fprintf(stderr, "run_rom: cannot read %s\n", argv[1]);
    return 1;
  }
  /* The core writes its settings into the configuration folder: one in OUTDIR, not the user's. */
  snprintf(config, sizeof config, "%s/core-config", out_dir);
  if (mkdir(config, 0700) != 0 && errno != EEXIST) {
    perror("run_rom: mkdir");
    return 1;
  }
  signal(SIGALRM, watchdog);
  alarm(argc > 3 ? (unsigned)atoi(argv[3]) : 60u);
  error =
      startup(0x020001, config, "/usr/share/games/mupen64plus", NULL, on_message, NULL, on_state);
  /* No camera: otherwise the core probes for one to stand in for the Game Boy Camera. */
  if (error == M64ERR_SUCCESS)
    error = open_section("Core", &section);
  if (error == M64ERR_SUCCESS)
    error = set_parameter(section, "GbCameraVideoCaptureBackend1", M64TYPE_STRING, "dummy");
  if (error == M64ERR_SUCCESS)
    error = command(M64CMD_ROM_OPEN, (int)rom_size, rom);
  if (error == M64ERR_SUCCESS)
    error = command(M64CMD_EXECUTE, 0, NULL);
  show_core_log();
  fprintf(stderr, "run_rom: the core stopped (error %d) before the ROM said done\n", (int)error);
  return 1;
}
