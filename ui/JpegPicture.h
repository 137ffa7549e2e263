#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace fx {

// A picture that could not be decoded; the text says why.
class EPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decoded pixels: rows top to bottom, three bytes (red, green, blue) a pixel, no padding.
struct TPixels {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;
};

// The largest picture DecodeJpeg accepts, in pixels: a header may claim up to 65500 x 65500,
// which no picture of this program comes near.
inline constexpr std::uint64_t kMaxJpegPixels = 64ull * 1024 * 1024;

// Decodes a JPEG file held in memory with libjpeg. Throws EPictureError for data that is no
// JPEG, is cut off or damaged (libjpeg's warnings about corrupt data count as errors here),
// or is larger than kMaxJpegPixels.
TPixels DecodeJpeg(std::string_view data);

}  // namespace fx
