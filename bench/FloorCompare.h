#pragma once

// A measured task against its floor in the same run: each iteration runs both, alternating
// which goes first so neither gains from going second, and the counters give the floor's
// and the task's milliseconds per iteration (`name` for the task's) and their ratio.

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <string>

namespace fx::bench {

inline void CompareWithFloor(benchmark::State& state, const std::function<void()>& floor,
                             const std::function<void()>& task, const std::string& name) {
  using TClock = std::chrono::steady_clock;
  TClock::duration floorTime{}, taskTime{};
  bool floorFirst = true;
  for (auto _ : state) {
    for (int pass = 0; pass < 2; ++pass) {
      const bool isFloor = (pass == 0) == floorFirst;
      const auto start = TClock::now();
      (isFloor ? floor : task)();
      (isFloor ? floorTime : taskTime) += TClock::now() - start;
    }
    floorFirst = !floorFirst;
  }
  const double iterations = static_cast<double>(state.iterations());
  const auto ms = [&](TClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count() / iterations;
  };
  state.counters["floor_ms"] = ms(floorTime);
  state.counters[name] = ms(taskTime);
  state.counters["ratio"] = ms(taskTime) / ms(floorTime);
}

// The benchmark program's main for benchmarks over one corpus: `TCorpus` is built once,
// after the flags are read (so --help costs nothing), and `global` points to it meanwhile.
template <class TCorpus>
int RunOverCorpus(int argc, char** argv, TCorpus*& global) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TCorpus corpus;
  global = &corpus;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  global = nullptr;
  return 0;
}

}  // namespace fx::bench
