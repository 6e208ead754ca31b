#include "io/command_line.h"

#include <algorithm>
#include <string_view>

#include "report/console.h"

namespace typekiln {

std::vector<Argument> ArgumentsOf(int argc, const char* const argv[]) {
  std::vector<Argument> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i]});
  return arguments;
}

ArgumentReader::ArgumentReader(std::span<const Argument> arguments,
                               std::span<const OptionName> options, ArgumentRules rules)
    : arguments_(arguments), options_(options), rules_(rules) {}

ArgumentReader::Item ArgumentReader::Next() {
  Item item;
  if (at_ == arguments_.size())
    return item;
  const Argument& given = arguments_[at_++];
  const std::string& word = given.native;
  const std::string_view start = rules_.optionStart;
  if (ended_ || word.size() < std::max<std::size_t>(start.size(), 2) || !word.starts_with(start)) {
    item.kind = Kind::Word;
    item.value = given;
    return item;
  }
  const std::size_t equals = rules_.valueAfterEquals ? word.find('=') : std::string::npos;
  const bool hasValue = equals != std::string::npos;
  item.written = word.substr(0, equals);
  if (rules_.dashDashEnds && item.written == "--" && !hasValue) {
    ended_ = true;
    return Next();
  }
  ++optionsGiven_;
  const auto named = std::find_if(options_.begin(), options_.end(), [&](const OptionName& option) {
    return item.written == option.name || (option.alias != nullptr && item.written == option.alias);
  });
  if (named == options_.end() || (hasValue && !named->takesValue)) {
    item.kind = Kind::UnknownOption;
    item.written = word;
    return item;
  }
  item.option = &*named;
  if (named->takesValue) {
    if (hasValue) {
      item.value = {word.substr(equals + 1), given.utf8.substr(given.utf8.find('=') + 1)};
    } else if (at_ == arguments_.size()) {
      item.kind = Kind::MissingValue;
      return item;
    } else {
      item.value = arguments_[at_++];
    }
  }
  if (rules_.eachOnce && std::find(seen_.begin(), seen_.end(), item.option) != seen_.end()) {
    item.kind = Kind::Repeated;
    item.written = word;
    return item;
  }
  seen_.push_back(item.option);
  item.kind = Kind::Option;
  return item;
}

const OptionName* OptionAlone(std::span<const Argument> arguments,
                              std::span<const OptionName> options) {
  if (arguments.size() != 1)
    return nullptr;
  const ArgumentReader::Item item =
      ArgumentReader(arguments, options, {"-", false, false, false}).Next();
  return item.kind == ArgumentReader::Kind::Option ? item.option : nullptr;
}

bool SaidHelpOrVersion(std::ostream& out, std::span<const Argument> arguments,
                       const char* helpAlias, const std::string& help, const std::string& version) {
  const OptionName options[] = {{"--help", helpAlias, false}, {"--version", nullptr, false}};
  const OptionName* alone = OptionAlone(arguments, options);
  if (alone == nullptr)
    return false;
  Say(out, "%s", alone == &options[0] ? help.c_str() : version.c_str());
  return true;
}

}  // namespace typekiln
