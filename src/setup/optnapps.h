#pragma once
// The startup applications dialog: which design modules the manager starts by itself at its
// next start, and whether each starts minimised.
#include <array>

#include "setup/setup_dialog.h"

class QCheckBox;

namespace tolvi {

class OPTNAPPS : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNAPPS(QWidget* parent = nullptr);

    std::array<QCheckBox*, 4> F_Apps{};  // one per module of kStartupModules
    std::array<QCheckBox*, 4> F_Mini{};

    void F_Apps_Click(int Index);
    void F_Mini_Click(int Index);

protected:
    void Fill() override;
    void Store() override;
    void Reload() override;
};

}  // namespace tolvi
