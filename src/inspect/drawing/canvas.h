#pragma once

// A picture being drawn for a preview or an overlay: rows of 8-bit red, green, blue and alpha
// from the top, with the few drawing steps those pictures need. Every step clips to the canvas,
// so callers may draw partly or wholly outside it.

#include <cstdint>
#include <vector>

namespace typekiln {

struct Colour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

class Canvas {
 public:
  /// A canvas of width x height opaque pixels of `background`; sizes below 1 become 1.
  Canvas(int width, int height, Colour background);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<std::uint8_t>& rgba() const { return rgba_; }
  std::vector<std::uint8_t>& rgba() { return rgba_; }

  /// The colour at (x, y); black outside the canvas.
  Colour At(int x, int y) const;
  /// Mixes `colour` into (x, y) with `weight` from 0 (nothing) to 255 (all of it).
  void Blend(int x, int y, Colour colour, int weight = 255);
  // The drawing steps take 64-bit places and sizes, so that a caller may work out a place far
  // outside the canvas without overflow; anything up to 2^40 pixels out is clipped exactly.

  /// Fills the rectangle of `width` x `height` pixels whose top left corner is (x, y).
  void Fill(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, Colour colour,
            int weight = 255);
  /// The one-pixel outline of that rectangle.
  void Outline(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
               Colour colour);
  /// A straight line of one-pixel steps from (x0, y0) to (x1, y1), both ends included; only
  /// the part on the canvas is stepped through.
  void Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Colour colour,
            int weight = 255);
  /// `number` in small built-in digits, 3 x 5 pixels each times `scale`, its top left at (x, y).
  void Number(std::int64_t x, std::int64_t y, long number, Colour colour, int scale = 1);

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> rgba_;
};

/// Width in pixels of `number` as Canvas::Number draws it.
int NumberWidth(long number, int scale = 1);
/// Height in pixels of a number drawn at `scale`.
inline int NumberHeight(int scale = 1) { return 5 * scale; }

}  // namespace typekiln
