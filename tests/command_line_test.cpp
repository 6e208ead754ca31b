#include "io/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace typekiln {
namespace {

constexpr OptionName kOptions[] = {
    {"--help", "-h", false}, {"--size", nullptr, true}, {"--mono", nullptr, false}};

// Every item read, one a line: O name=value, W word, U written, M name, R written.
std::string Read(std::vector<Argument> arguments, ArgumentRules rules) {
  ArgumentReader reader(arguments, kOptions, rules);
  std::string read;
  for (auto item = reader.Next(); item.kind != ArgumentReader::Kind::End; item = reader.Next()) {
    switch (item.kind) {
      case ArgumentReader::Kind::Option:
        read += "O " + std::string(item.option->name) + "=" + item.value.native + "/" +
                item.value.utf8 + "\n";
        break;
      case ArgumentReader::Kind::Word:
        read += "W " + item.value.native + "\n";
        break;
      case ArgumentReader::Kind::UnknownOption:
        read += "U " + item.written + "\n";
        break;
      case ArgumentReader::Kind::MissingValue:
        read += "M " + item.written + "\n";
        break;
      default:
        read += "R " + item.written + "\n";
    }
  }
  return read + std::to_string(reader.optionsGiven());
}

// Arguments each written the same in both forms.
std::vector<Argument> Same(std::initializer_list<const char*> words) {
  std::vector<Argument> arguments;
  for (const char* word : words) arguments.push_back({word, word});
  return arguments;
}

TEST(ArgumentReader, ReadsOptionsValuesAndWordsInOrder) {
  constexpr ArgumentRules kLoose{"-", true, true, false};
  // A value after '=' comes from each form of the argument; "--" ends the options and is not
  // counted; a lone "-" is a word; an alias names its option.
  EXPECT_EQ(Read(Same({"--size=13", "-h", "a", "--size", "7", "--", "--mono", "-"}), kLoose),
            "O --size=13/13\nO --help=/\nW a\nO --size=7/7\nW --mono\nW -\n3");
  EXPECT_EQ(Read({{"--size=\xE9", "--size=\xC3\xA9"}}, kLoose), "O --size=\xE9/\xC3\xA9\n1");
  // A value given to an option without one, or a name of none, is unknown; a value that never
  // comes is missing.
  EXPECT_EQ(Read(Same({"--mono=1", "-x", "--size"}), kLoose), "U --mono=1\nU -x\nM --size\n3");
}

TEST(ArgumentReader, StrictRulesTakeNoEqualsAndEachOptionOnce) {
  constexpr ArgumentRules kStrict{"--", false, false, true};
  EXPECT_EQ(Read(Same({"-h", "--size=2", "--", "--mono", "--mono", "--size"}), kStrict),
            "W -h\nU --size=2\nU --\nO --mono=/\nR --mono\nM --size\n5");
}

TEST(ArgumentReader, AnOptionAloneIsOnlyTheWholeCommandLine) {
  const auto alone = [](std::vector<Argument> arguments) {
    const OptionName* option = OptionAlone(arguments, kOptions);
    return option != nullptr ? std::string(option->name) : "none";
  };
  EXPECT_EQ(alone({{"--help", "--help"}}), "--help");
  EXPECT_EQ(alone({{"-h", "-h"}}), "--help");
  EXPECT_EQ(alone({{"--mono", "--mono"}}), "--mono");
  EXPECT_EQ(alone({{"--help", "--help"}, {"x", "x"}}), "none");
  EXPECT_EQ(alone({{"--help=1", "--help=1"}}), "none");
  EXPECT_EQ(alone({{"--helpx", "--helpx"}}), "none");
  EXPECT_EQ(alone({}), "none");
}

}  // namespace
}  // namespace typekiln
