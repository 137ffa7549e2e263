// How long the main window takes to come up, next to a bare Qt main window in the same run:
// from the start of the process, and from the window's construction, to the window shown.
// The splash screen's minimum time is not part of either figure. Run on the offscreen
// platform or under Xvfb; the program's settings live in a temporary folder.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include <unistd.h>

#include "launcher/FXLaunchForm.h"
#include "settings/FXSettings.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

double Ms(TClock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Shows the window and returns once its first paint has gone through the event loop.
template <typename T>
TClock::duration ShowTimed(const std::function<std::unique_ptr<T>()>& make,
                           std::unique_ptr<T>& keep) {
  const auto start = TClock::now();
  keep = make();
  keep->show();
  QApplication::processEvents();
  return TClock::now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const auto processStart = TClock::now();
  const fs::path folder = fs::temp_directory_path() / ("fx-startup-" + std::to_string(getpid()));
  fs::create_directories(folder / "quake" / "id1");
  std::ofstream(folder / "quake" / "id1" / "pak1.pak").put('\0');
  setenv("FRAXINEL_CONFIG_DIR", folder.string().c_str(), 1);
  QApplication app(argc, argv);
  const auto appReady = TClock::now();

  std::unique_ptr<QMainWindow> bare;
  const auto bareTime =
      ShowTimed<QMainWindow>([] { return std::make_unique<QMainWindow>(); }, bare);

  const auto settingsStart = TClock::now();
  fx::TProgramSettings settings;
  settings.Machine.SetQPath((folder / "quake").string());
  std::unique_ptr<fx::TFXLaunchForm> form;
  const auto formTime =
      ShowTimed<fx::TFXLaunchForm>([] { return std::make_unique<fx::TFXLaunchForm>(); }, form);
  const auto shown = TClock::now();
  (void)settings;

  std::printf("QApplication ready after start        %8.1f ms\n", Ms(appReady - processStart));
  std::printf("bare QMainWindow: create to shown      %8.1f ms\n", Ms(bareTime));
  std::printf("main window: create to shown           %8.1f ms\n", Ms(formTime));
  // The bare window was shown in between; it is not part of the program's own start.
  const auto ownStart = (appReady - processStart) + (shown - settingsStart);
  std::printf("main window: process start to shown    %8.1f ms\n", Ms(ownStart));
  form.reset();
  bare.reset();
  fs::remove_all(folder);
  return 0;
}
