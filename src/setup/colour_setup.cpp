#include "setup/colour_setup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/colour_settings.h"
#include "common/dialog_state.h"
#include "common/layer_settings.h"
#include "common/localisation.h"
#include "platform/qt/codec.h"
#include "platform/qt/color_swatch.h"

namespace tolvi {

namespace {

constexpr int kEntries = 32;

// Palette colour idx; an index beyond the palette (a hand-edited settings file) shows white.
QColor PaletteColour(int32_t idx) {
    return idx >= 0 && idx < int32_t(gPalette.size()) ? platform::ColorFromCode(gPalette[std::size_t(idx)])
                                                      : QColor(Qt::white);
}

// A name shown as a button caption: "&" is a character there, not a mnemonic.
QString CaptionText(const std::string& name) {
    return platform::ToQString(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::array<CategoryRec, 32>& CategoriesOf(ColourEntries e) {
    return e == ColourEntries::LayoutCategories ? gLayCategories : gSchCategories;
}

// The load and store pair of each member's set, in ColourEntries order.
struct ColourSet {
    void (*load)();
    void (*store)();
};
constexpr ColourSet kSets[] = {
    {&LoadLayoutCategoryColors, &SaveLayoutCategoryColors},
    {&LoadSchematicCategoryColors, &SaveSchematicCategoryColors},
    {&LoadLayerTable, &SaveLayerTable},
};

}  // namespace

ColourSetupDialog::ColourSetupDialog(ColourEntries entries, const char* name, const char* caption,
                                     const char* tag, QWidget* parent)
    : SetupDialog(name, caption, tag, parent), entries_(entries) {
    if (entries == ColourEntries::Layers)
        RestoresOnCancel(gLayers);
    else if (entries == ColourEntries::SchematicCategories)
        RestoresOnCancel(gSchCategories, gSchBackColor);
    else
        RestoresOnCancel(gLayCategories, gLayBackColor);
    auto* entryGrid = new QGridLayout;
    entryGrid->setHorizontalSpacing(6);
    for (int i = 0; i < kEntries; ++i) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("F_LayerN_%1").arg(i));
        auto* swatch = new platform::ColorSwatch(this);
        swatch->setObjectName(QStringLiteral("F_LayerC_%1").arg(i));
        F_LayerN[std::size_t(i)] = option;
        F_LayerC[std::size_t(i)] = swatch;
        group_.addButton(option, i);
        connect(swatch, &platform::ColorSwatch::clicked, this, [this, i] { F_LayerC_Click(i); });
        const int block = i / 16;
        entryGrid->addWidget(swatch, i % 16, block * 3);
        entryGrid->addWidget(option, i % 16, block * 3 + 1);
        if (IsCategories()) {
            option->hide();
            swatch->hide();
        }
    }
    entryGrid->setColumnMinimumWidth(2, 12);
    entryGrid->setRowStretch(16, 1);
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) F_LayerN_Click(id);
    });

    auto* palette = new QVBoxLayout;
    for (int half = 0; half < 2; ++half) {
        palette->addWidget(half == 0 ? NewFormLabel(this, nullptr, "Tolvi Colors:", "99632")
                                     : NewFormLabel(this, nullptr, "Custom Colors:", "99501"));
        auto* colours = new QGridLayout;
        colours->setSpacing(3);
        for (int k = 0; k < 16; ++k) {
            const int i = half * 16 + k;
            auto* swatch = new platform::ColorSwatch(this);
            swatch->setObjectName(QStringLiteral("F_Color_%1").arg(i));
            swatch->setMinimumSize(36, 18);
            F_Color[std::size_t(i)] = swatch;
            connect(swatch, &platform::ColorSwatch::clicked, this, [this, i] { F_Color_Click(i); });
            colours->addWidget(swatch, k % 8, k / 8);
        }
        palette->addLayout(colours);
        palette->addSpacing(6);
    }
    palette->addWidget(NewFormLabel(this, nullptr, "Visibility on Background:", "10280"));
    F_Back = new QLabel(QStringLiteral("ddd"), this);
    F_Back->setObjectName("F_Back");
    F_Back->setTextFormat(Qt::PlainText);
    F_Back->setAlignment(Qt::AlignCenter);
    F_Back->setAutoFillBackground(true);
    F_Back->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    F_Back->setMinimumSize(170, 44);
    palette->addWidget(F_Back);
    palette->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(entryGrid);
    body->addSpacing(12);
    body->addLayout(palette);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(FrameButtons());
}

