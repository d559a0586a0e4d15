// The manager's entry: a Qt application whose first window is the manager bar.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include "platform/qt/qt_services.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tolvi::platform::InstallQtServices();
    QMainWindow w;
    w.setWindowTitle("Tolvi32");
    w.show();
    if (qEnvironmentVariableIsSet("TOLVI_QUIT_AFTER_START")) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
