#pragma once
// The benchmarks' windows show on Qt's offscreen platform unless another is asked for. Call it
// before the application is made.
#include <QString>
#include <QtGlobal>
#include <cstdio>

inline void UseOffscreenQt() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says at every showing that it cannot pass size hints on.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) {
        if (!msg.contains(QLatin1String("propagateSizeHints"))) std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
}
