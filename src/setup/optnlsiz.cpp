#include "setup/optnlsiz.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "common/aperture_tables.h"
#include "common/boxes.h"
#include "common/dialog_state.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/ui.h"
#include "setup/units.h"

namespace tolvi {

namespace {

constexpr int kSizeRows = 16;
constexpr double kMmPerInch = 25.4;

}  // namespace

std::string SizeCell(int grid, int col, int32_t units, char decimalPoint) {
    const double mm = units / kUnitsPerMM;
    if (col == 1) return FormatNumber(mm / kMmPerInch, "##0.0000", decimalPoint);
    return FormatNumber(mm, grid < 3 ? "###0.000" : "##0.000", decimalPoint);
}

bool CommitSizeEntry(int grid, int col, const std::string& text, int32_t& slot) {
    const double limit = (grid < 3 ? 5080 : 1000) * kUnitsPerMM;
    const std::optional<int32_t> size = TakeLength(text, col == 1 ? kInchFactor : 1.0f, 1, limit);
    if (!size) return false;
    slot = *size;
    return true;
}

std::string AirgapText(int32_t units, int unitFlag, char decimalPoint) {
    const double mm = units / kUnitsPerMM;
    return FormatNumber(unitFlag != 0 ? mm : mm / kMmPerInch, "##0.000", decimalPoint);
}

bool CommitAirgapBox(int box, int unitFlag, const std::string& text, int32_t& slot, char decimalPoint) {
    if (text == AirgapText(slot, unitFlag, decimalPoint)) return true;
    const float v = ToDbUnits(std::fabs(ParseNumber(text)), unitFlag != 0 ? 1.0f : kInchFactor);
    std::optional<int32_t> taken;
    if (box < 3) {
        taken = RoundInRange(v, 0, 50800);
    } else {
        const float steps = v / 5080.0f;  // the bus and wire widths are tested in steps of 0.0508 mm
        if (steps >= 1 && steps <= 100) taken = RoundInRange(v, 0, 2147483647.0);
    }
    if (!taken) return false;
    slot = *taken;
    return true;
}

OPTNLSIZ::OPTNLSIZ(QWidget* parent)
    : SetupDialog("OPTNLSIZ", "Tolvi32 -  Conductor Widths & Sizes ", nullptr, parent) {
    RestoresOnCancel(gCondSizes, gLineWidths, gBusWidth, gWireWidth);
    for (int g = 0; g < 4; ++g) {
        auto* grid = new platform::TolviGrid(this);
        grid->setObjectName(QStringLiteral("F_Sizes_%1").arg(g));
        grid->SetRows(kSizeRows + 1);
        grid->SetCols(g < 3 ? 4 : 3);
        grid->FitRows(kSizeRows);
        F_Sizes[std::size_t(g)] = grid;
        connect(grid, &platform::TolviGrid::Click, this, [this, g] { F_Sizes_Click(g); });
        connect(grid, &platform::TolviGrid::DblClick, this, [this, g] { F_Sizes_DblClick(g); });
    }
    for (int i = 0; i < 5; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("F_Agap_%1").arg(i));
        box->setAlignment(Qt::AlignRight);
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 16);
        F_Agap[std::size_t(i)] = box;
        WatchBox(box, [this, i] { SIZ_ParseAirgap(i); });
    }
    units_ = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        auto* unit = new QRadioButton(i == 0 ? QStringLiteral("inch") : QStringLiteral("mm"), this);
        unit->setObjectName(QStringLiteral("F_Unit_%1").arg(i));
        F_Unit[std::size_t(i)] = unit;
        units_->addButton(unit, i);
    }
    connect(units_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) F_Unit_Click(id);
    });

    const char* frames[3][2] = {{"Frame3D1", "Trace Segment / Pack Line widths:"},
                                {"Frame3D2", "Round Pad diameters: "},
                                {"Frame3D3", "Square Pad sizes: "}};
    auto* top = new QHBoxLayout;
    for (int g = 0; g < 3; ++g) {
        QGroupBox* frame = NewFormFrame(this, frames[g][0], frames[g][1], nullptr);
        auto* inner = new QVBoxLayout(frame);
        inner->addWidget(F_Sizes[std::size_t(g)]);
        inner->addStretch();
        top->addWidget(frame);
    }
    QGroupBox* schematic = NewFormFrame(this, "Frame3D6", "Schematic: ", nullptr);
    auto* sch = new QGridLayout(schematic);
    sch->addWidget(NewFormLabel(schematic, nullptr, "Symbol Edit Line widths:", nullptr), 0, 0, 1, 2);
    sch->addWidget(F_Sizes[3], 1, 0, 1, 2);
    sch->addWidget(NewFormLabel(schematic, nullptr, "Bus line width: ", nullptr), 2, 0);
    sch->addWidget(F_Agap[3], 2, 1);
    sch->addWidget(NewFormLabel(schematic, nullptr, "Wire Line width:", nullptr), 3, 0);
    sch->addWidget(F_Agap[4], 3, 1);
    sch->setRowStretch(4, 1);
    top->addWidget(schematic);

    QGroupBox* airgaps = NewFormFrame(this, "Frame3D5", "Airgap width: ", nullptr);
    auto* gaps = new QHBoxLayout(airgaps);
    const char* gapLabels[3] = {"Trace segments:", "Round pads:", "Square pads:"};
    for (int i = 0; i < 3; ++i) {
        gaps->addWidget(NewFormLabel(airgaps, nullptr, gapLabels[i], nullptr));
        gaps->addWidget(F_Agap[std::size_t(i)]);
        gaps->addSpacing(12);
    }
    gaps->addStretch();
    auto* unitBox = new QHBoxLayout;
    unitBox->addWidget(NewFormLabel(this, nullptr, "Measurments:", nullptr));
    unitBox->addWidget(F_Unit[0]);
    unitBox->addWidget(F_Unit[1]);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(airgaps, 1);
    bottom->addSpacing(12);
    bottom->addLayout(unitBox);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    layout->addLayout(FrameButtons());
}

