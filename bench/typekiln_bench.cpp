// Times whole builds of the built typekiln on large pictures and compares each with one plain
// read of the same picture file. Run it by hand from a release build:
//
//   make bench
//   build/release/typekiln_bench [--keep] [TOOL]
//
// It writes three workloads, each a picture and a script, into the subfolders a/, b/ and c/ of a
// fresh temporary folder:
//
//   A  an 8192 x 8192 raw TGA (256 MiB) with 128 face glyphs and 128 shadow glyphs of 12 x 16
//      pixels, 32 to a band across the whole width, the faces' bands spread over the top half of
//      the picture and the shadows' over the bottom half;
//   B  a 4096 x 4096 raw TGA (64 MiB) with 128 + 128 glyphs of 200 x 28 pixels, 16 to a band;
//   C  the picture of B stored run-length encoded.
//
// For each it warms the file cache (one read, one build), then takes 9 pairs in turn: a plain
// read of the picture file in this process, 1 MiB at a time into one buffer as
// `dd bs=1M of=/dev/null` does, then a build, `TOOL font.tks font.fnt` run in the subfolder. It
// prints the median read time, the median build time, the median of the pairs' build/read
// ratios and the builds' largest peak memory. Targets: a ratio of 0.50 or less for A and 1.00 or
// less for B, a peak of 32 MiB or less for both; C is shown without targets. The exit status is
// 0 when every target is met, 1 when one is missed and 2 when a picture cannot be written or a
// build fails.
//
// TOOL is the typekiln to time, by default the one built beside this program. With --keep the
// temporary folder stays and its path is printed, so that a profiler can be run on one workload
// later with the same files.
//
// The peak is the build's ru_maxrss from wait4. posix_spawn lets the child share this process's
// memory until it starts the tool, and the system counts this process's peak into the child's,
// so this program writes its pictures a row at a time and keeps its own peak to a few MiB, which
// it prints as the floor under every peak.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

extern char** environ;

namespace {

constexpr int kMaxHeight = 32;      // rows in a band: the script's MaxHeight
constexpr int kGlyphTop = 2;        // a glyph's first row in its band
constexpr int kGlyphsPerSet = 128;  // face glyphs, and as many shadow glyphs
constexpr int kPairs = 9;           // read and build pairs timed for each workload
constexpr int kMaxPacketPixels = 128;
constexpr std::size_t kTgaHeaderSize = 18;
constexpr std::size_t kReadBlock = std::size_t{1} << 20;
constexpr double kMib = 1 << 20;

struct Workload {
  const char* folder;
  char letter;
  const char* title;
  int side;
  bool runLength;
  int glyphWidth;
  int glyphHeight;
  int glyphsPerBand;
  std::optional<double> ratioTarget;
  std::optional<double> peakTargetMib;

  int BandsPerSet() const { return kGlyphsPerSet / glyphsPerBand; }
  // The glyphs of a band are spread evenly across the picture's width, and the bands of both
  // sets evenly down its height, the faces' first.
  int ColumnPitch() const { return side / glyphsPerBand; }
  int BandPitch() const { return side / (2 * BandsPerSet()); }
};

constexpr Workload kWorkloads[] = {
    {"a", 'A', "8192 x 8192 raw, small glyphs", 8192, false, 12, 16, 32, 0.5, 32.0},
    {"b", 'B', "4096 x 4096 raw, 200-wide glyphs", 4096, false, 200, 28, 16, 1.0, 32.0},
    {"c", 'C', "4096 x 4096 run-length", 4096, true, 200, 28, 16, std::nullopt, std::nullopt},
};

// A pixel as the file holds it: blue, green, red, alpha.
using FilePixel = std::array<std::uint8_t, 4>;

std::array<std::uint8_t, kTgaHeaderSize> TgaHeader(const Workload& work) {
  std::array<std::uint8_t, kTgaHeaderSize> header{};
  header[2] = work.runLength ? 10 : 2;
  header[12] = static_cast<std::uint8_t>(work.side & 0xFF);
  header[13] = static_cast<std::uint8_t>(work.side >> 8);
  header[14] = static_cast<std::uint8_t>(work.side & 0xFF);
  header[15] = static_cast<std::uint8_t>(work.side >> 8);
  header[16] = 32;
  header[17] = 8;  // 8 bits of alpha, bottom row first
  return header;
}

// Fills `row` with the file pixels of row `y` of the picture, counted from the top. Each glyph
// is a box of alpha ramps with a hole, so that rows and columns differ; the hole leaves ink in
// every column, so each glyph stays one run of columns.
void PaintRow(const Workload& work, int y, std::vector<std::uint8_t>& row) {
  std::fill(row.begin(), row.end(), std::uint8_t{0});
  const int band = y / work.BandPitch();
  const int j = y % work.BandPitch() - kGlyphTop;
  if (band >= 2 * work.BandsPerSet() || j < 0 || j >= work.glyphHeight)
    return;
  const bool holeRow = j > work.glyphHeight * 2 / 7 && j < work.glyphHeight * 5 / 7;
  for (int glyph = 0; glyph < work.glyphsPerBand; ++glyph) {
    for (int i = 0; i < work.glyphWidth; ++i) {
      if (holeRow && i > work.glyphWidth / 3 && i < work.glyphWidth / 2)
        continue;
      std::uint8_t* pixel = &row[static_cast<std::size_t>(glyph * work.ColumnPitch() + i) * 4];
      pixel[0] = 0x40;
      pixel[1] = 0x80;
      pixel[2] = 0xC0;
      pixel[3] = static_cast<std::uint8_t>(16 + (i + j) % 240);
    }
  }
}

// Turns pixels, given a row at a time, into TGA run-length packets written to `out`: a run
// packet for two or more equal pixels in a row, literal packets for the rest, at most 128
// pixels to a packet. Packets carry on from one row into the next.
class RunLengthEncoder {
 public:
  explicit RunLengthEncoder(std::ostream& out) : out_(out) {}

