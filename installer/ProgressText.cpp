#include "installer/ProgressText.h"

#include <cmath>
#include <cstdio>

namespace fx {

std::string ByteText(std::uint64_t bytes) {
  if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  const char* units[] = {"kB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1000;
  std::size_t unit = 0;
  while (value >= 999.95 && unit + 1 < std::size(units)) {
    value /= 1000;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit >= 2 && value < 10 ? "%.2f %s" : "%.1f %s", value,
                units[unit]);
  return text;
}

std::string RateText(double bytesPerSecond) {
  return ByteText(static_cast<std::uint64_t>(std::max(0.0, bytesPerSecond))) + "/s";
}

std::string RemainingText(std::chrono::seconds left) {
  const long long total = std::max<long long>(0, left.count());
  char text[48];
  if (total < 60)
    std::snprintf(text, sizeof text, "%lld s left", total);
  else if (total < 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld left", total / 60, total % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld left", total / 3600, total / 60 % 60,
                  total % 60);
  return text;
}

std::string ProgressText(std::uint64_t done, std::optional<std::uint64_t> total,
                         double bytesPerSecond, std::optional<std::chrono::seconds> left) {
  std::string text = ByteText(done);
  if (total) text += " of " + ByteText(*total);
  if (bytesPerSecond > 0) text += ", " + RateText(bytesPerSecond);
  if (left) text += ", " + RemainingText(*left);
  return text;
}

std::string ProgressText(const TDownloadProgress& progress) {
  return ProgressText(progress.Received, progress.Total, progress.BytesPerSecond,
                      progress.Remaining);
}

void TRateMeter::Add(TTimePoint at, std::uint64_t count) {
  if (!FSamples.empty() && count < FSamples.back().second) FSamples.clear();
  FSamples.emplace_back(at, count);
  while (FSamples.size() > 2 && at - FSamples.front().first > FWindow)
    FSamples.pop_front();
}

double TRateMeter::Rate(TTimePoint now) const {
  if (FSamples.size() < 2) return 0;
  const double seconds = std::chrono::duration<double>(now - FSamples.front().first).count();
  return seconds > 0 ? double(FSamples.back().second - FSamples.front().second) / seconds : 0;
}

std::optional<std::chrono::seconds> TRateMeter::Remaining(TTimePoint now,
                                                          std::uint64_t total) const {
  const double rate = Rate(now);
  if (rate <= 0 || FSamples.empty() || total < FSamples.back().second) return std::nullopt;
  return std::chrono::seconds(
      static_cast<std::int64_t>(std::llround(double(total - FSamples.back().second) / rate)));
}

}  // namespace fx