int32_t& ColourSetupDialog::EntryColour(int i) {
    if (IsCategories()) return CategoriesOf(entries_)[std::size_t(i)].Colour;
    return gLayers[std::size_t(i)].Colour;
}

std::string ColourSetupDialog::EntryName(int i) const {
    if (IsCategories()) return CategoriesOf(entries_)[std::size_t(i)].Name;
    return gLayers[std::size_t(i)].Name;
}

int32_t& ColourSetupDialog::BackColor() const {
    return entries_ == ColourEntries::SchematicCategories ? gSchBackColor : gLayBackColor;
}

void ColourSetupDialog::Load() {
    CLR_ShowEntries();
    LocalizeForm(this);
    CLR_ShowBackground();
    gDlgRefresh = 0;
}

void ColourSetupDialog::CLR_ShowEntries() {
    if (entries_ == ColourEntries::LayoutCategories) Reload();
    for (int i = 0; i < kEntries; ++i) F_Color[std::size_t(i)]->setColor(PaletteColour(i));
    if (!IsCategories()) return;
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = EntryName(i);
        if (name.empty()) continue;
        F_LayerN[std::size_t(i)]->setText(CaptionText(name));
        F_LayerN[std::size_t(i)]->show();
        F_LayerC[std::size_t(i)]->show();
    }
}

void ColourSetupDialog::CLR_ShowBackground() {
    if (entries_ != ColourEntries::LayoutCategories) Reload();
    for (int i = 0; i < kEntries; ++i) {
        if (IsCategories() && EntryName(i).empty()) break;
        F_LayerC[std::size_t(i)]->setColor(PaletteColour(EntryColour(i)));
        if (!IsCategories()) F_LayerN[std::size_t(i)]->setText(CaptionText(EntryName(i)));
    }
    {
        // Entry 0 is selected as by its click, whether or not it was on already.
        const QSignalBlocker quiet(&group_);
        F_LayerN[0]->setChecked(true);
    }
    F_LayerN_Click(0);
    QPalette p = F_Back->palette();
    p.setColor(QPalette::Window, platform::ColorFromCode(BackColor()));
    F_Back->setPalette(p);
}

void ColourSetupDialog::ShowPreview(const QColor& text, int entry) {
    QPalette p = F_Back->palette();
    p.setColor(QPalette::WindowText, text);
    F_Back->setPalette(p);
    F_Back->setText(platform::ToQString(EntryName(entry)));
}

void ColourSetupDialog::F_LayerN_Click(int Index) {
    selected_ = Index;
    ShowPreview(F_LayerC[std::size_t(Index)]->color(), Index);
}

void ColourSetupDialog::F_LayerC_Click(int Index) { F_LayerN[std::size_t(Index)]->setChecked(true); }

void ColourSetupDialog::F_Color_Click(int Index) {
    const int s = selected_;
    const QColor colour = F_Color[std::size_t(Index)]->color();
    F_LayerC[std::size_t(s)]->setColor(colour);
    EntryColour(s) = Index;
    if (IsCategories()) {
        const int32_t backId = entries_ == ColourEntries::LayoutCategories ? 63 : 31;
        if (CategoriesOf(entries_)[std::size_t(s)].Id == backId) {
            BackColor() = gPalette[std::size_t(Index)];
            QPalette p = F_Back->palette();
            p.setColor(QPalette::Window, colour);
            F_Back->setPalette(p);
        }
    }
    ShowPreview(colour, s);
}

void ColourSetupDialog::Store() { kSets[int(entries_)].store(); }

void ColourSetupDialog::Reload() { kSets[int(entries_)].load(); }

OPTNCLLC::OPTNCLLC(QWidget* parent)
    : ColourSetupDialog(ColourEntries::LayoutCategories, "OPTNCLLC",
                        "Tolvi32 - Color Setup for Layout Categories", "10141", parent) {}

OPTNCLSC::OPTNCLSC(QWidget* parent)
    : ColourSetupDialog(ColourEntries::SchematicCategories, "OPTNCLSC",
                        "Tolvi32 - Color Setup for Schematic Categories", "10142", parent) {}

OPTNLCLR::OPTNLCLR(QWidget* parent)
    : ColourSetupDialog(ColourEntries::Layers, "OPTNLCLR", "Tolvi32 - Color Setup for Layers", "10140",
                        parent) {}

}  // namespace tolvi
