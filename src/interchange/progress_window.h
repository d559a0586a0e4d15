#pragma once
// What the save-and-export window and the ASCII load window share: a status line above the
// window's own controls, a row of Continue (the window's action), Cancel and Close, and the rule
// that Esc and the close box mean Cancel while the work runs and Close otherwise. The work shows
// its progress through the status line and lets the Cancel click in at its yields.
#include <QDialog>
#include <string>

#include "interchange/record_output.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tolvi {

class ProgressWindow : public QDialog, public ExportView {
    Q_OBJECT
public:
    QPushButton* F_Continue = nullptr;
    QPushButton* F_Cancel = nullptr;
    QPushButton* F_Return = nullptr;  // Close
    QLabel* F_MsgLine = nullptr;

    virtual void F_Continue_Click() = 0;
    virtual void F_Cancel_Click() = 0;
    void F_Return_Click() { hide(); }

    // The status line shows Text now; the yields repaint it.
    void ShowMsg(const std::string& Text) override;
    void Yield() override;

    void reject() override;

protected:
    // Name is the form's name; Caption and Tag its caption before localisation.
    ProgressWindow(QWidget* parent, const char* Name, const char* Caption, const char* Tag);
    // The status line as the layout's next widget.
    void AddMsgLine(QVBoxLayout* layout);
    // The button row as the layout's next row; Continue carries ContinueCaption.
    void AddButtons(QVBoxLayout* layout, const char* ContinueCaption, const char* ContinueTag);
    // As the window opens: on top, Continue and Close at hand, the status line naming File.
    void ShowReady(const std::string& File);
    // Before the work: only Cancel may act. After it: only Close is left.
    void WorkStarts();
    void WorkEnded();
    void closeEvent(QCloseEvent* event) override;

    bool mRunning = false;
};

}  // namespace tolvi
