#include "app/SignalQuit.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace fx {

namespace {

// The pipe's write end, for the handler; -1 while no TSignalQuit lives.
volatile std::sig_atomic_t gWriteEnd = -1;

extern "C" void WriteSignalToPipe(int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
  // A full pipe already holds a request; the byte lost then changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &byte, 1);
  errno = savedErrno;
}

[[noreturn]] void ThrowSystemError(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

TSignalQuit::TSignalQuit(std::function<void(int signal)> onSignal)
    : FOnSignal(std::move(onSignal)) {
  if (gWriteEnd != -1) throw std::logic_error("The signal handlers are installed already");
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) ThrowSystemError("Cannot create a pipe");
  FReadEnd = ends[0];
  FWriteEnd = ends[1];
  gWriteEnd = FWriteEnd;
  FNotifier = std::make_unique<QSocketNotifier>(FReadEnd, QSocketNotifier::Read);
  QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadSignals(); });

  struct sigaction action = {};
  action.sa_handler = WriteSignalToPipe;
  // Interrupted calls (a write of the settings file) go on rather than fail with EINTR.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kSignals); ++i)
    ::sigaction(kSignals[i], &action, &FOld[i]);
}

TSignalQuit::~TSignalQuit() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i)
    ::sigaction(kSignals[i], &FOld[i], nullptr);
  gWriteEnd = -1;
  FNotifier.reset();
  ::close(FReadEnd);
  ::close(FWriteEnd);
}

void TSignalQuit::ReadSignals() {
  unsigned char bytes[16];
  for (;;) {
    const ssize_t count = ::read(FReadEnd, bytes, sizeof bytes);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;  // EAGAIN: all read
    for (ssize_t i = 0; i < count; ++i)
      if (FOnSignal) FOnSignal(bytes[i]);
  }
}

}  // namespace fx
