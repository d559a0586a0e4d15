#include "platform/qt/qt_services.h"

#include "platform/qt/font_catalogue.h"
#include "platform/qt/qt_help.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_ui.h"

namespace tolvi::platform {

void InstallQtServices() {
    static QtUi ui;
    static QtFontCatalogue catalogue;
    static QtHelp help;
    SetUi(&ui);
    SetTimerFactory(QtTimerFactory());
    SetFontCatalogue(&catalogue);
    SetHelp(&help);
}

}  // namespace tolvi::platform
