#pragma once

// How far a download or an install is, as the window and the command line say it, and the
// rate it is measured by.

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "installer/Download.h"

namespace fx {

// Decimal units, as the desktop's file managers count: "512 bytes", "12.3 kB", "4.5 MB",
// "1.20 GB".
std::string ByteText(std::uint64_t bytes);
std::string RateText(double bytesPerSecond);           // "4.5 MB/s"
std::string RemainingText(std::chrono::seconds left);  // "12 s left", "3:05 left", "1:02:03 left"
// "4.5 MB of 50.0 MB, 10.2 MB/s, 0:04 left"; the parts not known are left out.
std::string ProgressText(std::uint64_t done, std::optional<std::uint64_t> total,
                         double bytesPerSecond, std::optional<std::chrono::seconds> left);
std::string ProgressText(const TDownloadProgress& progress);

// The rate over the last few seconds of a count that grows (it starts over when it falls).
class TRateMeter {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  explicit TRateMeter(std::chrono::milliseconds window = std::chrono::seconds(3))
      : FWindow(window) {}

  void Add(TTimePoint at, std::uint64_t count);
  void Clear() { FSamples.clear(); }
  double Rate(TTimePoint now) const;  // per second; 0 until two samples
  // When `total` will be reached at the present rate.
  std::optional<std::chrono::seconds> Remaining(TTimePoint now, std::uint64_t total) const;

 private:
  std::chrono::milliseconds FWindow;
  std::deque<std::pair<TTimePoint, std::uint64_t>> FSamples;
};

}  // namespace fx
