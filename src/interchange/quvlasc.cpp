#include "interchange/quvlasc.h"

#include <QLabel>
#include <QVBoxLayout>

#include "common/localisation.h"
#include "interchange/exporter.h"
#include "platform/qt/codec.h"

namespace tolvi {

QUVLASC::QUVLASC(QWidget* parent)
    : ProgressWindow(parent, "QUVLASC", "Tolvi32 - Loading ASCII Database ", "99626") {
    auto* layout = new QVBoxLayout(this);
    AddMsgLine(layout);
    AddButtons(layout, "Continue", nullptr);
}

void QUVLASC::Form_Load() {
    LocalizeForm(this);
    setWindowTitle(platform::ToQString(GetLocalString("Tolvi32 - Loading ASCII Database ", "99626")));
    ShowReady(gExportFile);
    Loader.FormLoad();
    adjustSize();
}

void QUVLASC::F_Continue_Click() {
    WorkStarts();
    std::string message;
    const int32_t result = Loader.Continue(message);
    if (result < 0) {  // the file could not be opened: its box has been shown
        mRunning = false;
        hide();
        return;
    }
    ShowMessage(message);
    WorkEnded();
}

void QUVLASC::F_Cancel_Click() { Loader.mCancel = true; }

void QUVLASC::ShowMessage(const std::string& Text) {
    ShowMsg(Text);
    F_MsgLine->repaint();
}

}  // namespace tolvi
