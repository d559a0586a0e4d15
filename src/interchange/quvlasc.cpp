#include "interchange/quvlasc.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
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
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    F_Continue->setVisible(true);
    F_Continue->setEnabled(true);
    F_Return->setVisible(true);
    F_Cancel->setVisible(false);
    Loader.FormLoad();
    F_MsgLine->setText(platform::ToQString(GetLocalString("File: ", "99686")) +
                       QFile::decodeName(QByteArray::fromStdString(gExportFile)));
    adjustSize();
}

void QUVLASC::F_Continue_Click() {
    WorkStarts();
    std::string message;
    const int32_t result = Loader.Continue(message);
    if (result < 0) {  // the file could not be opened: its box has been shown
        running_ = false;
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
