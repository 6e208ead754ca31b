#pragma once

// Small readings of text that every tool shares: ASCII case, blanks and whole numbers, each the
// same whatever the locale.

#include <optional>
#include <string_view>

namespace typekiln {

/// The ASCII letter in lower case; any other byte as it is.
char AsciiLower(char c);

/// True when the two texts are equal, ignoring the case of ASCII letters only.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

/// A space or a tab: what separates the fields of a line in a BMFont descriptor.
bool IsSpaceOrTab(char c);

/// All of `text` as a whole number in decimal, '-' allowed before it; nothing when it is empty,
/// holds anything else, or does not fit an int.
std::optional<int> WholeNumber(std::string_view text);

}  // namespace typekiln
