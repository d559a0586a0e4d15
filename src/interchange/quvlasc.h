#pragma once
// The ASCII load window: shows the file the main window chose (gExportFile), loads it on Continue
// with the record type in its status line and Cancel at hand, reports the result and is closed
// with Close. One load per showing. Whatever the outcome the option scope is Default afterwards
// (Current unticked), and a failed or cancelled load leaves an empty "Untitled" database.
#include <string>

#include "interchange/ascii_loader.h"
#include "interchange/progress_window.h"

namespace tolvi {

class QUVLASC : public ProgressWindow {
    Q_OBJECT
public:
    explicit QUVLASC(QWidget* parent = nullptr);

    // The reader and its state, fresh for this showing.
    AsciiLoader Loader{this};

    Q_INVOKABLE void Form_Load();
    void F_Continue_Click() override;
    void F_Cancel_Click() override;
    // The status line shows Text and is repainted at once.
    void ShowMessage(const std::string& Text);
};

}  // namespace tolvi