  void Add(const std::uint8_t* pixels, int count) {
    for (int i = 0; i < count; ++i) {
      FilePixel pixel;
      std::memcpy(pixel.data(), pixels + std::size_t{4} * i, 4);
      Add(pixel);
    }
  }

  // Writes what is still held back. Call once, after the last pixel.
  void Finish() {
    EndRun();
    WriteLiterals();
  }

 private:
  void Add(const FilePixel& pixel) {
    if (runLength_ > 0 && pixel == run_) {
      if (++runLength_ == kMaxPacketPixels)
        EndRun();
      return;
    }
    EndRun();
    run_ = pixel;
    runLength_ = 1;
  }

  // A single pixel joins the literals; two or more become a run packet, after the literals
  // before them.
  void EndRun() {
    if (runLength_ == 1) {
      literals_[literalCount_++] = run_;
      if (literalCount_ == kMaxPacketPixels)
        WriteLiterals();
    } else if (runLength_ > 1) {
      WriteLiterals();
      out_.put(static_cast<char>(0x80 | (runLength_ - 1)));
      out_.write(reinterpret_cast<const char*>(run_.data()), 4);
    }
    runLength_ = 0;
  }

  void WriteLiterals() {
    if (literalCount_ == 0)
      return;
    out_.put(static_cast<char>(literalCount_ - 1));
    out_.write(reinterpret_cast<const char*>(literals_.data()),
               static_cast<std::streamsize>(4 * literalCount_));
    literalCount_ = 0;
  }

