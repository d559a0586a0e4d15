#pragma once
// The packaging preferences dialog: for the component name, the pinout texts and the component
// description, whether the text is generated, where its size comes from, where the repack
// function puts it and (pinout, description) what it holds. Every click goes into the tables at
// once; Accept writes them, Cancel reads them back. The size lists show the open database's
// schematic text sizes, whatever the option scope.
#include <QButtonGroup>
#include <array>
#include <string>

#include "setup/setup_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;
class QTabWidget;

namespace tolvi {

// The item of a size list for a text-size entry: its height in inch and in mm,
// 0.1000"/2.540mm.
std::string TextSizeItem(int32_t heightFactor, char decimalPoint);

class OPTNPACK : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNPACK(QWidget* parent = nullptr);

    QTabWidget* mstCompPackage = nullptr;
    std::array<QGroupBox*, 3> F_PackCatFrame{};  // name, pinout, description
    std::array<QGroupBox*, 3> F_GenPrefFrame{};
    std::array<QComboBox*, 3> F_Tsizes{};

    QCheckBox* F_IniCnameOnOff = nullptr;
    std::array<QRadioButton*, 2> F_IniCnameTsType{};
    std::array<QRadioButton*, 2> F_IniCnameTloc{};
    std::array<QRadioButton*, 2> F_IniPinoutOverride{};
    QCheckBox* F_IniPinoutOnOff = nullptr;
    std::array<QRadioButton*, 2> F_IniPinoutTsType{};
    std::array<QRadioButton*, 2> F_IniPinoutTloc{};
    std::array<QRadioButton*, 3> F_IniPinoutCont{};
    QCheckBox* F_IniDescrOnOff = nullptr;
    std::array<QRadioButton*, 2> F_IniDescrTsType{};
    std::array<QRadioButton*, 2> F_IniDescrTloc{};
    std::array<QCheckBox*, 5> F_IniDescrCont{};
    QCheckBox* F_IniDescrGnVal = nullptr;

    void PCK_Fill();
    void PCK_FillTextSizes();
    void PCK_ShowCompName();
    void PCK_ShowPinout();
    void PCK_ShowDescription();
    void mstCompPackage_Click();
    void F_Tsizes_Click(int Index);
    void F_IniCnameOnOff_Click();
    void F_IniCnameTsType_Click(int Index);
    void F_IniCnameTloc_Click(int Index);
    void F_IniPinoutOverride_Click(int Index);
    void F_IniPinoutOnOff_Click();
    void F_IniPinoutTsType_Click(int Index);
    void F_IniPinoutTloc_Click(int Index);
    void F_IniPinoutCont_Click(int Index);
    void F_IniDescrOnOff_Click();
    void F_IniDescrTsType_Click(int Index);
    void F_IniDescrTloc_Click(int Index);
    void F_IniDescrCont_Click(int Index);
    void F_IniDescrGnVal_Click();

protected:
    void Fill() override { PCK_Fill(); }
    void Store() override;
    void Reload() override;

private:
    // One group per option-button array, each button under its index.
    enum Group {
        CnameTsType,
        CnameTloc,
        PinoutOverride,
        PinoutTsType,
        PinoutTloc,
        PinoutCont,
        DescrTsType,
        DescrTloc
    };
    std::array<QButtonGroup, 8> groups_;
    void Select(Group group, int32_t index);
    void SelectSize(int list, int32_t number);
};

}  // namespace tolvi
