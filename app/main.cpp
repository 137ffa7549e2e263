#include <QApplication>
#include <QMainWindow>

#include "platform/QtDocumentOpener.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);

  // A second copy only brings the running one forward; it must end before it shows anything.
  fx::TSingleInstance instance(QCoreApplication::applicationFilePath());
  if (!instance.TryAcquire()) return 0;

  QApplication::setApplicationName("Fraxinel");
  fx::InstallQtDocumentOpener();

  QMainWindow window;
  window.setWindowTitle("Fraxinel");
  window.resize(419, 350);
  QObject::connect(&instance, &fx::TSingleInstance::activationRequested, &window,
                   [&window] { fx::TSingleInstance::BringToFront(&window); });
  window.show();
  return QApplication::exec();
}
