#include "script/script_reader.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "main/messages.h"

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

void RunScriptStream(BuildState& state, Console& console, std::FILE* script, const char* path,
                     const Command* table) {
  char buffer[kLineBufferSize];
  std::int32_t number = 0;
  bool lineEnded = true;
  // A read that fails leaves neither data nor an end-of-file mark behind, so the loop asks for the
  // error itself instead of waiting for an end of file that never comes.
  while (std::fgets(buffer, sizeof buffer, script) != nullptr) {
    std::string piece(buffer, std::strlen(buffer));
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
}

void RunScript(BuildState& state, Console& console, const char* path, const Command* table) {
  std::FILE* script = std::fopen(path, "r");
  struct stat info {};
  if (script != nullptr && (fstat(fileno(script), &info) != 0 || S_ISDIR(info.st_mode))) {
    std::fclose(script);
    script = nullptr;
  }
  if (script == nullptr)
    return ReportError(console, msg::kCannotOpen, path);
  RunScriptStream(state, console, script, path, table);
  std::fclose(script);
}

}  // namespace typekiln
