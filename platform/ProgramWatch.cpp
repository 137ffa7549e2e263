#include "platform/ProgramWatch.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <poll.h>
#include <unistd.h>

namespace fx {

TProgramWatch::~TProgramWatch() {
  Close();
}

TProgramWatch::TProgramWatch(TProgramWatch&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}

TProgramWatch& TProgramWatch::operator=(TProgramWatch&& other) noexcept {
  if (this != &other) {
    Close();
    FFd = std::exchange(other.FFd, -1);
  }
  return *this;
}

void TProgramWatch::Close() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
}

std::optional<TProgramEnd> TProgramWatch::TryRead() {
  if (FFd < 0) return std::nullopt;
  // The report is two ints written at once, far below the pipe's atomic size.
  char report[2 * sizeof(int)];
  ssize_t got = -1;
  do {
    got = ::read(FFd, report, sizeof report);
  } while (got < 0 && errno == EINTR);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return std::nullopt;
  TProgramEnd end;
  if (got == static_cast<ssize_t>(sizeof report)) {
    int kind = 0;
    std::memcpy(&kind, report, sizeof(int));
    std::memcpy(&end.Value, report + sizeof(int), sizeof(int));
    if (kind >= 0 && kind <= static_cast<int>(TProgramEndKind::Unknown))
      end.Kind = static_cast<TProgramEndKind>(kind);
  }
  Close();
  return end;
}

std::optional<TProgramEnd> TProgramWatch::WaitFor(int ms) {
  if (FFd < 0) return std::nullopt;
  pollfd entry{FFd, POLLIN, 0};
  int ready = 0;
  do {
    ready = ::poll(&entry, 1, ms);
  } while (ready < 0 && errno == EINTR);
  return ready > 0 ? TryRead() : std::nullopt;
}

}  // namespace fx