  std::ostream& out_;
  std::array<FilePixel, kMaxPacketPixels> literals_{};
  int literalCount_ = 0;
  FilePixel run_{};
  int runLength_ = 0;
};

// Writes the picture bottom row first, as most TGA writers do, one row at a time.
bool WritePicture(const Workload& work, const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  const std::array<std::uint8_t, kTgaHeaderSize> header = TgaHeader(work);
  file.write(reinterpret_cast<const char*>(header.data()), kTgaHeaderSize);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(work.side) * 4);
  RunLengthEncoder encoder(file);
  for (int y = work.side - 1; y >= 0 && file; --y) {
    PaintRow(work, y, row);
    if (work.runLength)
      encoder.Add(row.data(), work.side);
    else
      file.write(reinterpret_cast<const char*>(row.data()),
                 static_cast<std::streamsize>(row.size()));
  }
  if (work.runLength)
    encoder.Finish();
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool WriteScript(const Workload& work, const std::string& path) {
  std::ofstream script(path);
  script << "LoadTGA picture.tga\nMaxHeight " << kMaxHeight << "\n";
  for (int set = 0; set < 2; ++set) {
    script << (set == 0 ? "[Font]\n" : "[Shadow]\n");
    for (int band = 0; band < work.BandsPerSet(); ++band)
      script << "Grab 0," << (set * work.BandsPerSet() + band) * work.BandPitch() << ","
             << work.glyphsPerBand << "\n";
  }
  script.close();
  if (!script) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One plain read of the whole file through `buffer`, as `dd bs=1M of=/dev/null` does: what any
// loader of the picture pays at least. Empty when the file cannot be read.
std::optional<double> ReadWholeFile(const std::string& path, std::vector<char>& buffer) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  ssize_t got = 0;
  do {
    got = read(fd, buffer.data(), buffer.size());
  } while (got > 0);
  close(fd);
  if (got < 0)
    return std::nullopt;
  return SecondsSince(start);
}

struct Run {
  double seconds = 0;
  long peakKib = 0;
  std::string failure;  // empty when the program ran and exited with status 0
};

// Runs the program in `folder` with standard input and output on /dev/null.
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
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  int status = 0;
  rusage usage{};
  if (error == 0)
    wait4(pid, &status, 0, &usage);
  run.seconds = SecondsSince(start);
  std::filesystem::current_path(before);
  posix_spawn_file_actions_destroy(&actions);
  run.peakKib = usage.ru_maxrss;
  if (error != 0)
    run.failure = std::string("cannot be started: ") + std::strerror(error);
  else if (WIFSIGNALED(status))
    run.failure = "was ended by signal " + std::to_string(WTERMSIG(status));
  else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    run.failure = "exited with status " + std::to_string(WEXITSTATUS(status));
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Figures {
  double fileMib = 0;
  double readSeconds = 0;
  double buildSeconds = 0;
  double ratio = 0;
  double peakMib = 0;
};

// Warms the file cache, then times kPairs reads and builds in turn. Empty, after saying which
// workload failed, when the picture cannot be read or a build fails.
std::optional<Figures> Measure(const Workload& work, const std::string& tool,
                               const std::string& folder, std::vector<char>& buffer) {
  const std::string picture = folder + "/picture.tga";
  const std::vector<std::string> build = {tool, "font.tks", "font.fnt"};
  std::vector<double> reads;
  std::vector<double> builds;
  std::vector<double> ratios;
  long peakKib = 0;
  for (int pair = -1; pair < kPairs; ++pair) {  // pair -1 warms the cache
    const std::optional<double> read = ReadWholeFile(picture, buffer);
    if (!read) {
      std::fprintf(stderr, "%c: cannot read %s\n", work.letter, picture.c_str());
      return std::nullopt;
    }
    const Run run = Spawn(build, folder);
    if (!run.failure.empty()) {
      std::fprintf(stderr, "%c %s: %s %s\n", work.letter, work.title, tool.c_str(),
                   run.failure.c_str());
      return std::nullopt;
    }
    if (pair < 0)
      continue;
    reads.push_back(*read);
    builds.push_back(run.seconds);
    ratios.push_back(run.seconds / *read);
    peakKib = std::max(peakKib, run.peakKib);
  }
  Figures figures;
  figures.fileMib = static_cast<double>(std::filesystem::file_size(picture)) / kMib;
  figures.readSeconds = Median(reads);
  figures.buildSeconds = Median(builds);
  figures.ratio = Median(ratios);
  figures.peakMib = static_cast<double>(peakKib) / 1024;
  return figures;
}

// "(target 0.50)", "(target 0.50, missed)" or "(no target)"; clears `met` on a miss.
std::string TargetNote(std::optional<double> target, double value, const char* format, bool& met) {
  if (!target)
    return "(no target)";
  char number[32];
  std::snprintf(number, sizeof number, format, *target);
  if (value <= *target)
    return std::string("(target ") + number + ")";
  met = false;
  return std::string("(target ") + number + ", missed)";
}

// Prints one line of figures; false when a target is missed.
bool Report(const Workload& work, const Figures& figures) {
  bool met = true;
  const std::string ratioNote = TargetNote(work.ratioTarget, figures.ratio, "%.2f", met);
  const std::string peakNote = TargetNote(work.peakTargetMib, figures.peakMib, "%.1f", met);
  std::printf(
      "%c %-32s   file %6.1f MiB   read %7.2f ms   build %7.2f ms   ratio %5.2f %-21s"
      "   peak %5.1f MiB %s\n",
      work.letter, work.title, figures.fileMib, figures.readSeconds * 1e3,
      figures.buildSeconds * 1e3, figures.ratio, ratioNote.c_str(), figures.peakMib,
      peakNote.c_str());
  std::fflush(stdout);
  return met;
}

// Writes, times and reports each workload in turn: 0 when every target is met, 1 when one is
// missed, 2 when a workload cannot be written or its build fails.
int RunWorkloads(const std::string& tool, const std::string& folder) {
  std::vector<char> buffer(kReadBlock);
  bool met = true;
  for (const Workload& work : kWorkloads) {
    const std::string subfolder = folder + "/" + work.folder;
    std::error_code error;
    std::filesystem::create_directory(subfolder, error);
    if (error) {
      std::fprintf(stderr, "cannot make %s: %s\n", subfolder.c_str(), error.message().c_str());
      return 2;
    }
    if (!WritePicture(work, subfolder + "/picture.tga") ||
        !WriteScript(work, subfolder + "/font.tks"))
      return 2;
    const std::optional<Figures> figures = Measure(work, tool, subfolder, buffer);
    if (!figures)
      return 2;
    met = Report(work, *figures) && met;
  }
  return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool keep = false;
  std::string tool = TYPEKILN_BINARY;
  bool toolGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep") {
      keep = true;
      continue;
    }
    if (arg.empty() || arg[0] == '-' || toolGiven) {
      std::fprintf(stderr, "usage: %s [--keep] [TOOL]\n", argv[0]);
      return 2;
    }
    tool = arg;
    toolGiven = true;
  }
  // The builds run inside the temporary folder, so a relative path would no longer lead there.
  tool = std::filesystem::absolute(tool).string();
  if (access(tool.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "cannot run %s\n", tool.c_str());
    return 2;
  }
  char pattern[] = "/tmp/typekiln-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 2;
  }
  const std::string folder = pattern;
  std::printf("%s: median of %d pairs, each a plain read of the picture file, then a build\n",
              tool.c_str(), kPairs);
  std::fflush(stdout);
  const int status = RunWorkloads(tool, folder);
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::printf("no peak can read below this program's own, %.1f MiB\n",
              static_cast<double>(self.ru_maxrss) / 1024);
  if (keep) {
    std::printf("files kept in %s (a/, b/, c/)\n", folder.c_str());
  } else {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
  }
  return status;
}
