// A 50 MB download from the scripted loopback HTTP server through the program's download
// (Qt Network, the state machine, the part file, the SHA-256 while streaming), against
// `curl -o /dev/null` from the same server in the same run: the floor. Prints the medians
// and the ratio of the rates; asserts nothing.
//
//   fx_bench_download [runs]

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "fixtures/HttpTestServer.h"
#include "installer/QtDownloader.h"

namespace {

using TClock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::ranges::sort(values);
  return values[values.size() / 2];
}

std::string Payload(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t x = 12345;
  for (auto& byte : bytes) {
    x = x * 1664525u + 1013904223u;
    byte = static_cast<char>(x >> 24);
  }
  return bytes;
}

double CurlSeconds(const std::string& url, const std::string& output = "/dev/null") {
  const std::string command = "curl -s -o '" + output + "' '" + url + "'";
  const auto start = TClock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "curl failed\n");
    std::exit(1);
  }
  return std::chrono::duration<double>(TClock::now() - start).count();
}

double OursSeconds(fx::TQtDownloader& downloader, const std::string& url,
                   const std::filesystem::path& target, const std::string& sha256) {
  std::filesystem::remove(target);
  fx::TDownloadRequest request;
  request.Urls = {url};
  request.Target = target;
  if (!sha256.empty()) request.Hash = {fx::THashKind::Sha256, sha256};
  const auto start = TClock::now();
  const fx::TDownloadResult result = fx::DownloadAndWait(downloader, request, {});
  const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
  if (result.Outcome != fx::TDownloadOutcome::Done) {
    std::fprintf(stderr, "download failed: %s\n", result.ErrorText().c_str());
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  constexpr std::size_t kSize = 50'000'000;
  const std::string payload = Payload(kSize);
  const std::string sha256 = fx::Sha256Hex(payload);

  fx::test::THttpTestServer server;
  server.Route("/big.zip", {.Body = payload});
  const std::string url = server.Url("/big.zip");
  const auto folder =
      std::filesystem::temp_directory_path() / ("fx-download-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  fx::TQtDownloader downloader(folder);

  std::vector<double> curl, curlDisk, plain, hashed;
  CurlSeconds(url);  // warm the page cache and the server once
  for (int run = 0; run < runs; ++run) {
    // Interleaved, so a change in the machine's load touches all three alike.
    curl.push_back(CurlSeconds(url));
    curlDisk.push_back(CurlSeconds(url, (folder / "curl.zip").string()));
    plain.push_back(OursSeconds(downloader, url, folder / "big.zip", ""));
    hashed.push_back(OursSeconds(downloader, url, folder / "big.zip", sha256));
  }
  std::filesystem::remove_all(folder);

  const double mb = kSize / 1e6;
  const double floor = Median(curl), ours = Median(plain), ourHashed = Median(hashed);
  std::printf("50 MB from 127.0.0.1, median of %d runs\n", runs);
  std::printf("  curl -o /dev/null          %7.1f ms  %7.0f MB/s\n", floor * 1e3, mb / floor);
  const double toDisk = Median(curlDisk);
  std::printf("  curl -o file (for scale)   %7.1f ms  %7.0f MB/s\n", toDisk * 1e3, mb / toDisk);
  std::printf("  download to disk           %7.1f ms  %7.0f MB/s  %5.1f %% of curl's rate\n",
              ours * 1e3, mb / ours, 100 * floor / ours);
  std::printf("  download to disk + SHA-256 %7.1f ms  %7.0f MB/s  %5.1f %% of curl's rate\n",
              ourHashed * 1e3, mb / ourHashed, 100 * floor / ourHashed);
  return 0;
}
