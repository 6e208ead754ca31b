#pragma once

// Every text the tool prints, in one table. Errors go through ReportError (standard error, then a
// wait for one character); verbose texts go through Verbose (standard output, only while the
// script has reporting switched on).

namespace typekiln::msg {

// Errors.
inline constexpr char kUsage[] = "Usage: TYPEKILN <Script file> <Output file>";
inline constexpr char kCannotOpen[] = "Cannot open: '%s'";
inline constexpr char kCannotRead[] = "Cannot read: '%s'";
inline constexpr char kCannotCreate[] = "Cannot create: '%s'";
inline constexpr char kCannotWrite[] = "Cannot write: '%s'";
inline constexpr char kFontTooLarge[] = "Font too large for 32-bit offsets: '%s'";

// Verbose progress.
inline constexpr char kWidest[] = "Widest: %d\n";
inline constexpr char kHighest[] = "Highest: %d\n";

}  // namespace typekiln::msg
