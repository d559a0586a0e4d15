#pragma once
// The subdirectories dialog: browse with the drive and directory lists (or type a path), then
// assign the path shown to the library, job, system or ZOT3 job directory. Only Accept writes
// the four to the settings file and publishes them to the suite; Cancel reads them back.
#include <array>
#include <string>

#include "setup/setup_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

namespace platform {
class DirList;
class DriveCombo;
}  // namespace platform

// The path an assign button takes from the shown one: one trailing "/" cut, the root kept.
std::string AssignedPath(const std::string& shown);
// Assigns the shown path to dir when it is the root or a directory that can be entered; false
// (dir unchanged, the "not available" box shown) otherwise.
bool AssignDirectory(const std::string& shown, std::string& dir);

class QUVDIRS : public SetupDialog {
    Q_OBJECT
public:
    explicit QUVDIRS(QWidget* parent = nullptr);

    platform::DriveCombo* Drive1 = nullptr;
    platform::DirList* Dir1 = nullptr;
    QLineEdit* CurPath = nullptr;
    std::array<QPushButton*, 4> SelDsk{};  // library, job, system, ZOT3 job
    std::array<QLabel*, 4> CurDisk{};

    void ShowCurrentPaths();
    void Drive1_Change();
    void Dir1_Change();
    void SelDsk_Click(int Index);

protected:
    void Fill() override;
    void Store() override;
    void Reload() override;
};

}  // namespace tolvi
