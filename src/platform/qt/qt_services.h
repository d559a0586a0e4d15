#pragma once
// Installs the Qt implementations of the platform services (Ui, timers, font catalogue).
// Call once, after the QApplication exists.

namespace tolvi::platform {
void InstallQtServices();
}  // namespace tolvi::platform
