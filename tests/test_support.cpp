#include "test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "script/script_reader.h"

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

bool RunInChild(const std::function<bool()>& body, bool unprivileged) {
  const pid_t child = fork();
  if (child < 0)
    return false;
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (unprivileged && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(2);
    }
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

}  // namespace

ToolRun RunTypekiln(const std::filesystem::path& folder, const std::vector<std::string>& args,
                    const std::string& input) {
  const int in = TemporaryFile(input);
  const int out = TemporaryFile("");
  const int err = TemporaryFile("");
  std::vector<char*> argv;
  std::string program = TYPEKILN_BINARY;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
      _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  ToolRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  run.out = ReadAll(out);
  run.err = ReadAll(err);
  close(in);
  close(out);
  close(err);
  return run;
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
  for (const std::string& line : lines) RunLine(state, console.streams, line);
  return Echoes{console.out.str(), console.err.str()};
}

}  // namespace typekiln::test
