// The content browser's catalogues at the real sizes (2,000 packages: the XML database about
// 1.3 MB, a JSON page with file trees about 20 MB), each read into the model against the
// floor of its library's own pass over the same bytes: expat with no handlers, simdjson's
// DOM parse (with a new parser, as a first read has; and with a warm one beside). nlohmann-json's
// parse of the same JSON is measured beside, as the other library Debian offers. Search: one
// keystroke's filtering over the 2,000 packages.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <simdjson.h>

#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/FloorCompare.h"
#include "content/CatalogueBuilder.h"
#include "content/CatalogueMerge.h"
#include "content/ContentSearch.h"
#include "content/JsonCatalogue.h"
#include "content/XmlCatalogue.h"

namespace {

constexpr int kPackages = 2000;
constexpr int kFilesPerPackage = 60;

struct TCorpus {
  std::string Xml = fx::test::GeneratedXml(kPackages);
  std::string Json = fx::test::GeneratedJsonPage(kPackages, kFilesPerPackage);
};

TCorpus* gCorpus = nullptr;

void CompareWithFloor(benchmark::State& state, const std::function<void()>& floor,
                      const std::function<void()>& task) {
  fx::bench::CompareWithFloor(state, floor, task, "model_ms");
}

void BM_XmlCatalogueOverExpat(benchmark::State& state) {
  state.counters["bytes"] = static_cast<double>(gCorpus->Xml.size());
  CompareWithFloor(
      state,
      [] {
        XML_Parser parser = XML_ParserCreate("UTF-8");
        benchmark::DoNotOptimize(XML_Parse(parser, gCorpus->Xml.data(),
                                           static_cast<int>(gCorpus->Xml.size()), XML_TRUE));
        XML_ParserFree(parser);
      },
      [] { benchmark::DoNotOptimize(fx::ReadXmlCatalogue(gCorpus->Xml)); });
}

// simdjson's DOM parse of the page with `parser`.
void ParsePage(simdjson::dom::parser& parser) {
  simdjson::dom::element root;
  benchmark::DoNotOptimize(parser.parse(gCorpus->Json.data(), gCorpus->Json.size()).get(root));
}

void ReadPage() {
  benchmark::DoNotOptimize(fx::ReadJsonPage(gCorpus->Json));
}

// The floor makes a parser of its own, as a first read of a catalogue does: its buffers for
// 20 MB are part of a parse from scratch.
void BM_JsonPageOverSimdjson(benchmark::State& state) {
  state.counters["bytes"] = static_cast<double>(gCorpus->Json.size());
  CompareWithFloor(
      state,
      [] {
        simdjson::dom::parser parser;
        ParsePage(parser);
      },
      ReadPage);
}

// The same against a parser kept from one parse to the next, its buffers already in memory:
// the library at its fastest, which no first read of a catalogue is.
void BM_JsonPageOverWarmSimdjson(benchmark::State& state) {
  simdjson::dom::parser parser;
  CompareWithFloor(
      state, [&] { ParsePage(parser); }, ReadPage);
}

void BM_NlohmannParseOverSimdjson(benchmark::State& state) {
  simdjson::dom::parser parser;
  CompareWithFloor(
      state, [&] { ParsePage(parser); },
      [] { benchmark::DoNotOptimize(nlohmann::json::parse(gCorpus->Json)); });
}

void BM_SearchKeystroke(benchmark::State& state) {
  std::vector<fx::TCatalogue> sources;
  sources.push_back(fx::ReadXmlCatalogue(gCorpus->Xml));
  sources.push_back(fx::ReadJsonPage(gCorpus->Json));
  const fx::TCatalogue merged = fx::MergeCatalogues(std::move(sources));
  const std::vector<std::string> texts = fx::SearchTexts(merged.Packages);
  const std::vector<fx::TInstallState> states(merged.Packages.size());
  const fx::TContentFilter filter{.Text = "generated 19", .MinRating = 2};
  for (auto _ : state)
    benchmark::DoNotOptimize(fx::FilterPackages(merged.Packages, texts, states, filter));
  state.counters["packages"] = static_cast<double>(merged.Packages.size());
}

BENCHMARK(BM_XmlCatalogueOverExpat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JsonPageOverSimdjson)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JsonPageOverWarmSimdjson)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NlohmannParseOverSimdjson)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return fx::bench::RunOverCorpus(argc, argv, gCorpus);
}
