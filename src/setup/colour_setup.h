#pragma once
// The three colour dialogs, one design: pick an entry (a layout category, a schematic category
// or a layer) by its name or its swatch, then one of the 32 palette colours; the preview shows
// the entry's name in its colour on the background. The category dialogs show only the named
// categories, and picking a colour for the background category changes the background too.
#include <QButtonGroup>
#include <array>
#include <cstdint>
#include <string>

#include "setup/setup_dialog.h"

class QLabel;
class QRadioButton;

namespace tolvi {

namespace platform {
class ColorSwatch;
}

enum class ColourEntries { LayoutCategories, SchematicCategories, Layers };

class ColourSetupDialog : public SetupDialog {
    Q_OBJECT
public:
    std::array<QRadioButton*, 32> F_LayerN{};
    std::array<platform::ColorSwatch*, 32> F_LayerC{};
    std::array<platform::ColorSwatch*, 32> F_Color{};
    QLabel* F_Back = nullptr;

    void CLR_ShowEntries();
    void CLR_ShowBackground();
    void F_LayerN_Click(int Index);
    void F_LayerC_Click(int Index);
    void F_Color_Click(int Index);
    int Selected() const { return selected_; }

protected:
    ColourSetupDialog(ColourEntries entries, const char* name, const char* caption, const char* tag,
                      QWidget* parent);

    void Load() override;
    void Fill() override { CLR_ShowBackground(); }
    void Store() override;
    void Reload() override;

private:
    bool IsCategories() const { return entries_ != ColourEntries::Layers; }
    int32_t& EntryColour(int i);
    std::string EntryName(int i) const;
    int32_t& BackColor() const;
    void ShowPreview(const QColor& text, int entry);

    ColourEntries entries_;
    QButtonGroup group_;
    int selected_ = 0;
};

class OPTNCLLC : public ColourSetupDialog {
    Q_OBJECT
public:
    explicit OPTNCLLC(QWidget* parent = nullptr);
};

class OPTNCLSC : public ColourSetupDialog {
    Q_OBJECT
public:
    explicit OPTNCLSC(QWidget* parent = nullptr);
};

class OPTNLCLR : public ColourSetupDialog {
    Q_OBJECT
public:
    explicit OPTNLCLR(QWidget* parent = nullptr);
};

}  // namespace tolvi
