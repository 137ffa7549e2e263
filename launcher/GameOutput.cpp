#include "launcher/GameOutput.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include <unistd.h>

#include "platform/RegularFile.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "game-";
constexpr std::string_view kSuffix = ".log";
constexpr std::size_t kLineLimit = 200;
constexpr std::streamoff kTailBytes = 64 * 1024;

bool IsOutputName(const std::string& name) {
  return name.size() > kPrefix.size() + kSuffix.size() && name.starts_with(kPrefix) &&
         name.ends_with(kSuffix);
}

std::string FileName(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                          when.time_since_epoch() % std::chrono::seconds(1))
                          .count();
  std::tm local{};
  ::localtime_r(&seconds, &local);
  char text[96];
  std::snprintf(text, sizeof text, "game-%04d%02d%02d-%02d%02d%02d-%03d.log", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis));
  return text;
}

std::string SignalName(int signal) {
  const char* description = ::strsignal(signal);
  return description != nullptr ? description : "unknown signal";
}

}  // namespace

fs::path GameOutputFolder(const TXdgFolders& folders) {
  return folders.StateHome() / "fraxinel";
}

std::vector<fs::path> GameOutputFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (IsOutputName(it->path().filename().string()) && it->is_regular_file(ec))
      files.push_back(it->path());
  std::sort(files.begin(), files.end());
  return files;
}

std::optional<fs::path> NewestGameOutput(const fs::path& folder) {
  std::vector<fs::path> files = GameOutputFiles(folder);
  if (files.empty()) return std::nullopt;
  return files.back();
}

fs::path NewGameOutputFile(const fs::path& folder, std::chrono::system_clock::time_point now) {
  fs::create_directories(folder);
  const std::vector<fs::path> files = GameOutputFiles(folder);
  for (std::size_t i = 0; i + kKeptGameOutputs <= files.size(); ++i) {
    std::error_code ignored;
    fs::remove(files[i], ignored);
  }
  fs::path file = folder / FileName(now);
  while (fs::exists(file)) {
    now += std::chrono::milliseconds(1);
    file = folder / FileName(now);
  }
  try {
    WriteRegularFile(file, "");
  } catch (const EFileOpenError& e) {
    throw fs::filesystem_error(
        "The game's output file cannot be written", file,
        std::error_code(e.NotRegular() ? EINVAL : e.Error(), std::generic_category()));
  }
  return file;
}

std::vector<std::string> LastLines(const fs::path& file, std::size_t count) {
  if (count == 0 || file.empty()) return {};
  std::string text;
  std::streamoff start = 0;
  try {
    const TFileHandle in = OpenRegularFile(file, O_RDONLY);
    const off_t size = ::lseek(in.Get(), 0, SEEK_END);
    if (size < 0) return {};
    start = std::max<std::streamoff>(0, size - kTailBytes);
    text.resize(static_cast<std::size_t>(size - start));
    const ssize_t got = ::pread(in.Get(), text.data(), text.size(), static_cast<off_t>(start));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  } catch (const EFileOpenError&) {
    return {};
  }
  std::vector<std::string> lines;
  std::size_t begin = 0;
  // A tail that starts inside a line does not show that line's cut-off end as a line.
  if (start > 0) begin = std::min(text.find('\n'), text.size() - 1) + 1;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kLineLimit) line = line.substr(0, kLineLimit) + "...";
    lines.push_back(std::move(line));
    begin = end + 1;
  }
  while (!lines.empty() && lines.back().empty())
    lines.pop_back();
  if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<long>(count));
  return lines;
}

std::optional<std::string> EarlyExitMessage(const TProgramEnd& end, const std::string& program,
                                            const fs::path& outputFile) {
  std::string how;
  if (end.Kind == TProgramEndKind::Exited && end.Value != 0)
    how = "with exit status " + std::to_string(end.Value);
  else if (end.Kind == TProgramEndKind::Signalled)
    how = "by signal " + std::to_string(end.Value) + " (" + SignalName(end.Value) + ")";
  else
    return std::nullopt;
  std::string text = "The game ended right after its start, " + how + ":\n" + program + "\n";
  const std::vector<std::string> lines = LastLines(outputFile, kShownOutputLines);
  if (outputFile.empty()) {
    // It wrote where we do (a terminal, or nowhere): nothing of it can be shown here.
    text += "\nIts output was not kept: no file could be made for it.";
  } else if (lines.empty()) {
    text += "\nIt wrote nothing.";
  } else {
    text += "\nIts last lines:\n";
    for (const std::string& line : lines)
      text += line + "\n";
  }
  if (!outputFile.empty()) text += "\nThe whole output is in:\n" + outputFile.string();
  return text;
}

}  // namespace fx
