#include "platform/qt/qt_services.h"

#include "platform/qt/font_catalogue.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_ui.h"

namespace tolvi::platform {

void InstallQtServices() {
    static QtUi ui;
    static QtFontCatalogue catalogue;
    SetUi(&ui);
    SetTimerFactory(QtTimerFactory());
    SetFontCatalogue(&catalogue);
}

}  // namespace tolvi::platform
