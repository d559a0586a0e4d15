#pragma once
// The layer labels dialog: the 32 layers with their labels and enabled flags; a double click
// renames a layer or switches it on or off.
#include <string>

#include "setup/setup_dialog.h"

namespace tolvi {

namespace platform {
class TolviGrid;
}

// What an answer to the label question does: keep the label (no answer, or the label as shown),
// refuse it (a "," or a double quote would split the stored record), or take it.
struct LabelEdit {
    enum Kind { Keep, Refuse, Take } kind = Keep;
    std::string name;  // Take: the answer padded with blanks or cut to 15 characters
};
LabelEdit TakeLayerLabel(const std::string& answer, const std::string& shown);

class OPTNLNAM : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNLNAM(QWidget* parent = nullptr);

    platform::TolviGrid* F_Layer = nullptr;

    void LNM_SetupGrid();
    void LNM_Refill();
    void LNM_ShowRow(int Row);
    void LNM_SelectRow();
    void F_Layer_Click();
    void F_Layer_DblClick();
    int RememberedRow() const { return row_; }

protected:
    void SetupLayout() override { LNM_SetupGrid(); }
    void Fill() override { LNM_Refill(); }
    void Store() override;
    void Reload() override;

private:
    int row_ = 0;
};

}  // namespace tolvi
