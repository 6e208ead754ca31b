#include "script/script_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "font/font_format.h"
#include "io/file_system.h"
#include "report/messages.h"

namespace typekiln {

bool IsBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte >= 0x80;
}

std::string_view NextWord(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  std::size_t end = begin;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  return text.substr(begin, end - begin);
}

void TrimLineEnd(std::string& line) {
  while (!line.empty() && IsBlank(line.back())) line.pop_back();
}

void RunLine(BuildState& state, Console& console, ScriptLine line, const Command* table) {
  TrimLineEnd(line.text);
  if (line.text.empty() || line.text.front() == '#')
    return;
  const std::string_view word = NextWord(line.text);
  if (word.empty() || word.front() == '#')
    return;
  const Command* command = word.size() > kMaxCommandWordLength ? nullptr : FindCommand(table, word);
  if (command == nullptr) {
    if (state.observer != nullptr)
      state.observer->UnknownCommand(line, word);
    return;
  }
  command->handler(state, console, line);
  if (state.observer != nullptr)
    state.observer->CommandRan(line, command->keyword, state);
}

namespace {

// Bytes of a script looked at before it runs: no text script holds a NUL among them.
constexpr std::size_t kSniffSize = 4096;

// A script's bytes as the reader takes them: first those read to tell whether the file is a
// script at all, then the rest of the stream. A pipe cannot be read twice, so those are kept.
class ScriptBytes {
 public:
  explicit ScriptBytes(std::FILE* file) : file_(file), start_(kSniffSize, '\0') {
    start_.resize(std::fread(start_.data(), 1, start_.size(), file));
    ended_ = start_.size() < kSniffSize;  // the end of the file, or a read error, came first
  }
  const std::string& start() const { return start_; }

  /// The next piece of a line, as fgets reads it into kLineBufferSize bytes: up to and with its
  /// newline, at most kLineBufferSize - 1 bytes, and cut at a NUL. False at the end of the file
  /// and on a read error, which drops the piece being read.
  bool NextPiece(std::string& piece) {
    piece.clear();
    while (piece.size() < static_cast<std::size_t>(kLineBufferSize - 1)) {
      const int c = Next();
      if (c == EOF) {
        if (std::ferror(file_) || piece.empty())
          return false;
        break;
      }
      piece += static_cast<char>(c);
      if (c == '\n')
        break;
    }
    piece.resize(std::min(piece.size(), piece.find('\0')));
    return true;
  }

 private:
  int Next() {
    if (at_ < start_.size())
      return static_cast<unsigned char>(start_[at_++]);
    if (ended_)
      return EOF;
    const int c = std::getc(file_);
    ended_ = c == EOF;
    return c;
  }

  std::FILE* file_;
  std::string start_;
  std::size_t at_ = 0;
  bool ended_ = false;
};

// The message for a file that is plainly no script, or nullptr.
const char* NotAScript(const std::string& start) {
  if (start.starts_with(std::string_view(kFontTags, sizeof kFontTags - 1)))
    return msg::kNotAScriptFont;
  if (start.find('\0') != std::string::npos)
    return msg::kNotAScriptBinary;
  return nullptr;
}

}  // namespace

bool RunScriptStream(BuildState& state, Console& console, std::FILE* script, const char* path,
                     const Command* table) {
  ScriptBytes bytes(script);
  if (const char* refusal = NotAScript(bytes.start())) {
    ReportError(console, refusal, path);
    return false;
  }
  std::string piece;
  std::int32_t number = 0;
  bool lineEnded = true;
  // A read that fails leaves neither data nor an end-of-file mark behind, so the loop asks for the
  // error itself instead of waiting for an end of file that never comes.
  while (bytes.NextPiece(piece)) {
    // A piece that is nothing but the end of a line that filled the buffer takes no number of
    // its own. Past 2^31 lines the numbers stay at the last one rather than wrap.
    const bool onlyLineEnd = piece == "\n" || piece == "\r\n";
    if ((lineEnded || !onlyLineEnd) && number < INT32_MAX)
      ++number;
    lineEnded = piece.ends_with('\n');
    RunLine(state, console, {std::move(piece), number}, table);
  }
  if (std::ferror(script))
    ReportError(console, msg::kCannotRead, path);
  return true;
}

bool RunScript(BuildState& state, Console& console, const char* path, const Command* table) {
  std::FILE* script = std::fopen(path, "r");
  struct stat info {};
  if (script != nullptr && (fstat(fileno(script), &info) != 0 || S_ISDIR(info.st_mode))) {
    std::fclose(script);
    script = nullptr;
  }
  if (script == nullptr) {
    ReportError(console, msg::kCannotOpen, path);
    return false;
  }
  RememberInput(state, path);
  state.scriptFolder = FolderOf(path);
  const bool ran = RunScriptStream(state, console, script, path, table);
  std::fclose(script);
  return ran;
}

}  // namespace typekiln