int32_t& OPTNLSIZ::SizeValue(int Grid, int Row) {
    return Grid < 3 ? gCondSizes[std::size_t(Row)][std::size_t(Grid)] : gLineWidths[std::size_t(Row)];
}

int32_t& OPTNLSIZ::BoxValue(int i) {
    if (i < 3) return gCondSizes[0][std::size_t(i)];
    return i == 3 ? gBusWidth : gWireWidth;
}

void OPTNLSIZ::Load() {
    SIZ_SetupGrids();
    LocalizeForm(this);
    gDlgRefresh = 0;
    SIZ_FillGrids();
}

void OPTNLSIZ::SIZ_SetupGrids() {
    for (int g = 0; g < 4; ++g) {
        platform::TolviGrid* grid = F_Sizes[std::size_t(g)];
        for (int c = 0; c < grid->Cols(); ++c) {
            grid->SetColAlignment(c, 2);
            if (c >= 1) grid->SetHeadAlignment(c, 2);
        }
    }
    const char* heads[] = {"#", "inch", "mm"};
    for (int c = 0; c < 3; ++c) F_Sizes[3]->SetTextMatrix(0, c, heads[c]);
}

void OPTNLSIZ::SIZ_FillGrids() {
    int32_t err = 0;
    LoadApertureFile(err, ".APT");
    LoadSizes();
    const char* heads[] = {"#", "inch", "mm", "Dcode"};
    for (int g = 0; g < 3; ++g)
        for (int c = 0; c < 4; ++c) F_Sizes[std::size_t(g)]->SetTextMatrix(0, c, heads[c]);
    F_Unit[std::size_t(unit_ != 0 ? 1 : 0)]->setChecked(true);
    for (int g = 0; g < 4; ++g)
        for (int r = 1; r <= kSizeRows; ++r) SIZ_ShowRow(g, r);
    SIZ_ShowAirgaps();
    SizeColumns();
    for (platform::TolviGrid* grid : F_Sizes) grid->Finish(0);
    for (int g = 0; g < 3; ++g) {
        F_Sizes[std::size_t(g)]->SetRow(1);
        F_Sizes_Click(g);
    }
}

