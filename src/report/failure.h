#pragma once

// What a layer hands up when it could not do its work: the message that says so, formatted where
// the failure was found with the text the tool has for it, or nothing when the work was done. A
// new failure is so said in one place, and whoever called the layer only passes the message on.

#include <cstdarg>
#include <string>
#include <utility>

#include "report/console.h"

namespace typekiln {

class Failure {
 public:
  /// No failure: the work was done.
  Failure() = default;
  /// A failure that says the formatted message, which must not be empty.
  static Failure Because(const char* format, ...) TYPEKILN_PRINTF(1, 2);

  bool Failed() const { return !message_.empty(); }
  /// What went wrong, as one message; empty when nothing did.
  const std::string& message() const { return message_; }

 private:
  explicit Failure(std::string message) : message_(std::move(message)) {}

  std::string message_;
};

inline Failure Failure::Because(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Failure failure(FormatList(format, args));
  va_end(args);
  return failure;
}

}  // namespace typekiln
