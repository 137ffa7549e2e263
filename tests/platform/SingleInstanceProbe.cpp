// A stand-in for the program in the single-instance tests: it guards itself with
// TSingleInstance under the name given on the command line and reports what happens on
// standard output, one word a line:
//   "primary"    it runs as the first copy (and stays until "quit", end of input or its time
//                is up, so a test can never hang on it),
//   "activated"  a later copy asked it to come forward,
//   "secondary"  another copy runs; this one ends at once with exit code 0.
// Usage: SingleInstanceProbe <name> [<seconds to live, default 20>]
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <unistd.h>

namespace {

void Say(const char* word) {
  std::printf("%s\n", word);
  std::fflush(stdout);
}

void QuitOnCommand(QSocketNotifier& notifier) {
  char buffer[256];
  const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n <= 0 || std::string_view(buffer, static_cast<std::size_t>(n)).find("quit") !=
                    std::string_view::npos) {
    notifier.setEnabled(false);
    QCoreApplication::quit();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <name> [<seconds>]\n", argv[0]);
    return 2;
  }
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;

  fx::TSingleInstance instance(QString::fromLocal8Bit(argv[1]));
  if (!instance.TryAcquire()) {
    Say("secondary");
    return 0;
  }
  Say("primary");
  QObject::connect(&instance, &fx::TSingleInstance::activationRequested, [] { Say("activated"); });

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&input] { QuitOnCommand(input); });
  QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
  return app.exec();
}