void OPTNLSIZ::SizeColumns() {
    const QFontMetrics fm(font());
    const int pad = fm.averageCharWidth() * 2;
    for (platform::TolviGrid* grid : F_Sizes) {
        grid->SetColWidth(0, fm.horizontalAdvance(QStringLiteral(" 16")) + pad);
        grid->SetColWidth(1, fm.horizontalAdvance(QStringLiteral("000.0000")) + pad);
        grid->SetColWidth(2, fm.horizontalAdvance(QStringLiteral("0000.000")) + pad);
        if (grid->Cols() > 3)
            grid->SetColWidth(3, std::max(fm.horizontalAdvance(QStringLiteral("Dcode")),
                                          fm.horizontalAdvance(QStringLiteral("D1000*"))) +
                                     pad);
    }
}

void OPTNLSIZ::SIZ_ShowRow(int Grid, int Row) {
    platform::TolviGrid* grid = F_Sizes[std::size_t(Grid)];
    const int32_t value = SizeValue(Grid, Row);
    const char dp = DecimalPoint();
    grid->SetTextMatrix(Row, 0, IniNumText(Row));
    grid->SetTextMatrix(Row, 1, SizeCell(Grid, 1, value, dp));
    grid->SetTextMatrix(Row, 2, SizeCell(Grid, 2, value, dp));
    if (Grid < 3) grid->SetTextMatrix(Row, 3, LineDcodeCell(value));
}

void OPTNLSIZ::SIZ_ShowAirgaps() {
    const char dp = DecimalPoint();
    for (int i = 0; i < 5; ++i)
        F_Agap[std::size_t(i)]->setText(platform::ToQString(AirgapText(BoxValue(i), unit_, dp)));
}

void OPTNLSIZ::SIZ_ParseAirgap(int Index) {
    const std::string text = platform::FromQString(F_Agap[std::size_t(Index)]->text());
    if (!CommitAirgapBox(Index, unit_, text, BoxValue(Index), DecimalPoint())) platform::ui().Beep();
    SIZ_ShowAirgaps();
}

void OPTNLSIZ::SIZ_ClampColumn(int Grid) {
    platform::TolviGrid* grid = F_Sizes[std::size_t(Grid)];
    if (grid->Col() >= 3) grid->SetCol(2);
    if (grid->Col() < 1) grid->SetCol(1);
}

void OPTNLSIZ::F_Sizes_Click(int Index) {
    row_[std::size_t(Index)] = F_Sizes[std::size_t(Index)]->Row();
    SIZ_ClampColumn(Index);
}

void OPTNLSIZ::F_Sizes_DblClick(int Index) {
    platform::TolviGrid* grid = F_Sizes[std::size_t(Index)];
    const int row = grid->Row();
    row_[std::size_t(Index)] = row;
    SIZ_ClampColumn(Index);
    if (row < 1 || row > kSizeRows) return;
    static const char* const kNames[4][2] = {{"Trace Segment width", "10274"},
                                             {"Round Pad diameter", "10237"},
                                             {"Square Pad size", "10260"},
                                             {"Symbol Edit Line width", "10263"}};
    const int col = grid->Col();
    const std::string shown = grid->Text();
    const std::string prompt =
        GetLocalString(kNames[Index][0], kNames[Index][1]) + (col == 1 ? " (inch):" : " (mm):");
    const auto answer = AskForChange(prompt, GetLocalString("Instant Selection", "10187"), shown);
    if (!answer) return;
    if (!CommitSizeEntry(Index, col, *answer, SizeValue(Index, row))) {
        platform::ui().Beep();
        return;
    }
    SIZ_ShowRow(Index, row);
}

void OPTNLSIZ::F_Unit_Click(int Index) {
    unit_ = Index;
    SIZ_ShowAirgaps();
}

void OPTNLSIZ::Store() { SaveSizes(); }

void OPTNLSIZ::Reload() { LoadSizes(); }

}  // namespace tolvi
