#pragma once
// The Ui service on real Qt widgets.
#include <QStringList>

#include "platform/ui.h"

namespace tolvi::platform {

class QtUi : public Ui {
public:
    int MsgBox(const std::string& text, int style, const std::string& title) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& value) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    void Beep() override;
    void SetBusyPointer(bool busy) override;
    bool BusyPointer() const override { return busy_; }
    void ShowModal(QWidget* form) override;
    void ShowModeless(QWidget* form) override;
    void DoEvents() override;

private:
    bool busy_ = false;
};

// "desc|pat;pat|desc|pat" as Qt name filters whose patterns match without regard to case
// ("*.TPB" becomes "*.[tT][pP][bB]"; "*.*" becomes "*").
QStringList FileDialogNameFilters(const std::string& filter);
// One pattern, made case-insensitive as above.
QString CaseInsensitivePattern(const QString& pattern);

}  // namespace tolvi::platform
