// The manager's entry: a Qt application whose first window is the manager bar.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("Tolvi32");
    w.show();
    if (qEnvironmentVariableIsSet("TOLVI_QUIT_AFTER_START")) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
