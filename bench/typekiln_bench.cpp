// Times whole runs of the built typekiln on a large picture and compares them with reading the
// same picture once with cat. Run it by hand from a release build:
//
//   make bench
//
// It makes a 4096 x 4096 raw TGA with 128 face glyphs and 128 shadow glyphs in 32-row bands,
// writes it and a script into a fresh temporary folder, warms the file cache, then prints the
// median of several runs of `cat picture > /dev/null` and of `typekiln script font`, their
// ratio and typekiln's peak memory, each against its target. For scale it also prints the time
// to read the picture into memory this process has not used before, which a loader cannot
// avoid and cat does not pay.

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kSide = 4096;
constexpr int kBandHeight = 32;
constexpr int kGlyphsPerBand = 16;
constexpr int kBandsPerSet = 8;
constexpr int kGlyphWidth = 200;
constexpr int kGlyphHeight = 28;
constexpr int kColumnPitch = kSide / kGlyphsPerBand;
constexpr int kBandPitch = kSide / (2 * kBandsPerSet);
constexpr int kRuns = 9;

// Writes the picture bottom row first, as most TGA writers do. Each glyph is a box of alpha
// ramps with a hole, so that rows and columns differ.
void WritePicture(const std::string& path) {
  std::vector<std::uint8_t> file(18 + std::size_t{kSide} * kSide * 4, 0);
  file[2] = 2;
  file[12] = kSide & 0xFF;
  file[13] = kSide >> 8;
  file[14] = kSide & 0xFF;
  file[15] = kSide >> 8;
  file[16] = 32;
  file[17] = 8;
  for (int band = 0; band < 2 * kBandsPerSet; ++band) {
    for (int glyph = 0; glyph < kGlyphsPerBand; ++glyph) {
      for (int j = 0; j < kGlyphHeight; ++j) {
        for (int i = 0; i < kGlyphWidth; ++i) {
          if (i > kGlyphWidth / 3 && i < kGlyphWidth / 2 && j > 8 && j < 20)
            continue;
          const int x = glyph * kColumnPitch + i;
          const int y = band * kBandPitch + 2 + j;
          std::uint8_t* pixel =
              &file[18 + (static_cast<std::size_t>(kSide - 1 - y) * kSide + x) * 4];
          pixel[0] = 0x40;
          pixel[1] = 0x80;
          pixel[2] = 0xC0;
          pixel[3] = static_cast<std::uint8_t>(16 + (i + j) % 240);
        }
      }
    }
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

void WriteScript(const std::string& path) {
  std::ofstream script(path);
  script << "LoadTGA picture.tga\nMaxHeight " << kBandHeight << "\n";
  for (int set = 0; set < 2; ++set) {
    script << (set == 0 ? "[Font]\n" : "[Shadow]\n");
    for (int band = 0; band < kBandsPerSet; ++band)
      script << "Grab 0," << (set * kBandsPerSet + band) * kBandPitch << "," << kGlyphsPerBand
             << "\n";
  }
}

struct Run {
  double seconds = 0;
  long peakKib = 0;
};

// Runs the program with standard input and output on /dev/null, in `folder`.
Run Spawn(const std::vector<std::string>& args, const std::string& folder) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(2);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  std::filesystem::current_path(before);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(2);
  }
  return Run{std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

// What any loader must pay: the picture read into memory the process has not touched before,
// which the system clears page by page, with huge pages where it can. No reordering, no grabs.
double ReadIntoFreshMemory(const std::string& path) {
  const std::size_t size = std::filesystem::file_size(path);
  const auto start = std::chrono::steady_clock::now();
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    std::perror("mmap");
    std::exit(2);
  }
#ifdef MADV_HUGEPAGE
  madvise(memory, size, MADV_HUGEPAGE);
#endif
  const int fd = open(path.c_str(), O_RDONLY);
  auto* at = static_cast<char*>(memory);
  for (std::size_t done = 0; done < size;) {
    const ssize_t got = read(fd, at + done, std::min<std::size_t>(size - done, 256 * 1024));
    if (got <= 0)
      break;
    done += static_cast<std::size_t>(got);
  }
  close(fd);
  munmap(memory, size);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Run Median(const std::vector<std::string>& args, const std::string& folder) {
  std::vector<Run> runs;
  for (int i = 0; i < kRuns; ++i) runs.push_back(Spawn(args, folder));
  std::sort(runs.begin(), runs.end(),
            [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
  Run median = runs[kRuns / 2];
  for (const Run& run : runs) median.peakKib = std::max(median.peakKib, run.peakKib);
  return median;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string tool = argc > 1 ? argv[1] : TYPEKILN_BINARY;
  char pattern[] = "/tmp/typekiln-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 2;
  }
  const std::string folder = pattern;
  WritePicture(folder + "/picture.tga");
  WriteScript(folder + "/font.tks");

  const std::vector<std::string> cat = {"/bin/cat", "picture.tga"};
  const std::vector<std::string> build = {tool, "font.tks", "font.fnt"};
  Spawn(cat, folder);  // warm the cache
  Spawn(build, folder);
  const Run read = Median(cat, folder);
  const Run whole = Median(build, folder);
  std::vector<double> fresh;
  for (int i = 0; i < kRuns; ++i) fresh.push_back(ReadIntoFreshMemory(folder + "/picture.tga"));
  std::sort(fresh.begin(), fresh.end());

  const double pictureMib = (18.0 + 4.0 * kSide * kSide) / (1 << 20);
  const double glyphMib =
      2.0 * kBandsPerSet * kGlyphsPerBand * kGlyphWidth * kGlyphHeight * 4.0 / (1 << 20);
  const double memoryLimitMib = pictureMib + glyphMib + 16;
  const double peakMib = whole.peakKib / 1024.0;
  const double ratio = whole.seconds / read.seconds;
  std::printf("picture            %8.1f MiB (%d x %d), glyphs %.1f MiB\n", pictureMib, kSide, kSide,
              glyphMib);
  std::printf("cat picture        %8.2f ms (median of %d)\n", read.seconds * 1e3, kRuns);
  std::printf("read into new memory %6.2f ms (median of %d, in this process)\n",
              fresh[kRuns / 2] * 1e3, kRuns);
  std::printf("typekiln           %8.2f ms (median of %d)\n", whole.seconds * 1e3, kRuns);
  std::printf("ratio              %8.2f    (target 2.00 or less)\n", ratio);
  std::printf("typekiln peak      %8.1f MiB (target %.1f MiB or less)\n", peakMib, memoryLimitMib);
  std::filesystem::remove_all(folder);
  return ratio <= 2.0 && peakMib <= memoryLimitMib ? 0 : 1;
}
