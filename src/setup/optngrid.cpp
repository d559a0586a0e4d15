#include "setup/optngrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/grid_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "platform/qt/codec.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/ui.h"
#include "setup/units.h"

namespace tolvi {

namespace {

constexpr int kInchCol = 2;
constexpr int kMmCol = 4;

int ElementOf(const GridSpec& g, int col, int row) {
    return g.kind == GridValueKind::Length && col != kInchCol ? row + g.mmChosen : row;
}

}  // namespace

const std::array<GridSpec, 8>& GridSpecs() {
    static const std::array<GridSpec, 8> specs = {{
        {"egrdSchGrid", gSchGrid.data(), 6, 7, 2540, 12700000, GridValueKind::Length},
        {"egrdSchSnap", gSchSnap.data(), 6, 7, 2540, 2540000, GridValueKind::Length},
        {"egrdSchPrecision", gSchPrecision.data(), 15, 16, 254, 2540000, GridValueKind::Length},
        {"egrdLayGrid", gLayGrid.data(), 6, 7, 2540, 12700000, GridValueKind::Length},
        {"egrdLaySnap", gLaySnap.data(), 6, 7, 2540, 2540000, GridValueKind::Length},
        {"egrdLayPrecision", gLayPrecision.data(), 15, 16, 254, 2540000, GridValueKind::Length},
        {"egrdASnap", gAngleSnap.data(), 6, 0, 0, 90000, GridValueKind::Angle},
        {"egrdPickArea", gPickArea.data(), 4, 0, 1, 100, GridValueKind::Pick},
    }};
    return specs;
}

std::string GridCellText(const GridSpec& g, int col, int row, char decimalPoint) {
    const int32_t v = g.table[ElementOf(g, col, row)];
    switch (g.kind) {
        case GridValueKind::Angle:
            return FormatNumber(v / 1000.0, "##.0", decimalPoint);
        case GridValueKind::Pick:
            return FormatNumber(v, "###", decimalPoint);
        case GridValueKind::Length:
            break;
    }
    return col == kInchCol ? InchText(v, "#0.0000", decimalPoint) : MmText(v, "##0.000", decimalPoint);
}

bool CommitGridCell(const GridSpec& g, int col, int row, const std::string& text) {
    const double number = ParseNumber(text);
    std::optional<int32_t> taken;
    switch (g.kind) {
        case GridValueKind::Length:
            taken = RoundInRange(ToDbUnits(number, col == kInchCol ? kInchFactor : 1.0f), g.lo, g.hi);
            break;
        case GridValueKind::Angle: {
            // Above 0 and at most 90 degrees, and never a step that rounds to 0.
            const float v = ToSingle(number * 1000.0);
            taken = v > 0 ? RoundInRange(v, g.lo, g.hi) : std::nullopt;
            if (taken && *taken < 1) taken.reset();
            break;
        }
        case GridValueKind::Pick: {
            // At least 1 and below 100 pixels, and never a size that rounds to 100.
            const float v = ToSingle(number);
            taken = v < g.hi ? RoundInRange(v, g.lo, g.hi) : std::nullopt;
            if (taken && *taken > 99) taken.reset();
            break;
        }
    }
    if (!taken) return false;
    g.table[ElementOf(g, col, row)] = *taken;
    return true;
}

OPTNGRID::OPTNGRID(QWidget* parent)
    : SetupDialog("OPTNGRID", "Tolvi32 - Grid, Snap & Precision Setup", "10149", parent) {
    RestoresOnCancel(gSchGrid, gSchSnap, gSchPrecision, gLayGrid, gLaySnap, gLayPrecision, gAngleSnap,
                     gPickArea);
    mstGridSnap = new QTabWidget(this);
    mstGridSnap->setObjectName("mstGridSnap");
    const auto& specs = GridSpecs();
    for (std::size_t i = 0; i < specs.size(); ++i) {
        auto* grid = new platform::TolviGrid;
        grid->setObjectName(QString::fromLatin1(specs[i].name));
        grids[i] = grid;
        const int g = int(i);
        connect(grid, &platform::TolviGrid::Click, this, [this, g] { Grid_Click(g); });
        connect(grid, &platform::TolviGrid::KeyPressEdit, this,
                [this, g](int key, int, int) { Grid_KeyPressEdit(g, key); });
        connect(grid, &platform::TolviGrid::AfterEdit, this,
                [this, g](int col, int row) { Grid_AfterEdit(g, col, row); });
    }
    const auto framed = [this](platform::TolviGrid* grid, const char* caption, const char* tag) {
        QGroupBox* frame = NewFormFrame(this, nullptr, caption, tag);
        auto* inner = new QVBoxLayout(frame);
        inner->addWidget(grid);
        return frame;
    };
    // Schematic and layout: grid and snap one above the other, precision beside them.
    for (int side = 0; side < 2; ++side) {
        auto* page = new QWidget;
        auto* l = new QGridLayout(page);
        const std::size_t first = std::size_t(side) * 3;
        l->addWidget(framed(grids[first], "Grid", "10181"), 0, 0);
        l->addWidget(framed(grids[first + 1], "Snap", "10255"), 1, 0);
        l->addWidget(framed(grids[first + 2], "Precision", nullptr), 0, 1, 2, 1);
        l->setRowStretch(2, 1);
        l->setColumnStretch(2, 1);
        mstGridSnap->addTab(page, side == 0 ? "Schematic" : "Layout");
    }
    auto* general = new QWidget;
    auto* gl = new QGridLayout(general);
    gl->addWidget(framed(grids[6], "Angle Snap", "1074"), 0, 0, Qt::AlignTop);
    gl->addWidget(framed(grids[7], "Pick Area", "10221"), 0, 1, Qt::AlignTop);
    gl->setRowStretch(1, 1);
    gl->setColumnStretch(2, 1);
    mstGridSnap->addTab(general, "General");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mstGridSnap);
    layout->addLayout(FrameButtons());
}

