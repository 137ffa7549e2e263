#include "launcher/GameOutputWatch.h"

#include <utility>

#include "launcher/GameOutput.h"
#include "ui/UserDialogs.h"

namespace fx {

TGameOutputWatch::TGameOutputWatch(TProgramWatch watch, std::string program,
                                   std::filesystem::path outputFile, TUserDialogs& dialogs,
                                   QObject* parent)
    : QObject(parent),
      FWatch(std::move(watch)),
      FProgram(std::move(program)),
      FOutputFile(std::move(outputFile)),
      FDialogs(dialogs) {
  if (!FWatch.Active()) return;
  FNotifier = std::make_unique<QSocketNotifier>(FWatch.Fd(), QSocketNotifier::Read);
  connect(FNotifier.get(), &QSocketNotifier::activated, this, &TGameOutputWatch::ReportArrived);
}

TGameOutputWatch::~TGameOutputWatch() = default;

void TGameOutputWatch::ReportArrived() {
  const std::optional<TProgramEnd> end = FWatch.TryRead();
  if (!end) return;
  // The descriptor is closed now; the notifier must not watch it any longer.
  FNotifier.reset();
  const auto text = EarlyExitMessage(*end, FProgram, FOutputFile);
  if (text) {
    TMessage message;
    message.Text = *text;
    message.Caption = "Error";
    message.Icon = TMsgIcon::Error;
    FDialogs.ShowMessage(message);
  }
  emit finished(text.has_value());
}

}  // namespace fx
