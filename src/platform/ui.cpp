#include "platform/ui.h"

namespace tolvi::platform {

int DefaultAnswer(int style) {
    switch (style & kStyleButtonMask) {
        case kStyleOkCancel:
        case kStyleYesNoCancel:
        case kStyleRetryCancel:
            return kAnswerCancel;
        case kStyleYesNo:
            return kAnswerNo;
        case kStyleAbortRetryIgnore:
            return kAnswerAbort;
        default:
            return kAnswerOk;
    }
}

namespace {
// Stands in until a real service is installed: never blocks, never shows anything.
class SilentUi : public Ui {
public:
    int MsgBox(const std::string&, int style, const std::string&) override { return DefaultAnswer(style); }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> FileDialog(const FileDialogRequest&) override { return std::nullopt; }
    void Beep() override {}
    void SetBusyPointer(bool busy) override { busy_ = busy; }
    bool BusyPointer() const override { return busy_; }
    void ShowModal(QWidget*) override {}
    void ShowModeless(QWidget*) override {}
    void DoEvents() override {}

private:
    bool busy_ = false;
};

SilentUi& silent() {
    static SilentUi s;
    return s;
}
Ui* installed = nullptr;
}  // namespace

Ui& ui() { return installed ? *installed : silent(); }
void SetUi(Ui* service) { installed = service; }

}  // namespace tolvi::platform
