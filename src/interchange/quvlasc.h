#pragma once
// The ASCII load window: shows the file the main window chose (gExportFile), loads it on Continue
// with the record type in its status line and Cancel at hand, reports the result and is closed
// with Close. One load per showing. Whatever the outcome the option scope is Default afterwards
// (Current unticked), and a failed or cancelled load leaves an empty "Untitled" database.
#include <QDialog>
#include <string>

#include "interchange/ascii_loader.h"
#include "interchange/record_output.h"

class QLabel;
class QPushButton;

namespace tolvi {

class QUVLASC : public QDialog, public ExportView {
    Q_OBJECT
public:
    explicit QUVLASC(QWidget* parent = nullptr);

    QPushButton* F_Continue = nullptr;
    QPushButton* F_Cancel = nullptr;
    QPushButton* F_Return = nullptr;  // Close
    QLabel* F_MsgLine = nullptr;

    // The reader and its state, fresh for this showing.
    AsciiLoader Loader{this};

    Q_INVOKABLE void Form_Load();
    void F_Continue_Click();
    void F_Cancel_Click();
    void F_Return_Click();
    // The status line shows Text and is repainted at once.
    void ShowMessage(const std::string& Text);

    // The reader's record types: shown at its yields, which repaint them.
    void ShowMsg(const std::string& Text) override;
    void Yield() override;

    // Esc and the close box: Cancel while a load runs, Close otherwise.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool loading_ = false;
};

}  // namespace tolvi
