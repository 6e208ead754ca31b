#include "inspect/drawing/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace typekiln {

namespace {

// Rows of three bits, the leftmost the highest, for 0 to 9 and the minus sign.
constexpr std::uint8_t kDigits[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7},
    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2},
    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 0, 7, 0, 0},
};
constexpr int kDigitAdvance = 4;  // three columns and one blank

}  // namespace

Canvas::Canvas(int width, int height, Colour background)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  rgba_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  for (std::size_t i = 0; i < rgba_.size(); i += 4) {
    rgba_[i] = background.red;
    rgba_[i + 1] = background.green;
    rgba_[i + 2] = background.blue;
    rgba_[i + 3] = 255;
  }
}

Colour Canvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    return Colour{0, 0, 0};
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                          static_cast<std::size_t>(x)) *
                         4;
  return Colour{rgba_[at], rgba_[at + 1], rgba_[at + 2]};
}

void Canvas::Blend(int x, int y, Colour colour, int weight) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || weight <= 0)
    return;
  weight = std::min(weight, 255);
  std::uint8_t* pixel = &rgba_[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                static_cast<std::size_t>(x)) *
                               4];
  const auto mix = [weight](std::uint8_t under, std::uint8_t over) {
    return static_cast<std::uint8_t>((under * (255 - weight) + over * weight + 127) / 255);
  };
  pixel[0] = mix(pixel[0], colour.red);
  pixel[1] = mix(pixel[1], colour.green);
  pixel[2] = mix(pixel[2], colour.blue);
}

void Canvas::Fill(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                  Colour colour, int weight) {
  const auto left = static_cast<int>(std::clamp<std::int64_t>(x, 0, width_));
  const auto top = static_cast<int>(std::clamp<std::int64_t>(y, 0, height_));
  const auto right = static_cast<int>(std::clamp<std::int64_t>(x + width, 0, width_));
  const auto bottom = static_cast<int>(std::clamp<std::int64_t>(y + height, 0, height_));
  for (int row = top; row < bottom; ++row)
    for (int column = left; column < right; ++column) Blend(column, row, colour, weight);
}

void Canvas::Outline(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                     Colour colour) {
  if (width <= 0 || height <= 0)
    return;
  Fill(x, y, width, 1, colour);
  Fill(x, y + height - 1, width, 1, colour);
  Fill(x, y, 1, height, colour);
  Fill(x + width - 1, y, 1, height, colour);
}

void Canvas::Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Colour colour,
                  int weight) {
  // The steps of the whole line are i / steps of the way; only those from `from` to `to` can
  // fall on the canvas, found by clipping the line to it one edge at a time.
  const std::int64_t steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  double from = 0.0;
  double to = 1.0;
  const auto clip = [&](double start, double change, double low, double high) {
    if (change == 0.0) {
      if (start < low || start > high)
        to = -1.0;
      return;
    }
    double a = (low - start) / change;
    double b = (high - start) / change;
    if (a > b)
      std::swap(a, b);
    from = std::max(from, a);
    to = std::min(to, b);
  };
  clip(static_cast<double>(x0), static_cast<double>(x1 - x0), -1.0, width_);
  clip(static_cast<double>(y0), static_cast<double>(y1 - y0), -1.0, height_);
  if (from > to)
    return;
  const auto first = static_cast<std::int64_t>(std::floor(from * static_cast<double>(steps)));
  const auto last = static_cast<std::int64_t>(std::ceil(to * static_cast<double>(steps)));
  for (std::int64_t i = std::max<std::int64_t>(first, 0); i <= std::min(last, steps); ++i) {
    const double t = steps == 0 ? 0.0 : static_cast<double>(i) / static_cast<double>(steps);
    const auto x = x0 + static_cast<std::int64_t>(static_cast<double>(x1 - x0) * t + 0.5);
    const auto y = y0 + static_cast<std::int64_t>(static_cast<double>(y1 - y0) * t + 0.5);
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
      Blend(static_cast<int>(x), static_cast<int>(y), colour, weight);
  }
}

void Canvas::Number(std::int64_t x, std::int64_t y, long number, Colour colour, int scale) {
  const std::string text = std::to_string(number);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int glyph = text[i] == '-' ? 10 : text[i] - '0';
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column) {
        if (kDigits[glyph][row] & (4 >> column))
          Fill(x + (static_cast<std::int64_t>(i) * kDigitAdvance + column) * scale, y + row * scale,
               scale, scale, colour);
      }
    }
  }
}

int NumberWidth(long number, int scale) {
  return (static_cast<int>(std::to_string(number).size()) * kDigitAdvance - 1) * scale;
}

}  // namespace typekiln
