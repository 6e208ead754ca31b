#pragma once

// The command line: each argument as given and as UTF-8, and the reader that the three tools
// take their options and their other words with, each tool from a table of its own options.

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace typekiln {

/// One argument after the program's name: as the system gave it in `argv`, and as UTF-8 text.
/// On POSIX systems the two are the same; on Windows, whose `argv` is in the ANSI code page, the
/// UTF-8 text is taken from the wide command line (or is `argv`'s, should the two not agree on
/// the count).
struct Argument {
  std::string native;
  std::string utf8;
};

/// The arguments after the program's name.
std::vector<Argument> CommandLineArguments(int argc, char* argv[]);
/// The same from an `argv` as tests and tools hand it on: `utf8` is `native`.
std::vector<Argument> ArgumentsOf(int argc, const char* const argv[]);

/// An option a tool takes: its name, another name or nullptr, and whether a value follows.
struct OptionName {
  const char* name;
  const char* alias;
  bool takesValue;
};

/// How a tool reads its command line.
struct ArgumentRules {
  /// What an option starts with: "--" (a word "-x" is then no option) or "-".
  const char* optionStart;
  /// `--name=value` gives a value: also to an option that takes none, which is then unknown.
  bool valueAfterEquals;
  /// A word "--" ends the options: every word after it is no option.
  bool dashDashEnds;
  /// An option given a second time is Repeated.
  bool eachOnce;
};

/// Reads the arguments one item at a time, in order, so that a tool says the first thing wrong
/// that it meets.
class ArgumentReader {
 public:
  enum class Kind {
    Option,         ///< `option`, with `value` when it takes one
    Word,           ///< an argument that is no option: `value`
    UnknownOption,  ///< `written` starts like an option but names none (or gives a value to
                    ///< one that takes none)
    MissingValue,   ///< `option` takes a value and the arguments ended first
    Repeated,       ///< `option` was given before
    End,
  };
  struct Item {
    Kind kind = Kind::End;
    const OptionName* option = nullptr;
    Argument value;
    std::string written;  ///< the argument as given, or the option's name before '='
  };

  ArgumentReader(std::span<const Argument> arguments, std::span<const OptionName> options,
                 ArgumentRules rules);
  Item Next();
  /// The options read so far, "--" not counted.
  int optionsGiven() const { return optionsGiven_; }

 private:
  std::span<const Argument> arguments_;
  std::span<const OptionName> options_;
  ArgumentRules rules_;
  std::size_t at_ = 0;
  bool ended_ = false;
  int optionsGiven_ = 0;
  std::vector<const OptionName*> seen_;
};

/// The one of `options` that is the whole command line, as --help and --version stand alone;
/// nullptr when the arguments are anything else.
const OptionName* OptionAlone(std::span<const Argument> arguments,
                              std::span<const OptionName> options);

/// When the whole command line is `--help` (or `helpAlias`, unless nullptr) or `--version`,
/// prints `help` or `version` and a newline on `out`, and returns true.
bool SaidHelpOrVersion(std::ostream& out, std::span<const Argument> arguments,
                       const char* helpAlias, const std::string& help, const std::string& version);

}  // namespace typekiln
