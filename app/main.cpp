#include <QApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLineOptions.h"
#include "app/ConsoleDialogs.h"
#include "app/PackageCommand.h"
#include "app/PackageStartup.h"
#include "app/QtStartupSteps.h"
#include "app/Startup.h"
#include "installer/QtDownloader.h"

int main(int argc, char** argv) {
  // Our own options are answered before Qt starts: --help needs no display.
  const fx::TProgramOptions options =
      fx::ParseProgramOptions(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  const std::string program =
      argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "fraxinel";
  switch (options.Action) {
    case fx::TProgramAction::Help:
      std::cout << fx::UsageText(program);
      return 0;
    case fx::TProgramAction::Version:
      std::cout << fx::VersionText();
      return 0;
    case fx::TProgramAction::Refuse:
      std::cerr << program << ": " << options.Error << "\n" << fx::UsageText(program);
      return fx::kExitUsage;
    case fx::TProgramAction::Run:
    case fx::TProgramAction::Launch:
    case fx::TProgramAction::Install:
    case fx::TProgramAction::Uninstall:
    case fx::TProgramAction::Verify:
    case fx::TProgramAction::Packages:
      break;
  }
  // An install cut off by a crash or power loss is finished or undone before anything else.
  for (const std::string& line : fx::RecoverCutInstalls())
    std::cerr << program << ": " << line << "\n";
  // The package commands run without a display.
  if (options.Action != fx::TProgramAction::Run && options.Action != fx::TProgramAction::Launch) {
    try {
      return fx::RunPackageCommandLine(
          options, [](const fx::TUrlDownload& download, std::ostream& err) {
            return fx::DownloadForCommandLine(download.Url, download.Sha256, download.Size, err);
          });
    } catch (const std::exception& e) {
      std::cerr << "package: " << e.what() << "\n";
      return fx::kExitPackageFailed;
    }
  }
  const bool launch = options.Action == fx::TProgramAction::Launch;
  const bool display =
      fx::DisplayAvailable([](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
      });
  // A launch from a script without a display still runs, printing what it would show.
  if (launch && !display) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  try {
    fx::TQtStartupSteps steps;
    if (launch) {
      steps.UseConsole(display);
      return fx::TStartup(steps).RunLaunch(options.LaunchName);
    }
    return fx::TStartup(steps).Run();
  } catch (const std::exception& e) {
    // Whatever start-up did not handle itself still reaches the user, not only a terminal.
    if (launch) std::cerr << "fraxinel: " << e.what() << "\n";
    if (!launch || display)
      QMessageBox::critical(nullptr, QStringLiteral("Fraxinel"), QString::fromUtf8(e.what()));
    return 1;
  }
}
