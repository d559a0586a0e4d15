// The manager's entry: a Qt application whose first window is the manager bar.
#include <QApplication>
#include <QTimer>

#include "mainwindow/quvmain.h"
#include "platform/descriptor_limit.h"
#include "platform/qt/bus_qt.h"
#include "platform/qt/qt_services.h"

int main(int argc, char** argv) {
    tolvi::platform::RaiseDescriptorLimit();
    QApplication app(argc, argv);
    // The bar closes through its own questions; no other window's closing ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    tolvi::platform::InstallQtServices();
    tolvi::platform::InstallQtBus();
    // The first argument whole: the shell has already split and unquoted the command line.
    const std::string argument = argc > 1 ? std::string(argv[1]) : std::string();
    auto* window = new tolvi::QUVMAIN;
    // Separate programs of the suite reach the manager through the bus server; only the holder
    // of the single-instance lock may (re)create its socket, and it listens before start-up
    // starts any program.
    window->startBus = [] {
        std::string why;
        tolvi::platform::StartBusServer(why);
    };
    if (!window->Form_Load(argument)) {
        tolvi::platform::StopBusServer();
        const int code = window->EndCode();
        delete window;
        return code;
    }
    // A start-up check: the full clean-up of a normal exit, without its questions.
    if (qEnvironmentVariableIsSet("TOLVI_QUIT_AFTER_START"))
        QTimer::singleShot(0, window, [window] { window->Form_Unload(); });
    const int code = app.exec();
    tolvi::platform::StopBusServer();
    delete window;
    return code;
}
