#include "setup/optnpack.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/localisation.h"
#include "common/packaging.h"
#include "common/size_settings.h"
#include "platform/qt/codec.h"
#include "setup/units.h"

namespace tolvi {

namespace {

constexpr int kSizeEntries = 15;  // the schematic text sizes, entries 1..15

struct Caption {
    const char* text;
    const char* tag;
};

const Caption kTabs[3] = {{"&Comp. Name", "10298"}, {"&Pinout", "10299"}, {"&Description", "10300"}};

QCheckBox* NewCheck(QWidget* parent, const char* name, Caption c) {
    auto* box = new QCheckBox(platform::ToQString(c.text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setProperty("tag", QString::fromLatin1(c.tag));
    return box;
}

template <std::size_t N>
void NewOptions(QWidget* parent, const char* name, const Caption (&captions)[N],
                std::array<QRadioButton*, N>& out, QButtonGroup& group, QBoxLayout* layout) {
    for (std::size_t i = 0; i < N; ++i) {
        auto* option = new QRadioButton(platform::ToQString(captions[i].text), parent);
        option->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
        option->setProperty("tag", QString::fromLatin1(captions[i].tag));
        group.addButton(option, int(i));
        layout->addWidget(option);
        out[i] = option;
    }
}

}  // namespace

std::string TextSizeItem(int32_t heightFactor, char decimalPoint) {
    const double mm = 6.0 * heightFactor / kUnitsPerMM;
    return FormatNumber(mm / 25.4, "#0.0000", decimalPoint) + "\"/" +
           FormatNumber(mm, "##0.000", decimalPoint) + "mm";
}

OPTNPACK::OPTNPACK(QWidget* parent)
    : SetupDialog("OPTNPACK", "Tolvi32 - Current Component Packaging Preferences", "10143", parent) {
    traits.refillsOnActivate = false;
    traits.clearsRefresh = false;
    RestoresOnCancel(gPrefCompName, gPrefPinout, gPrefDescription);

    mstCompPackage = new QTabWidget(this);
    mstCompPackage->setObjectName("mstCompPackage");
    const Caption frames[3] = {
        {"Component Name: ", "10104"}, {"Pinout Text: ", "10223"}, {"Component Description: ", "10103"}};
    std::array<QVBoxLayout*, 3> categories{};
    std::array<QHBoxLayout*, 3> prefRows{};
    std::array<QVBoxLayout*, 3> sizes{};
    std::array<QVBoxLayout*, 3> locations{};
    for (int k = 0; k < 3; ++k) {
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        QGroupBox* cat = NewFormFrame(page, nullptr, frames[k].text, frames[k].tag);
        cat->setObjectName(QStringLiteral("F_PackCatFrame_%1").arg(k));
        F_PackCatFrame[std::size_t(k)] = cat;
        pageLayout->addWidget(cat);
        pageLayout->addStretch();
        categories[std::size_t(k)] = new QVBoxLayout(cat);

        QGroupBox* pref = NewFormFrame(cat, nullptr, "Generation Preferences", "10180");
        pref->setObjectName(QStringLiteral("F_GenPrefFrame_%1").arg(k));
        F_GenPrefFrame[std::size_t(k)] = pref;
        auto* prefLayout = new QVBoxLayout(pref);
        prefRows[std::size_t(k)] = new QHBoxLayout;
        prefLayout->addLayout(prefRows[std::size_t(k)]);
        QGroupBox* size = NewFormFrame(pref, nullptr, "Text Sizes: ", "10271");
        QGroupBox* location = NewFormFrame(pref, nullptr, "Text Location with Repack Function: ", "10270");
        sizes[std::size_t(k)] = new QVBoxLayout(size);
        locations[std::size_t(k)] = new QVBoxLayout(location);
        prefRows[std::size_t(k)]->addWidget(size);
        prefRows[std::size_t(k)]->addWidget(location);

        auto* list = new QComboBox(size);
        list->setObjectName(QStringLiteral("F_Tsizes_%1").arg(k));
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        F_Tsizes[std::size_t(k)] = list;
        mstCompPackage->addTab(page, platform::ToQString(kTabs[k].text));
    }

    // Component name.
    F_IniCnameOnOff = NewCheck(F_PackCatFrame[0], "F_IniCnameOnOff", {"Generate Component Name", "10177"});
    categories[0]->addWidget(F_IniCnameOnOff);
    categories[0]->addWidget(F_GenPrefFrame[0]);
    NewOptions(F_GenPrefFrame[0], "F_IniCnameTsType",
               {{"Predefined by  COMPNAME text size in the symbol", "10227"}, {"Set Text Size:", "10254"}},
               F_IniCnameTsType, groups_[CnameTsType], sizes[0]);
    NewOptions(F_GenPrefFrame[0], "F_IniCnameTloc",
               {{"Previous Component Name text locations", "10230"},
                {"Predefined by  COMPNAME text location in the symbol", "10226"}},
               F_IniCnameTloc, groups_[CnameTloc], locations[0]);

    // Pinout texts.
    NewOptions(F_PackCatFrame[1], "F_IniPinoutOverride",
               {{"Generate as predefined in the symbol", "10176"},
                {"Preferences override setting predefined in the symbol", "10229"}},
               F_IniPinoutOverride, groups_[PinoutOverride], categories[1]);
    F_IniPinoutOnOff = NewCheck(F_PackCatFrame[1], "F_IniPinoutOnOff", {"Generate Pinout Text", "10179"});
    categories[1]->addWidget(F_IniPinoutOnOff);
    categories[1]->addWidget(F_GenPrefFrame[1]);
    NewOptions(F_GenPrefFrame[1], "F_IniPinoutTsType", {{"Default", "99519"}, {"Set Text Size:", "10254"}},
               F_IniPinoutTsType, groups_[PinoutTsType], sizes[1]);
    NewOptions(F_GenPrefFrame[1], "F_IniPinoutTloc",
               {{"Previous Pinout Text locations", "10232"},
                {"Predefined by  PA text locations in the symbol", "10228"}},
               F_IniPinoutTloc, groups_[PinoutTloc], locations[1]);
    QGroupBox* pinContents = NewFormFrame(F_GenPrefFrame[1], nullptr, "Contents: ", "99475");
    auto* pinContentsLayout = new QHBoxLayout(pinContents);
    NewOptions(pinContents, "F_IniPinoutCont",
               {{"Pin Number", "10222"}, {"Sch. Entry Name", "10245"}, {"Both combined", "1089"}},
               F_IniPinoutCont, groups_[PinoutCont], pinContentsLayout);
    pinContentsLayout->addStretch();
    F_GenPrefFrame[1]->layout()->addWidget(pinContents);

    // Component description.
    F_IniDescrOnOff = NewCheck(F_PackCatFrame[2], "F_IniDescrOnOff", {"Generate Part Description", "10178"});
    categories[2]->addWidget(F_IniDescrOnOff);
    categories[2]->addWidget(F_GenPrefFrame[2]);
    NewOptions(F_GenPrefFrame[2], "F_IniDescrTsType",
               {{"Predefined by  COMPDESC text size in the symbol", "10225"}, {"Set Text Size:", "10254"}},
               F_IniDescrTsType, groups_[DescrTsType], sizes[2]);
    NewOptions(F_GenPrefFrame[2], "F_IniDescrTloc",
               {{"Previous Description Text locations", "10231"},
                {"Predefined by  COMDESC text locations in the symbol", "10224"}},
               F_IniDescrTloc, groups_[DescrTloc], locations[2]);
    QGroupBox* descrContents = NewFormFrame(F_GenPrefFrame[2], nullptr, "Contents: ", "99475");
    auto* descrGrid = new QGridLayout(descrContents);
    const Caption contents[5] = {{"Part Name", "99554"},
                                 {"Part Full Name", "99549"},
                                 {"External Index Code", "99675"},
                                 {"Valcor Reference", "10136"},
                                 {"Group Name", "99733"}};
    for (int i = 0; i < 5; ++i) {
        const std::string name = "F_IniDescrCont_" + std::to_string(i);
        F_IniDescrCont[std::size_t(i)] = NewCheck(descrContents, name.c_str(), contents[i]);
        descrGrid->addWidget(F_IniDescrCont[std::size_t(i)], i % 3, i / 3);
    }
    F_IniDescrGnVal = NewCheck(descrContents, "F_IniDescrGnVal", {"Group Name as Comp. Value", "10184"});
    descrGrid->addWidget(F_IniDescrGnVal, 2, 1);
    F_GenPrefFrame[2]->layout()->addWidget(descrContents);

    // Each size list sits beside its "Set Text Size:" option.
    const std::array<QRadioButton*, 3> setSize = {F_IniCnameTsType[1], F_IniPinoutTsType[1],
                                                  F_IniDescrTsType[1]};
    for (int k = 0; k < 3; ++k) {
        auto* row = new QHBoxLayout;
        sizes[std::size_t(k)]->removeWidget(setSize[std::size_t(k)]);
        row->addWidget(setSize[std::size_t(k)]);
        row->addWidget(F_Tsizes[std::size_t(k)]);
        row->addStretch();
        sizes[std::size_t(k)]->addLayout(row);
        sizes[std::size_t(k)]->addStretch();
        locations[std::size_t(k)]->addStretch();
    }

    // Handlers, connected only to real changes of state (a programmatic one included), as the
    // fill relies on.
    const auto onOption = [this](Group g, void (OPTNPACK::*handler)(int)) {
        connect(&groups_[g], &QButtonGroup::idToggled, this, [this, handler](int id, bool on) {
            if (on) (this->*handler)(id);
        });
    };
    onOption(CnameTsType, &OPTNPACK::F_IniCnameTsType_Click);
    onOption(CnameTloc, &OPTNPACK::F_IniCnameTloc_Click);
    onOption(PinoutOverride, &OPTNPACK::F_IniPinoutOverride_Click);
    onOption(PinoutTsType, &OPTNPACK::F_IniPinoutTsType_Click);
    onOption(PinoutTloc, &OPTNPACK::F_IniPinoutTloc_Click);
    onOption(PinoutCont, &OPTNPACK::F_IniPinoutCont_Click);
    onOption(DescrTsType, &OPTNPACK::F_IniDescrTsType_Click);
    onOption(DescrTloc, &OPTNPACK::F_IniDescrTloc_Click);
    connect(F_IniCnameOnOff, &QCheckBox::toggled, this, [this] { F_IniCnameOnOff_Click(); });
    connect(F_IniPinoutOnOff, &QCheckBox::toggled, this, [this] { F_IniPinoutOnOff_Click(); });
    connect(F_IniDescrOnOff, &QCheckBox::toggled, this, [this] { F_IniDescrOnOff_Click(); });
    for (int i = 0; i < 5; ++i)
        connect(F_IniDescrCont[std::size_t(i)], &QCheckBox::toggled, this,
                [this, i] { F_IniDescrCont_Click(i); });
    connect(F_IniDescrGnVal, &QCheckBox::toggled, this, [this] { F_IniDescrGnVal_Click(); });
    for (int k = 0; k < 3; ++k)
        connect(F_Tsizes[std::size_t(k)], &QComboBox::currentIndexChanged, this,
                [this, k] { F_Tsizes_Click(k); });
    // Tab 0 is current from here on, so no fill raises the tab's help.
    connect(mstCompPackage, &QTabWidget::currentChanged, this, [this] { mstCompPackage_Click(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mstCompPackage);
    layout->addLayout(FrameButtons());
}

void OPTNPACK::PCK_Fill() {
    gDlgAccepted = 0;
    PCK_FillTextSizes();
    PCK_ShowCompName();
    PCK_ShowPinout();
    PCK_ShowDescription();
    for (int k = 0; k < 3; ++k)
        mstCompPackage->setTabText(k, platform::ToQString(GetLocalString(kTabs[k].text, kTabs[k].tag)));
    mstCompPackage->setCurrentIndex(0);
}

void OPTNPACK::PCK_FillTextSizes() {
    LoadTextSizeTable();
    const char point = DecimalPoint();
    for (QComboBox* list : F_Tsizes) {
        // Quiet: adding to an empty list selects its first item, which must not be taken as a
        // choice before the stored one is shown.
        const QSignalBlocker quiet(list);
        for (int i = 1; i <= kSizeEntries; ++i)
            list->addItem(platform::ToQString(TextSizeItem(gTextSizes[std::size_t(i)].Height, point)));
        list->setCurrentIndex(-1);
    }
}

void OPTNPACK::Select(Group group, int32_t index) {
    if (QAbstractButton* b = groups_[group].button(index)) b->setChecked(true);
}

void OPTNPACK::SelectSize(int list, int32_t number) {
    // A number outside the list selects nothing and is kept as stored.
    if (number >= 1 && number <= kSizeEntries) F_Tsizes[std::size_t(list)]->setCurrentIndex(number - 1);
}

void OPTNPACK::PCK_ShowCompName() {
    F_IniCnameOnOff->setChecked(gPrefCompName[1] != 0);
    F_GenPrefFrame[0]->setVisible(gPrefCompName[1] != 0);
    Select(CnameTsType, gPrefCompName[2]);
    Select(CnameTloc, gPrefCompName[4]);
    SelectSize(0, gPrefCompName[3]);
}

void OPTNPACK::PCK_ShowPinout() {
    Select(PinoutOverride, gPrefPinout[1]);
    Select(PinoutTsType, gPrefPinout[3]);
    Select(PinoutTloc, gPrefPinout[5]);
    Select(PinoutCont, gPrefPinout[6]);
    SelectSize(1, gPrefPinout[4]);
}

void OPTNPACK::PCK_ShowDescription() {
    F_IniDescrOnOff->setChecked(gPrefDescription[1] != 0);
    F_GenPrefFrame[2]->setVisible(gPrefDescription[1] != 0);
    Select(DescrTsType, gPrefDescription[2]);
    Select(DescrTloc, gPrefDescription[4]);
    for (int k = 0; k < 5; ++k)
        F_IniDescrCont[std::size_t(k)]->setChecked(gPrefDescription[5 + std::size_t(k)] != 0);
    F_IniDescrGnVal->setChecked(gPrefDescription[10] != 0);
    SelectSize(2, gPrefDescription[3]);
}

void OPTNPACK::mstCompPackage_Click() { ShowContextHelp(2, 8, mstCompPackage->currentIndex() + 1, 0); }

void OPTNPACK::F_Tsizes_Click(int Index) {
    const int position = Index >= 0 && Index < 3 ? F_Tsizes[std::size_t(Index)]->currentIndex() : -1;
    if (position < 0) return;
    switch (Index) {
        case 0:
            gPrefCompName[3] = position + 1;
            break;
        case 1:
            gPrefPinout[4] = position + 1;
            break;
        default:
            gPrefDescription[3] = position + 1;
            break;
    }
}

void OPTNPACK::F_IniCnameOnOff_Click() {
    gPrefCompName[1] = F_IniCnameOnOff->isChecked() ? 1 : 0;
    F_GenPrefFrame[0]->setVisible(gPrefCompName[1] != 0);
}

void OPTNPACK::F_IniCnameTsType_Click(int Index) {
    gPrefCompName[2] = Index;
    F_Tsizes[0]->setVisible(Index >= 1);
}

void OPTNPACK::F_IniCnameTloc_Click(int Index) { gPrefCompName[4] = Index; }

void OPTNPACK::F_IniPinoutOverride_Click(int Index) {
    gPrefPinout[1] = Index;
    if (Index != 0) {
        F_IniPinoutOnOff->setVisible(true);
        F_IniPinoutOnOff->setChecked(gPrefPinout[2] != 0);
        F_GenPrefFrame[1]->setVisible(gPrefPinout[2] != 0);
    } else {
        // The symbol decides; the stored switch is kept for when the preferences decide again.
        F_IniPinoutOnOff->setVisible(false);
        F_GenPrefFrame[1]->setVisible(false);
    }
}

void OPTNPACK::F_IniPinoutOnOff_Click() {
    gPrefPinout[2] = F_IniPinoutOnOff->isChecked() ? 1 : 0;
    F_GenPrefFrame[1]->setVisible(gPrefPinout[2] != 0);
}

void OPTNPACK::F_IniPinoutTsType_Click(int Index) {
    gPrefPinout[3] = Index;
    F_Tsizes[1]->setVisible(Index >= 1);
}

void OPTNPACK::F_IniPinoutTloc_Click(int Index) { gPrefPinout[5] = Index; }

void OPTNPACK::F_IniPinoutCont_Click(int Index) { gPrefPinout[6] = Index; }

void OPTNPACK::F_IniDescrOnOff_Click() {
    gPrefDescription[1] = F_IniDescrOnOff->isChecked() ? 1 : 0;
    F_GenPrefFrame[2]->setVisible(gPrefDescription[1] != 0);
}

void OPTNPACK::F_IniDescrTsType_Click(int Index) {
    gPrefDescription[2] = Index;
    F_Tsizes[2]->setVisible(Index >= 1);
}

void OPTNPACK::F_IniDescrTloc_Click(int Index) { gPrefDescription[4] = Index; }

void OPTNPACK::F_IniDescrCont_Click(int Index) {
    if (Index < 0 || Index > 4) return;
    const bool on = F_IniDescrCont[std::size_t(Index)]->isChecked();
    gPrefDescription[5 + std::size_t(Index)] = on ? 1 : 0;
    // The group name is either a content of the description or the component's value.
    if (Index == 4 && on) F_IniDescrGnVal->setChecked(false);
}

void OPTNPACK::F_IniDescrGnVal_Click() {
    const bool on = F_IniDescrGnVal->isChecked();
    gPrefDescription[10] = on ? 1 : 0;
    if (on) F_IniDescrCont[4]->setChecked(false);
}

void OPTNPACK::Store() { SavePackagingPrefs(); }

void OPTNPACK::Reload() { LoadPackagingPrefs(); }

}  // namespace tolvi
