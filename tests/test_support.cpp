#include "test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <tuple>

#include "inspect/font_file/font_reader.h"
#include "inspect/inspect_messages.h"
#include "script/script_reader.h"
#include "tool/tool.h"
#include "writer/font_writer.h"

namespace typekiln::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "typekiln-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  // Open to everyone, so that a child process without root can work in it too.
  std::filesystem::permissions(path_, std::filesystem::perms::all);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

Bytes Hex(const std::string& text) {
  Bytes bytes;
  std::string digits;
  for (char c : text) {
    if (c == ' ' || c == '\n')
      continue;
    digits += c;
    if (digits.size() == 2) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits, nullptr, 16)));
      digits.clear();
    }
  }
  if (!digits.empty())
    throw std::invalid_argument("odd number of hex digits");
  return bytes;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// Makes the process an ordinary user, when it is root, so that file permissions apply to it.
bool GiveUpRoot() {
  constexpr uid_t kNobody = 65534;
  return geteuid() != 0 || (setgid(kNobody) == 0 && setuid(kNobody) == 0);
}

}  // namespace

bool RunInChild(const std::function<bool()>& body, bool unprivileged) {
  const pid_t child = fork();
  if (child < 0)
    return false;
  if (child == 0) {
    if (unprivileged && !GiveUpRoot())
      _exit(2);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

std::string ReadAll(int fd) {
  std::string text;
  lseek(fd, 0, SEEK_SET);
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
  return text;
}

int TemporaryFile(const std::string& contents) {
  char name[] = "/tmp/typekiln-io-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0)
    throw std::runtime_error("mkstemp failed");
  unlink(name);
  if (!contents.empty() &&
      write(fd, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size())) {
    throw std::runtime_error("write failed");
  }
  lseek(fd, 0, SEEK_SET);
  return fd;
}

bool IsWindowsProgram(const std::string& binary) { return binary.ends_with(".exe"); }

// A Windows program's text output with its CR LF line ends made LF, as on Linux; a test fails
// when a line ends in LF alone.
std::string LinuxLines(const std::string& text, const char* stream) {
  std::string lines;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
      continue;
    if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r'))
      ADD_FAILURE() << "a line on " << stream << " ends without CR: " << text;
    lines += text[at];
  }
  return lines;
}

}  // namespace

namespace {

// The tool of that name in the Windows tools' folder, or this build's own.
std::string ToolUnderTest(const char* name, const char* built) {
  const char* windows = std::getenv("TYPEKILN_WINDOWS_TOOLS");
  return windows != nullptr ? std::string(windows) + "/" + name + ".exe" : built;
}

}  // namespace

bool WindowsTools() { return std::getenv("TYPEKILN_WINDOWS_TOOLS") != nullptr; }

std::string TypekilnBinary() { return ToolUnderTest("typekiln", TYPEKILN_BINARY); }

std::string InspectBinary() { return ToolUnderTest("typekiln-inspect", TYPEKILN_INSPECT_BINARY); }

std::string ImportBinary() { return ToolUnderTest("typekiln-import", LinuxImportBinary().c_str()); }

std::string LinuxImportBinary() {
#ifdef TYPEKILN_IMPORT_BINARY
  return TYPEKILN_IMPORT_BINARY;
#else
  return "typekiln-import was not built";
#endif
}

namespace {

ToolRun RunProgramOnce(const std::string& binary, const std::filesystem::path& folder,
                       const std::vector<std::string>& args, const std::string& input,
                       bool unprivileged, const std::function<void()>& setup) {
  const bool windows = IsWindowsProgram(binary);
  if (windows && unprivileged) {
    ADD_FAILURE() << "Windows has no uid to give up: skip this test there";
    return {};
  }
  const int in = TemporaryFile(input);
  const int out = TemporaryFile("");
  const int err = TemporaryFile("");
  // wine finds the program by its path, as a Windows path on drive Z:, the Linux root.
  std::vector<std::string> words = {windows ? "wine" : binary};
  if (windows)
    words.push_back(binary);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
      _exit(127);
    }
    if (windows) {  // wine is a script, found on the PATH
      if (setup)
        setup();
      execvp(argv[0], argv.data());
      _exit(127);
    }
    // The program is opened first: an ordinary user may not be able to reach the build folder.
    const int executable = open(argv[0], O_RDONLY | O_CLOEXEC);
    if (executable < 0 || (unprivileged && !GiveUpRoot()))
      _exit(127);
    if (setup)
      setup();
    fexecve(executable, argv.data(), environ);
    _exit(127);
  }
  ToolRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child) {
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  run.out = ReadAll(out);
  run.err = ReadAll(err);
  if (windows) {
    run.out = LinuxLines(run.out, "standard output");
    run.err = LinuxLines(run.err, "standard error");
  }
  close(in);
  close(out);
  close(err);
  return run;
}

}  // namespace

