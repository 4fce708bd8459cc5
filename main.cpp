#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Morvatex    Ver.: 01.23");
  window.resize(670, 479);
  window.show();
  return app.exec();
}