void OPTNGRID::InitUnits() {
    unitCaption_ = {GetLocalString("inch", "10182"), GetLocalString("mm", "10183")};
    mstGridSnap->setTabText(0, platform::ToQString(GetLocalString("Schematic", "10248")));
    mstGridSnap->setTabText(1, platform::ToQString(GetLocalString("Layout", "10195")));
    mstGridSnap->setTabText(2, platform::ToQString(GetLocalString("General", "991463")));
    mstGridSnap->setCurrentIndex(0);
    const auto& specs = GridSpecs();
    for (std::size_t i = 0; i < specs.size(); ++i) {
        platform::TolviGrid* grid = grids[i];
        const bool length = specs[i].kind == GridValueKind::Length;
        grid->SetRows(specs[i].rows + 1);
        grid->SetCols(length ? 5 : 3);
        grid->SetColAlignment(0, 2);
        for (int c = 1; c < grid->Cols(); ++c) grid->SetColAlignment(c, c % 2 == 1 ? 2 : 1);
        grid->FitRows(specs[i].rows);
    }
}

void OPTNGRID::FillGridTables() {
    LoadGridTables();
    const auto& specs = GridSpecs();
    const char dp = DecimalPoint();
    const std::string defaultCaption = GetLocalString("Default", "1011");
    // Column widths by what the columns hold, in the font the form shows now.
    const QFontMetrics fm(font());
    const int pad = fm.averageCharWidth() * 2;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const GridSpec& g = specs[i];
        const bool length = g.kind == GridValueKind::Length;
        platform::TolviGrid* grid = grids[i];
        grid->SetVisible(false);
        if (length) {
            grid->SetTextMatrix(0, kInchCol, unitCaption_[0]);
            grid->SetTextMatrix(0, kMmCol, unitCaption_[1]);
        } else {
            grid->SetTextMatrix(0, 2,
                                g.kind == GridValueKind::Angle ? GetLocalString("Degrees", "11269")
                                                               : GetLocalString("Pixel", "10290"));
        }
        for (int r = 1; r <= g.rows; ++r) {
            grid->SetTextMatrix(r, 0, IniNumText(r));
            grid->SetTextMatrix(r, kInchCol, GridCellText(g, kInchCol, r, dp));
            if (length) grid->SetTextMatrix(r, kMmCol, GridCellText(g, kMmCol, r, dp));
        }
        grid->SetVisible(true);

        for (int c : {1, 3}) {
            if (c == 3 && g.mmChosen == 0) continue;
            grid->SetChoiceColumn(c, true);
            grid->SetTextMatrix(0, c, defaultCaption);
            grid->SetMarkedRow(c, g.table[c == 1 ? 0 : g.mmChosen]);
        }
        grid->SetEditColumn(kInchCol, true);
        if (length) grid->SetEditColumn(kMmCol, true);

        grid->SetColWidth(0, fm.horizontalAdvance(QStringLiteral(" 15 ")) + pad);
        for (int c = 1; c < grid->Cols(); ++c) {
            const QString widest =
                c % 2 == 1 ? platform::ToQString(defaultCaption) : QStringLiteral("0000.0000");
            const int head = fm.horizontalAdvance(platform::ToQString(grid->TextMatrix(0, c)));
            grid->SetColWidth(c, std::max(fm.horizontalAdvance(widest), head) + pad);
        }
        grid->Finish(0);
    }
}

void OPTNGRID::Grid_Click(int g) {
    const GridSpec& spec = GridSpecs()[std::size_t(g)];
    platform::TolviGrid* grid = grids[std::size_t(g)];
    if (grid->MouseCol() == 1 && grid->Row() >= 1) spec.table[0] = grid->Row();
    if (grid->MouseCol() == 3 && grid->Row() >= 1 && spec.mmChosen != 0)
        spec.table[spec.mmChosen] = grid->Row();
}

void OPTNGRID::Grid_KeyPressEdit(int g, int key) {
    if (key != 13 && key != 27) return;
    platform::TolviGrid* grid = grids[std::size_t(g)];
    grid->SetEditActive(false);
    grid->SetFocus();
}

void OPTNGRID::Grid_AfterEdit(int g, int col, int row) {
    const GridSpec& spec = GridSpecs()[std::size_t(g)];
    platform::TolviGrid* grid = grids[std::size_t(g)];
    if (!CommitGridCell(spec, col, row, grid->TextMatrix(row, col))) platform::ui().Beep();
    grid->SetTextMatrix(row, col, GridCellText(spec, col, row, DecimalPoint()));
}

void OPTNGRID::Store() { SaveGridTables(); }

void OPTNGRID::Reload() { LoadGridTables(); }

}  // namespace tolvi
