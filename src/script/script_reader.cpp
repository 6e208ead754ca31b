#include "script/script_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "font/font_format.h"
#include "io/file_system.h"
#include "report/messages.h"
#include "text/utf8.h"

namespace typekiln {

bool IsScriptBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte >= 0x80;
}

std::string_view NextWord(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsScriptBlank(text[begin])) ++begin;
  std::size_t end = begin;
  while (end < text.size() && !IsScriptBlank(text[end])) ++end;
  return text.substr(begin, end - begin);
}

void TrimLineEnd(std::string& line, ScriptEncoding encoding) {
  constexpr auto kNoBreakSpace = static_cast<char>(0xA0);
  const auto blank = [encoding](char c) {
    return encoding == ScriptEncoding::Utf8
               ? static_cast<unsigned char>(c) <= 0x20 || c == kNoBreakSpace
               : IsScriptBlank(c);
  };
  while (!line.empty() && blank(line.back())) line.pop_back();
}

void RunLine(BuildState& state, Console& console, ScriptLine line, const Command* table) {
  const std::string read = line.text;
  TrimLineEnd(line.text, state.encoding);
  // Letters from 0x80 up at the end of a Latin-1 line go with its blanks: an observer hears of
  // those lost.
  if (state.observer != nullptr && state.encoding == ScriptEncoding::Latin1) {
    std::string dropped;
    for (std::size_t i = line.text.size(); i < read.size(); ++i)
      if (static_cast<unsigned char>(read[i]) >= 0x80)
        dropped += read[i];
    if (!dropped.empty() && !line.text.empty() && line.text.front() != '#')
      state.observer->LineEndDropped(line, dropped);
  }
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
  if (state.observer != nullptr)
    state.observer->LineRuns(line);
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
  /// newline, at most kLineBufferSize - 1 characters, and cut at a NUL. A character is a byte,
  /// or with `utf8` a byte and the continuation bytes (0x80 to 0xBF) after it. False at the end of
  /// the file and on a read error, which drops the piece being read.
  bool NextPiece(std::string& piece, bool utf8) {
    piece.clear();
    for (int characters = 0;;) {
      const int c = Next();
      if (c == EOF) {
        if (std::ferror(file_) || piece.empty())
          return false;
        break;
      }
      const bool continues = utf8 && (c & 0xC0) == 0x80;
      if (!continues && characters == kLineBufferSize - 1) {
        held_ = c;  // the first character of the next piece
        break;
      }
      characters += continues ? 0 : 1;
      piece += static_cast<char>(c);
      if (c == '\n')
        break;
    }
    piece.resize(std::min(piece.size(), piece.find('\0')));
    return true;
  }

 private:
  int Next() {
    if (held_ != EOF)
      return std::exchange(held_, EOF);
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
  int held_ = EOF;  // a byte read one too far, to come next
};

// Turns a line of a UTF-8 script into the Latin-1 bytes of its characters. False when it holds
// a character past U+00FF or bytes that are not UTF-8: that is an error, and the line does not
// run; a comment may hold any text, and is left out in silence.
bool TakeAsLatin1(Console& console, ScriptLine& line) {
  std::string latin1;
  if (Utf8ToLatin1(line.text, latin1)) {
    line.text = std::move(latin1);
    return true;
  }
  const std::size_t first = line.text.find_first_not_of(" \t\r\n\v\f");
  if (first != std::string::npos && line.text[first] != '#') {
    TrimLineEnd(line.text, ScriptEncoding::Utf8);
    ReportError(console, msg::kNotLatin1, line.text.c_str());
  }
  return false;
}

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
  while (bytes.NextPiece(piece, state.encoding == ScriptEncoding::Utf8)) {
    // A piece that is nothing but the end of a line that filled the buffer takes no number of
    // its own. Past 2^31 lines the numbers stay at the last one rather than wrap.
    const bool onlyLineEnd = piece == "\n" || piece == "\r\n";
    if ((lineEnded || !onlyLineEnd) && number < INT32_MAX)
      ++number;
    lineEnded = piece.ends_with('\n');
    ScriptLine line{std::move(piece), number};
    if (state.encoding == ScriptEncoding::Utf8 && !TakeAsLatin1(console, line))
      continue;
    RunLine(state, console, std::move(line), table);
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