ToolRun RunProgram(const std::string& binary, const std::filesystem::path& folder,
                   const std::vector<std::string>& args, const std::string& input,
                   bool unprivileged, const std::function<void()>& setup) {
  ToolRun run = RunProgramOnce(binary, folder, args, input, unprivileged, setup);
  // Now and then wine fails to start a program: it ends with 1 and prints nothing, which none
  // of the tools ever does (each failure of theirs says what went wrong; an interrupted one
  // ends with another status). Such a run is made again, twice at most, and said on the test's
  // log.
  for (int again = 0; again < 2 && IsWindowsProgram(binary) && run.status == 1 && run.out.empty() &&
                      run.err.empty();
       ++again) {
    std::fprintf(stderr, "wine ran %s without a word and ended with %d: running it again\n",
                 binary.c_str(), run.status);
    run = RunProgramOnce(binary, folder, args, input, unprivileged, setup);
  }
  return run;
}

ToolRun RunTypekiln(const std::filesystem::path& folder, const std::vector<std::string>& args,
                    const std::string& input, bool unprivileged) {
  // Only a font in a regular file is read back: a device or a pipe cannot be read again.
  const std::filesystem::path output = args.size() == 2 ? folder / args[1] : "";
  const auto isFile = [&] { return args.size() == 2 && std::filesystem::is_regular_file(output); };
  const Bytes before = isFile() ? ReadBytes(output.string()) : Bytes{};
  ToolRun run = RunProgram(TypekilnBinary(), folder, args, input, unprivileged);
  if (isFile()) {
    const Bytes font = ReadBytes(output.string());
    if (font != before)
      ExpectScriptReadsBack(folder, args[0], font, unprivileged);
  }
  return run;
}

ToolRun RunInspect(const std::filesystem::path& folder, const std::vector<std::string>& args) {
  return RunProgram(InspectBinary(), folder, args, "", false);
}

Glyph MakeGlyph(BuildState& state, int x, int y, int width, int height, int top,
                const Bytes& alphas) {
  const auto size = static_cast<std::size_t>(width * height);
  std::uint8_t* coverage = state.glyphStore.Allocate(size);
  std::fill_n(coverage, size, 0);
  std::copy_n(alphas.begin(), std::min(alphas.size(), size), coverage);
  return Glyph{x, y, width, height, top, {coverage, size}};
}

std::vector<std::string> ReadBackMismatches(const BuildState& state, const Bytes& bytes) {
  const FontFile font = ReadFont(bytes);
  const FontLayout layout = LayOutFont(state);
  std::vector<std::string> wrong = font.problems;
  // A build without faces makes the font the reader calls empty.
  if (state.faceSet.count == 0)
    std::erase(wrong, std::string(msg::kNoGlyphs));
  const auto expect = [&](bool same, const std::string& what) {
    if (!same)
      wrong.push_back(what);
  };
  const FontSettings& settings = state.settings;
  const FontHeader& header = font.header;
  expect(header.count == state.faceSet.count, "glyph count");
  expect(header.orientation == static_cast<int>(settings.orientation), "orientation");
  expect(header.gap == settings.gap && header.space == settings.space, "gap or space");
  expect(header.dropX == settings.dropX && header.dropY == settings.dropY, "drop");
  expect(font.entries.size() == static_cast<std::size_t>(state.faceSet.count), "entries");
  for (std::size_t i = 0; i < font.entries.size() && wrong.empty(); ++i) {
    const FontEntry& entry = font.entries[i];
    const Glyph& face = state.faceSet.glyphs[i];
    const Glyph& shadow = state.shadowSet.glyphs[i];
    const std::string name = "entry " + std::to_string(i) + " ";
    expect(entry.code == static_cast<std::uint8_t>(settings.charSet[i]), name + "code");
    expect(ShadowDx(font, entry) == static_cast<std::int8_t>(shadow.x - face.x), name + "dx");
    expect(ShadowDy(font, entry) == static_cast<std::int8_t>(shadow.y - face.y), name + "dy");
    for (const auto& [which, bitmap, glyph, place] :
         {std::tuple{"face", entry.face, &face, layout.faces[i]},
          std::tuple{"shadow", entry.shadow, &shadow, layout.shadows[i]}}) {
      expect(bitmap.offset == place.offset && bitmap.width == place.width &&
                 bitmap.height == place.height && bitmap.top == glyph->top &&
                 bitmap.stride == (place.stride & 0xFF),
             name + which + " fields");
      // The glyph's pixels are as grabbed: row by row, the drawn width across.
      const int width = DrawnWidth(font, bitmap);
      for (int at = 0; at < width * DrawnHeight(font, bitmap); ++at) {
        expect(DrawnSample(font, bitmap, at % width, at / width) ==
                   glyph->coverage[static_cast<std::size_t>(at)] >> 4,
               name + which + " sample " + std::to_string(at));
      }
    }
  }
  return wrong;
}

