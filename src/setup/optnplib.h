#pragma once
// The padstack library dialog: chooses the current padstack library (gPadstackLib, the path the
// design modules take padstacks from) in drive, directory and file lists, and lists the names of
// the padstacks the chosen library holds. A click on a file makes it current at once; Accept
// stores it (and publishes it to the suite), Cancel takes the stored one back.
#include "setup/setup_dialog.h"

class QGroupBox;
class QLabel;
class QListWidget;

namespace tolvi {

namespace platform {
class DirList;
class DriveCombo;
class FileList;
}  // namespace platform

class OPTNPLIB : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNPLIB(QWidget* parent = nullptr);

    QGroupBox* F_SelFrame = nullptr;
    platform::DriveCombo* F_Drive = nullptr;
    platform::DirList* F_Dir = nullptr;
    platform::FileList* F_Files = nullptr;
    QLabel* F_Lib = nullptr;
    QGroupBox* F_BrowseFrameP = nullptr;
    QListWidget* F_BrowseListP = nullptr;
    QLabel* F_Count = nullptr;

    void InitDialog();
    void ListPadstacks();
    void F_Drive_Change();
    void F_Dir_Change();
    void F_Files_Click();

protected:
    void Fill() override { InitDialog(); }
    void Store() override;
    void Reload() override;
};

}  // namespace tolvi
