#include "interchange/progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context_help.h"
#include "common/form_buttons.h"
#include "common/localisation.h"
#include "platform/qt/codec.h"
#include "platform/ui.h"

namespace tolvi {

ProgressWindow::ProgressWindow(QWidget* parent, const char* Name, const char* Caption, const char* Tag)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QString::fromLatin1(Name));
    setWindowTitle(QString::fromLatin1(Caption));
    setProperty("tag", QString::fromLatin1(Tag));
    InstallHelpKey(this);  // Ctrl+F1
}

void ProgressWindow::AddMsgLine(QVBoxLayout* layout) {
    F_MsgLine = new QLabel(this);
    F_MsgLine->setObjectName("F_MsgLine");
    F_MsgLine->setTextFormat(Qt::PlainText);
    F_MsgLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    F_MsgLine->setMinimumWidth(460);
    layout->addWidget(F_MsgLine);
}

void ProgressWindow::AddButtons(QVBoxLayout* layout, const char* ContinueCaption, const char* ContinueTag) {
    auto* buttons = new QHBoxLayout;
    F_Continue = NewFormButton(this, "F_Continue", ContinueCaption, ContinueTag);
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
}

void ProgressWindow::ShowReady(const std::string& File) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    F_Continue->setVisible(true);
    F_Continue->setEnabled(true);
    F_Return->setVisible(true);
    F_Cancel->setVisible(false);
    F_MsgLine->setText(platform::ToQString(GetLocalString("File: ", "99686")) +
                       platform::PathToQString(File));
}

void ProgressWindow::WorkStarts() {
    F_Continue->setEnabled(false);
    F_Return->setVisible(false);
    F_Cancel->setVisible(true);
    mRunning = true;
}

void ProgressWindow::WorkEnded() {
    mRunning = false;
    F_Continue->setVisible(false);
    F_Return->setVisible(true);
    F_Cancel->setVisible(false);
}

void ProgressWindow::ShowMsg(const std::string& Text) { F_MsgLine->setText(platform::ToQString(Text)); }

void ProgressWindow::Yield() { platform::ui().DoEvents(); }

void ProgressWindow::reject() {
    if (mRunning)
        F_Cancel_Click();
    else
        F_Return_Click();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (mRunning) {
        event->ignore();
        F_Cancel_Click();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace tolvi
