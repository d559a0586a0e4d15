#pragma once
// The part browse dialog: one part of a part library, its package and, one row per gate group,
// the symbol that draws the group. Shown from the library dialog for gPartName of gPartLibPath;
// the part is loaded as the temporary device -1. Accept hands back the package and the chosen
// group's symbol (gPartPackage, gPartSymbol, gPartOK -1); nothing is stored. A part that cannot
// be loaded or read is reported and the dialog ends as cancelled without being shown.
#include "setup/setup_dialog.h"

class QLabel;

namespace tolvi {

namespace platform {
class TolviGrid;
}

class OPTNDEV : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNDEV(QWidget* parent = nullptr);

    platform::TolviGrid* F_Device = nullptr;
    QLabel* F_LaySmb = nullptr;

    void SetupDeviceGrid();
    void LoadPart();
    void F_Device_Click();
    void F_Accept_Click() override;
    void F_Cancel_Click() override;

protected:
    void SetupLayout() override { SetupDeviceGrid(); }
    void Fill() override { LoadPart(); }
    void Store() override {}
    void Reload() override {}

private:
    void EndAsCancel(const char* text, const char* id);
};

}  // namespace tolvi
