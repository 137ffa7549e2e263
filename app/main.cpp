#include <QApplication>
#include <QMessageBox>

#include <exception>

#include "app/QtStartupSteps.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  try {
    fx::TQtStartupSteps steps;
    return fx::TStartup(steps).Run();
  } catch (const std::exception& e) {
    // Whatever start-up did not handle itself still reaches the user, not only a terminal.
    QMessageBox::critical(nullptr, QStringLiteral("Fraxinel"), QString::fromUtf8(e.what()));
    return 1;
  }
}
