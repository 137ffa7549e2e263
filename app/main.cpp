#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Fraxinel");
  QMainWindow window;
  window.setWindowTitle("Fraxinel");
  window.show();
  return QApplication::exec();
}
