#pragma once

// Reading a picture's rows. Whoever reads rows keeps a RowCache of their own: the run's grabber
// one, and each observer of the run another, so that watching a run never changes what the run
// has in memory.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "picture/tga_picture.h"

namespace typekiln {

/// Rows of a picture as its file holds them: each `width` pixels of kBytesPerPixel bytes.
struct PixelRows {
  const std::uint8_t* first = nullptr;  ///< the top row of those asked for
  std::ptrdiff_t step = 0;              ///< bytes to the row below: negative for bottom-up files
  const std::uint8_t* Row(std::int64_t i) const { return first + i * step; }
  /// The first byte of pixel `column` of row `i`.
  const std::uint8_t* Pixel(std::int64_t i, std::int64_t column) const {
    return Row(i) + column * kBytesPerPixel;
  }
};

/// The rows of a raw picture last read from its file. A decoded picture's rows are read from its
/// memory, and the cache holds nothing.
class RowCache {
 public:
  /// Points `rows` at picture rows `first` up to, not including, `end`, which must lie inside a
  /// picture that has pixels. A raw picture's rows are read from its file in one read, unless
  /// the last read of the same load already holds them; they stay valid until the next call.
  /// Fails with `Truncated` when the file no longer holds them, `TooLarge` for more than
  /// kMaxHeldPixels pixels.
  Failure Read(const Picture& picture, std::int64_t first, std::int64_t end, PixelRows& rows);

 private:
  PixelBytes held_;  ///< file rows `fileFirst_` up to `fileEnd_` of load `load_`
  std::uint64_t load_ = 0;
  std::int64_t fileFirst_ = 0;
  std::int64_t fileEnd_ = 0;
};

/// Hands `visit` every row of a picture that has pixels, from the top, as the file holds it,
/// reading some rows at a time, until `visit` returns false. False when the file no longer holds
/// the rows.
bool VisitRows(const Picture& picture,
               const std::function<bool(std::int64_t y, const std::uint8_t* row)>& visit);

}  // namespace typekiln
