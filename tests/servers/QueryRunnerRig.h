#pragma once

// The program's server source on loopback, with what its callbacks delivered, and
// quakestat (Debian's qstat) as an independent reading of the same servers.

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "servers/ServerQueryRunner.h"

namespace fx::test {

inline TServerQueryRunnerOptions LoopbackRunnerOptions(std::vector<TLanTarget> lan = {}) {
  TServerQueryRunnerOptions options;
  options.Bind = TServerAddress::V4(127, 0, 0, 1, 0);
  options.LanTargets = std::move(lan);
  options.Tuning.LanWindow = std::chrono::milliseconds(300);
  options.Tuning.MasterQuiet = std::chrono::milliseconds(200);
  return options;
}

struct TRunnerRig {
  explicit TRunnerRig(TServerQueryRunnerOptions options = LoopbackRunnerOptions())
      : Runner(std::move(options)) {
    Runner.OnServers = [this](std::vector<TServerInfo> batch) {
      for (const TServerInfo& info : batch)
        Listed[info.Address] = info;
      Batches.push_back(std::move(batch));
    };
    Runner.OnMaster = [this](const TMasterResult& result) { Masters.push_back(result); };
  }
  // Runs the event loop until the source says it is done, at most `limit`.
  bool Wait(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    QEventLoop loop;
    bool finished = false;
    Runner.OnFinished = [&] {
      finished = true;
      loop.quit();
    };
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    loop.exec();
    Runner.OnFinished = nullptr;
    return finished;
  }

  TServerQueryRunner Runner;
  std::vector<std::vector<TServerInfo>> Batches;
  std::map<TServerAddress, TServerInfo> Listed;
  std::vector<TMasterResult> Masters;
};

inline bool HaveQuakestat() {
  return std::system("command -v quakestat >/dev/null 2>&1") == 0;
}

// quakestat's raw output (fields split at ';'), one vector per line.
inline std::vector<std::vector<std::string>> Quakestat(const std::string& arguments) {
  std::vector<std::vector<std::string>> lines;
  FILE* pipe = ::popen(("quakestat -raw ';' -nh " + arguments).c_str(), "r");
  if (!pipe) return lines;
  std::string line;
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    std::vector<std::string>& fields = lines.emplace_back();
    for (std::size_t start = 0;;) {
      const std::size_t end = line.find(';', start);
      fields.push_back(line.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    line.clear();
  }
  ::pclose(pipe);
  return lines;
}

}  // namespace fx::test
