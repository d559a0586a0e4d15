#pragma once
// The board outline and page format dialogs, one design: six inch and six millimetre formats,
// each a name and an X and a Y size, and the default format among the twelve, chosen with the
// "Default" box and an option beside each row. Both live in the settings file only.
#include <array>
#include <optional>
#include <string>

#include "common/formats.h"
#include "setup/setup_dialog.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace tolvi {

enum class FormatKind { Board, Page };

// Takes a typed name into f when it has 1 to 15 characters and neither "," nor a double quote
// (either would split the stored record); false (f unchanged) otherwise.
bool CommitFormatName(const std::string& text, FormatRec& f);
// Takes a typed size (unit 0 inch, 1 mm) into slot when its single-precision value is above 0
// and at most 172 inches or 4368 mm; false (slot unchanged) otherwise.
bool CommitFormatSize(const std::string& text, int unit, double& slot);
// A size as its box shows it: inches with one decimal (".5"), millimetres whole ("" for 0).
std::string FormatSizeText(double size, int unit, char decimalPoint);
// The stored default-format value: " 0" when none is chosen; otherwise " 1," and, for a board
// format, its X and Y sizes and the unit letter with the option number (" 1,100,100,M7"), for
// a page format its key (" 1,M3"). Options 0..5 are the inch rows, 6..11 the millimetre rows.
std::string DefaultFormatValue(FormatKind kind, bool chosen, int option, const FormatTable& table);
// The option a stored default-format value chooses; nullopt when it chooses none (also for a
// value too short to name one, or naming one outside 0..11).
std::optional<int> ReadDefaultFormat(FormatKind kind, const std::string& value);

class FormatsDialog : public SetupDialog {
    Q_OBJECT
public:
    std::array<QLineEdit*, 13> F_Name{};  // 1..6 inch rows, 7..12 millimetre rows
    std::array<QLineEdit*, 13> F_X{};
    std::array<QLineEdit*, 13> F_Y{};
    std::array<QRadioButton*, 12> F_PageDefaultOpt{};
    QCheckBox* F_DefaultChk = nullptr;  // F_DefaultBordChk / F_DefaultPageChk
    QFrame* F_OptFrame = nullptr;       // F_BordOptFrame / F_PageOptFrame

    void FMT_ShowFormat(int Unit, int Row);
    void FMT_ShowAllFormats();
    void FMT_StoreName(int Index);
    void FMT_ParseSize(int Index, bool IsX);
    void FMT_ReadDefault();
    std::string FMT_DefaultValue() const;
    void F_PageDefaultOpt_Click(int Index);
    void F_DefaultChk_Click();

    bool DefaultOn() const { return defaultOn_ != 0; }
    int ChosenOption() const { return option_; }

protected:
    FormatsDialog(FormatKind kind, const char* name, const char* caption, const char* tag, QWidget* parent);

    void Load() override;
    void Fill() override { FMT_ShowAllFormats(); }
    void Store() override;
    void Reload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FormatTable& Table() const;
    FormatRec& Entry(int Index) const;
    void PlaceOptions();

    FormatKind kind_;
    std::array<QGroupBox*, 2> groups_{};
    int defaultOn_ = 0;
    int option_ = 0;
};

class OPTNBORD : public FormatsDialog {
    Q_OBJECT
public:
    explicit OPTNBORD(QWidget* parent = nullptr);
};

class OPTNFRMS : public FormatsDialog {
    Q_OBJECT
public:
    explicit OPTNFRMS(QWidget* parent = nullptr);
};

}  // namespace tolvi
