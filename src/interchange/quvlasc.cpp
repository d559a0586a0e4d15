#include "interchange/quvlasc.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context_help.h"
#include "common/form_buttons.h"
#include "common/localisation.h"
#include "interchange/exporter.h"
#include "platform/qt/codec.h"
#include "platform/ui.h"

namespace tolvi {

QUVLASC::QUVLASC(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("QUVLASC");
    setWindowTitle(QStringLiteral("Tolvi32 - Loading ASCII Database "));
    setProperty("tag", QStringLiteral("99626"));

    auto* layout = new QVBoxLayout(this);
    F_MsgLine = new QLabel(this);
    F_MsgLine->setObjectName("F_MsgLine");
    F_MsgLine->setTextFormat(Qt::PlainText);
    F_MsgLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    F_MsgLine->setMinimumWidth(460);
    layout->addWidget(F_MsgLine);

    auto* buttons = new QHBoxLayout;
    F_Continue = NewFormButton(this, "F_Continue", "Continue", nullptr);
    F_Cancel = NewFormButton(this, "F_Cancel", "Cancel", "99388");
    F_Return = NewFormButton(this, "F_Return", "Close", "99422");
    buttons->addWidget(F_Continue);
    buttons->addStretch();
    buttons->addWidget(F_Cancel);
    buttons->addStretch();
    buttons->addWidget(F_Return);
    layout->addLayout(buttons);
    connect(F_Continue, &QPushButton::clicked, this, [this] { F_Continue_Click(); });
    connect(F_Cancel, &QPushButton::clicked, this, [this] { F_Cancel_Click(); });
    connect(F_Return, &QPushButton::clicked, this, [this] { F_Return_Click(); });

    InstallHelpKey(this);  // Ctrl+F1
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
    F_Continue->setEnabled(false);
    F_Return->setVisible(false);
    F_Cancel->setVisible(true);
    loading_ = true;
    std::string message;
    const int32_t result = Loader.Continue(message);
    loading_ = false;
    if (result < 0) {  // the file could not be opened: its box has been shown
        hide();
        return;
    }
    ShowMessage(message);
    F_Continue->setVisible(false);
    F_Return->setVisible(true);
    F_Cancel->setVisible(false);
}

void QUVLASC::F_Cancel_Click() { Loader.mCancel = true; }

void QUVLASC::F_Return_Click() { hide(); }

void QUVLASC::ShowMessage(const std::string& Text) {
    ShowMsg(Text);
    F_MsgLine->repaint();
}

void QUVLASC::ShowMsg(const std::string& Text) { F_MsgLine->setText(platform::ToQString(Text)); }

void QUVLASC::Yield() { platform::ui().DoEvents(); }

void QUVLASC::reject() {
    if (loading_)
        F_Cancel_Click();
    else
        F_Return_Click();
}

void QUVLASC::closeEvent(QCloseEvent* event) {
    if (loading_) {
        event->ignore();
        F_Cancel_Click();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace tolvi
