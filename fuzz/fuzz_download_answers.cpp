// The download state machine fed answers a hostile server could send: the input is a row of
// answers separated by "\n--\n", each a status line, header lines, an empty line and the
// body; a body starting with "!" ends in a transport failure instead of a clean end. Two
// URLs and a small size limit; a Range or redirect it asks for gets the next answer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "installer/DownloadMachine.h"

using namespace fx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> answers;
  for (std::size_t at; (at = input.find("\n--\n")) != std::string_view::npos;) {
    answers.push_back(input.substr(0, at));
    input.remove_prefix(at + 4);
  }
  answers.push_back(input);

  TDownloadRequest request;
  request.Urls = {"http://127.0.0.1/a.zip", "https://127.0.0.1/b.zip"};
  request.Target = "/nonexistent/a.zip";
  request.MaxBytes = 4096;
  if (!answers.empty() && answers.front().starts_with("hash"))
    request.Hash = {THashKind::Md5, "0123456789abcdef0123456789abcdef"};
  TDownloadMachine machine(request);
  TDownloadMachine::TTimePoint now{};
  machine.Begin({}, now);
  std::uint64_t part = 0;
  for (std::string_view text : answers) {
    if (machine.IsFinished()) break;
    if (!machine.TakeRequest(now)) break;
    const auto headEnd = text.find("\n\n");
    const std::string_view head = text.substr(0, headEnd);
    std::string_view body = headEnd == std::string_view::npos ? "" : text.substr(headEnd + 2);
    THttpAnswer answer;
    answer.Status = std::atoi(std::string(head.substr(0, head.find('\n'))).c_str());
    for (std::string_view rest = head.substr(std::min(head.size(), head.find('\n') + 1));
         !rest.empty();) {
      const std::string_view line = rest.substr(0, rest.find('\n'));
      rest.remove_prefix(std::min(rest.size(), line.size() + 1));
      const auto colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      THttpHeader header{std::string(line.substr(0, colon)), std::string(line.substr(colon + 1))};
      if (header.Name == "Location") answer.Location = header.Value;
      (void)ParseContentRange(header.Value);
      answer.Headers.push_back(std::move(header));
    }
    now += std::chrono::milliseconds(10);
    if (machine.Response(answer, now) == TPartAction::Drop) continue;
    if (machine.PartOffset() > part) std::abort();  // never appends past what was written
    part = machine.PartOffset();
    const bool cut = body.starts_with('!');
    bool ok = true;
    for (std::size_t at = 0; ok && at < body.size(); at += 100) {
      ok = machine.Body(body.substr(at, 100), now);
      if (ok) part += std::min<std::size_t>(100, body.size() - at);
    }
    if (!ok) continue;
    if (part > request.MaxBytes) std::abort();  // the limit holds while streaming
    if (cut)
      machine.Failed("cut", now);
    else
      machine.End(now);
    machine.Tick(now + std::chrono::seconds(60));
  }
  (void)machine.Progress(now);
  return 0;
}