void ExpectScriptReadsBack(const std::filesystem::path& folder, const std::string& script,
                           const Bytes& font, bool unprivileged) {
  // The same script, run by the same code in a child that stands in the same folder, leaves the
  // build state the font was written from.
  const bool same = RunInChild(
      [&] {
        if (chdir(folder.c_str()) != 0)
          return false;
        BuildState state;
        TestConsole console;
        const char* argv[] = {"typekiln", script.c_str(), "/dev/null"};
        RunTool(state, console.streams, 3, argv);
        const std::vector<std::string> wrong = ReadBackMismatches(state, font);
        for (const std::string& what : wrong)
          std::fprintf(stderr, "reads back wrong: %s\n", what.c_str());
        return wrong.empty();
      },
      unprivileged);
  EXPECT_TRUE(same) << "the font of " << script << " does not read back as its build state";
}

namespace {

// A PNG chunk: its length, type, data and the checksum of type and data.
std::string PngChunk(const std::string& type, const std::string& data) {
  const auto be32 = [](std::uint32_t value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                       static_cast<char>(value >> 8), static_cast<char>(value)};
  };
  const std::string checked = type + data;
  const auto crc = static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(checked.data()), static_cast<uInt>(checked.size())));
  return be32(static_cast<std::uint32_t>(data.size())) + checked + be32(crc);
}

}  // namespace

std::string PngFile(int width, int height, int colourType, int depth,
                    const std::vector<int>& samples, const Bytes& palette,
                    const Bytes& transparency, bool interlaced) {
  const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  // Adam7's passes: the first column and row, and the step between them; one pass without.
  static constexpr int kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  static constexpr int kWhole[1][4] = {{0, 0, 1, 1}};
  std::string raw;
  for (const auto& pass : interlaced ? std::span<const int[4]>(kAdam7) : std::span(kWhole)) {
    for (int y = pass[1]; y < height; y += pass[3]) {
      if (pass[0] >= width)
        break;
      raw += '\0';  // no filter
      int bits = 0, held = 0;
      for (int x = pass[0]; x < width; x += pass[2])
        for (int c = 0; c < channels; ++c) {
          const int value = samples[static_cast<std::size_t>((y * width + x) * channels + c)];
          if (depth == 16) {
            raw += static_cast<char>(value >> 8);
            raw += static_cast<char>(value);
            continue;
          }
          held = held << depth | value;
          if ((bits += depth) == 8)
            raw += static_cast<char>(held), bits = held = 0;
        }
      if (bits > 0)
        raw += static_cast<char>(held << (8 - bits));
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string idat(size, '\0');
  compress2(reinterpret_cast<Bytef*>(idat.data()), &size,
            reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
            Z_BEST_COMPRESSION);
  idat.resize(size);
  std::string header;
  for (const int value : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>(value >> shift);
  header += {static_cast<char>(depth), static_cast<char>(colourType), 0, 0,
             static_cast<char>(interlaced ? 1 : 0)};
  std::string file = "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", header);
  if (!palette.empty())
    file += PngChunk("PLTE", std::string(palette.begin(), palette.end()));
  if (!transparency.empty())
    file += PngChunk("tRNS", std::string(transparency.begin(), transparency.end()));
  return file + PngChunk("IDAT", idat) + PngChunk("IEND", "");
}

std::string TgaFile(int width, int height, const Bytes& body, std::uint8_t type,
                    std::uint8_t descriptor, std::uint8_t depth, std::uint8_t idLength,
                    std::uint16_t colourMapLength, std::uint8_t colourMapBits) {
  const auto byte = [](int value) { return static_cast<char>(value & 0xFF); };
  std::string file = {byte(idLength),
                      byte(colourMapLength > 0 ? 1 : 0),
                      byte(type),
                      0,
                      0,
                      byte(colourMapLength),
                      byte(colourMapLength >> 8),
                      byte(colourMapBits),
                      0,
                      0,
                      0,
                      0,
                      byte(width),
                      byte(width >> 8),
                      byte(height),
                      byte(height >> 8),
                      byte(depth),
                      byte(descriptor)};
  file.append(body.begin(), body.end());
  return file;
}

Echoes RunLines(BuildState& state, const std::vector<std::string>& lines) {
  TestConsole console;
  std::int32_t number = 0;
  for (const std::string& line : lines) RunLine(state, console.streams, {line, ++number});
  return Echoes{console.out.str(), console.err.str()};
}

}  // namespace typekiln::test
