#pragma once
// The autobackup dialog: the minutes between timed backups and the backup switch. Its caption
// never carries the scope, and it leaves the verdict and refresh flags of the frame alone: no
// design module is told of a change.
#include <string>

#include "setup/setup_dialog.h"

class QCheckBox;
class QLineEdit;

namespace tolvi {

// What a typed interval does: taken (value, rounded half to even) when it is at least one
// minute and rounds to at most 60, which is the range the settings loader keeps; otherwise a
// beep and value is current.
struct IntervalEdit {
    float value;
    bool beep;
};
IntervalEdit ParseBackupInterval(const std::string& text, float current);

class OPTNBACK : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNBACK(QWidget* parent = nullptr);

    QLineEdit* F_Int = nullptr;
    QCheckBox* F_Enabled = nullptr;

    void BCK_ParseInterval();

protected:
    void Fill() override;
    void Activate() override;
    void Store() override;
    void Reload() override;
};

}  // namespace tolvi
