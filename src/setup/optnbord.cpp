#include "setup/optnbord.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "platform/ui.h"
#include "setup/units.h"

namespace tolvi {

namespace {

constexpr std::size_t kNameLen = 15;
const char* const kSection = "FORMATS";

// Unit and row of box i (1..12) and of option n (0..11).
int BoxUnit(int i) { return i > 6 ? 1 : 0; }
int BoxRow(int i) { return i > 6 ? i - 6 : i; }
int OptionUnit(int n) { return n >= 6 ? 1 : 0; }
int OptionRow(int n) { return n >= 6 ? n - 5 : n + 1; }

}  // namespace

bool CommitFormatName(const std::string& text, FormatRec& f) {
    if (text.empty() || text.size() > kNameLen) return false;
    if (text.find_first_of(",\"") != std::string::npos) return false;
    f.Name = text;
    return true;
}

bool CommitFormatSize(const std::string& text, int unit, double& slot) {
    const float v = ToSingle(ParseNumber(text));
    const float limit = unit == 0 ? 172.0f : 4368.0f;
    if (!(v > 0.0f && v <= limit)) return false;
    // The size as the single reads in decimals: 12.7 is stored and written as 12.7.
    slot = ParseNumber(PlainSingleText(v));
    return true;
}

std::string FormatSizeText(double size, int unit, char decimalPoint) {
    return FormatNumber(size, unit == 0 ? "##.0" : "####", decimalPoint);
}

std::string DefaultFormatValue(FormatKind kind, bool chosen, int option, const FormatTable& table) {
    if (!chosen || option < 0 || option > 11) return IniNumText(0);
    const int unit = OptionUnit(option);
    const int row = OptionRow(option);
    const std::string letter = unit == 0 ? "I" : "M";
    if (kind == FormatKind::Page) return IniNumText(1) + "," + letter + std::to_string(row);
    // Sizes in plain decimals with "." whatever the locale: the value is a comma list.
    const FormatRec& f = table[std::size_t(unit)][std::size_t(row)];
    return IniNumText(1) + "," + PlainNumText(f.W) + "," + PlainNumText(f.H) + "," + letter +
           std::to_string(option);
}

std::optional<int> ReadDefaultFormat(FormatKind kind, const std::string& value) {
    if (value == "none") return std::nullopt;
    ParseList(value);
    const int fields = int(gTokNum[0]);
    if (fields < 1 || gTokNum[1] != 1.0f) return std::nullopt;
    int32_t n = -1;
    if (kind == FormatKind::Board) {
        if (fields < 4) return std::nullopt;
        const std::string tag = Trim(gTokStr[4]);
        if (tag.empty() || !RoundHalfEven(NumberIgnoringBlanks(tag.substr(1)), n)) return std::nullopt;
    } else {
        if (fields < 2) return std::nullopt;
        const std::string key = Trim(gTokStr[2]);
        int32_t row = 0;
        if (key.empty() || !RoundHalfEven(NumberIgnoringBlanks(key.substr(key.size() - 1)), row) || row < 1 ||
            row > 6)
            return std::nullopt;
        n = row - 1 + (key[0] == 'M' ? 6 : 0);
    }
    if (n < 0 || n > 11) return std::nullopt;
    return n;
}

FormatsDialog::FormatsDialog(FormatKind kind, const char* name, const char* caption, const char* tag,
                             QWidget* parent)
    : SetupDialog(name, caption, tag, parent), kind_(kind) {
    const bool board = kind == FormatKind::Board;
    RestoresOnCancel(board ? gBoardFormats : gPageFormats);
    F_OptFrame = new QFrame(this);
    F_OptFrame->setObjectName(board ? "F_BordOptFrame" : "F_PageOptFrame");
    F_OptFrame->installEventFilter(this);

    const QFontMetrics fm(font());
    const char* groupCaptions[2][2] = {{"American Formats (inches):  ", "1073"},
                                       {"European Formats (mm):  ", "10171"}};
    auto* left = new QVBoxLayout;
    for (int unit = 0; unit < 2; ++unit) {
        QGroupBox* group = NewFormFrame(this, nullptr, groupCaptions[unit][0], groupCaptions[unit][1]);
        group->installEventFilter(this);
        groups_[std::size_t(unit)] = group;
        auto* grid = new QGridLayout(group);
        grid->addWidget(NewFormLabel(group, nullptr, "Name: ", "99914"), 0, 0);
        grid->addWidget(NewFormLabel(group, nullptr, "X-size:", "10287"), 0, 1);
        grid->addWidget(NewFormLabel(group, nullptr, "Y-size:", "10288"), 0, 2);
        for (int row = 1; row <= 6; ++row) {
            const int i = unit * 6 + row;
            auto* nameBox = new QLineEdit(group);
            nameBox->setObjectName(QStringLiteral("F_Name_%1").arg(i));
            nameBox->setMinimumWidth(fm.horizontalAdvance(QString(int(kNameLen), QLatin1Char('n'))) + 12);
            auto* x = new QLineEdit(group);
            x->setObjectName(QStringLiteral("F_X_%1").arg(i));
            auto* y = new QLineEdit(group);
            y->setObjectName(QStringLiteral("F_Y_%1").arg(i));
            for (QLineEdit* size : {x, y}) {
                size->setAlignment(Qt::AlignRight);
                size->setFixedWidth(fm.horizontalAdvance(QStringLiteral("00000.0")) + 12);
            }
            F_Name[std::size_t(i)] = nameBox;
            F_X[std::size_t(i)] = x;
            F_Y[std::size_t(i)] = y;
            WatchBox(nameBox, [this, i] { FMT_StoreName(i); });
            WatchBox(x, [this, i] { FMT_ParseSize(i, true); });
            WatchBox(y, [this, i] { FMT_ParseSize(i, false); });
            grid->addWidget(nameBox, row, 0);
            grid->addWidget(x, row, 1);
            grid->addWidget(y, row, 2);
        }
        left->addWidget(group);
    }

    // One option beside each row, in a column of their own: placed by hand on the rows' lines.
    for (int n = 0; n < 12; ++n) {
        auto* option = new QRadioButton(F_OptFrame);
        option->setObjectName(QStringLiteral("F_PageDefaultOpt_%1").arg(n));
        connect(option, &QRadioButton::toggled, this, [this, n](bool on) {
            if (on) F_PageDefaultOpt_Click(n);
        });
        F_PageDefaultOpt[std::size_t(n)] = option;
    }
    F_PageDefaultOpt[0]->setChecked(true);  // the chosen option is 0 until another is clicked
    F_OptFrame->setFixedWidth(F_PageDefaultOpt[0]->sizeHint().width() + 8);
    F_OptFrame->hide();

    F_DefaultChk = new QCheckBox(QStringLiteral("Default"), this);
    F_DefaultChk->setObjectName(board ? "F_DefaultBordChk" : "F_DefaultPageChk");
    F_DefaultChk->setProperty("tag", QStringLiteral("99519"));
    connect(F_DefaultChk, &QCheckBox::toggled, this, [this] { F_DefaultChk_Click(); });

    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(F_OptFrame);
    QBoxLayout* buttons = FrameButtons();
    buttons->insertWidget(0, F_DefaultChk);
    buttons->insertSpacing(1, 16);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // the option column widens and narrows it
    layout->addLayout(top);
    layout->addLayout(buttons);
}

FormatTable& FormatsDialog::Table() const {
    return kind_ == FormatKind::Board ? gBoardFormats : gPageFormats;
}

FormatRec& FormatsDialog::Entry(int Index) const {
    return Table()[std::size_t(BoxUnit(Index))][std::size_t(BoxRow(Index))];
}

void FormatsDialog::Load() {
    SetupDialog::Load();
    FMT_ReadDefault();
}

void FormatsDialog::FMT_ShowFormat(int Unit, int Row) {
    const int i = Unit * 6 + Row;
    const FormatRec& f = Entry(i);
    const char point = DecimalPoint();
    F_Name[std::size_t(i)]->setText(platform::ToQString(f.Name));
    F_X[std::size_t(i)]->setText(platform::ToQString(FormatSizeText(f.W, Unit, point)));
    F_Y[std::size_t(i)]->setText(platform::ToQString(FormatSizeText(f.H, Unit, point)));
}

void FormatsDialog::FMT_ShowAllFormats() {
    for (int unit = 0; unit < 2; ++unit)
        for (int row = 1; row <= 6; ++row) FMT_ShowFormat(unit, row);
}

void FormatsDialog::FMT_StoreName(int Index) {
    if (Index < 1 || Index > 12) return;
    if (!CommitFormatName(platform::FromQString(F_Name[std::size_t(Index)]->text()), Entry(Index)))
        platform::ui().Beep();
    FMT_ShowFormat(BoxUnit(Index), BoxRow(Index));
}

void FormatsDialog::FMT_ParseSize(int Index, bool IsX) {
    if (Index < 1 || Index > 12) return;
    FormatRec& f = Entry(Index);
    QLineEdit* box = (IsX ? F_X : F_Y)[std::size_t(Index)];
    if (!CommitFormatSize(platform::FromQString(box->text()), BoxUnit(Index), IsX ? f.W : f.H))
        platform::ui().Beep();
    FMT_ShowFormat(BoxUnit(Index), BoxRow(Index));
}

void FormatsDialog::FMT_ReadDefault() {
    std::string value;
    IniGetString(kSection, kind_ == FormatKind::Board ? "LayDefbord" : "SchDefPage", "none", value);
    const std::optional<int> option = ReadDefaultFormat(kind_, value);
    defaultOn_ = option ? -1 : 0;
    if (option) F_PageDefaultOpt[std::size_t(*option)]->setChecked(true);
    F_DefaultChk->setChecked(defaultOn_ != 0);
}

std::string FormatsDialog::FMT_DefaultValue() const {
    return DefaultFormatValue(kind_, true, option_, Table());
}

void FormatsDialog::F_PageDefaultOpt_Click(int Index) {
    if (Index >= 0 && Index < 12) option_ = Index;
}

void FormatsDialog::F_DefaultChk_Click() {
    const bool on = F_DefaultChk->isChecked();
    F_OptFrame->setVisible(on);
    layout()->activate();  // wider or narrower at once
    defaultOn_ = on ? 1 : 0;
}

void FormatsDialog::Store() {
    if (kind_ == FormatKind::Board) {
        SaveBoardFormats();
        SaveDefaultBoardFormat(DefaultFormatValue(kind_, defaultOn_ != 0, option_, Table()));
    } else {
        SavePageFormats();
        SaveDefaultPageFormat(DefaultFormatValue(kind_, defaultOn_ != 0, option_, Table()));
    }
}

void FormatsDialog::Reload() {
    if (kind_ == FormatKind::Board)
        LoadBoardFormats();
    else
        LoadPageFormats();
}

bool FormatsDialog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
        (watched == F_OptFrame || watched == groups_[0] || watched == groups_[1] ||
         std::find(F_Name.begin(), F_Name.end(), watched) != F_Name.end()))
        PlaceOptions();
    return SetupDialog::eventFilter(watched, event);
}

void FormatsDialog::PlaceOptions() {
    for (int n = 0; n < 12; ++n) {
        QLineEdit* box = F_Name[std::size_t(n) + 1];
        QRadioButton* option = F_PageDefaultOpt[std::size_t(n)];
        if (!box || !option) return;
        const QSize size = option->sizeHint();
        const int centre =
            box->mapTo(this, QPoint(0, box->height() / 2)).y() - F_OptFrame->mapTo(this, QPoint()).y();
        option->setGeometry((F_OptFrame->width() - size.width()) / 2, centre - size.height() / 2,
                            size.width(), size.height());
    }
}

OPTNBORD::OPTNBORD(QWidget* parent)
    : FormatsDialog(FormatKind::Board, "OPTNBORD", "Tolvi32 - Board Outline", "10139", parent) {}

OPTNFRMS::OPTNFRMS(QWidget* parent)
    : FormatsDialog(FormatKind::Page, "OPTNFRMS", "Tolvi32 - Page Formats", "10156", parent) {}

}  // namespace tolvi
