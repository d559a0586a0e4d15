#include "setup/optntext.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <functional>

#include "common/aperture_tables.h"
#include "common/boxes.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/preview_drawing.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "kernel/qt/qpainter_sink.h"
#include "platform/qt/codec.h"
#include "platform/qt/preview_canvas.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/ui.h"
#include "setup/units.h"

namespace tolvi {

namespace {

constexpr int kSizeRows = 15;
constexpr double kMinSize = 508;
constexpr double kMaxSize = 100 * kUnitsPerMM;

// The sample box: the sample is drawn into its image, so a new size (which starts a blank image)
// draws it again.
class SampleBox : public platform::PreviewCanvas {
public:
    using PreviewCanvas::PreviewCanvas;
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* e) override {
        PreviewCanvas::resizeEvent(e);
        if (onResize) onResize();
    }
};

}  // namespace

std::string TextSizeCell(const TextSizeRec& rec, int col, char decimalPoint) {
    const double height = double(rec.Height) * 6;
    switch (col) {
        case 0:
            return FormatNumber(height / kUnitsPerMM * double(kInchFactor), "#0.0000", decimalPoint);
        case 1:
            return FormatNumber(height / kUnitsPerMM, "##0.000", decimalPoint);
        case 2:
            return InchText(rec.LineWidth, "#0.0000", decimalPoint);
        case 3:
            return MmText(rec.LineWidth, "##0.000", decimalPoint);
        default:
            return {};
    }
}

bool CommitTextSize(TextSizeRec& rec, int col, const std::string& text) {
    const float v = ToDbUnits(ParseNumber(text), col % 2 == 0 ? kInchFactor : 1.0f);
    const std::optional<int32_t> size = RoundInRange(v, kMinSize, kMaxSize);
    if (!size) return false;
    if (col >= 2) {
        rec.LineWidth = *size;
        return true;
    }
    int32_t factor = 0;
    if (!RoundHalfEven(double(v / 6.0f), factor)) return false;
    rec.Height = rec.Width = factor;
    return true;
}

OPTNTEXT::OPTNTEXT(QWidget* parent) : SetupDialog("OPTNTEXT", "Tolvi32 - Text Sizes", nullptr, parent) {
    RestoresOnCancel(gTextSizes);
    auto* body = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        QGroupBox* frame = NewFormFrame(this, i == 0 ? "Frame3D2" : "Frame3D1",
                                        i == 0 ? "Schematic: " : "Layout: ", nullptr);
        auto* grid = new platform::TolviGrid(frame);
        grid->setObjectName(QStringLiteral("F_Sizes_%1").arg(i));
        grid->SetRows(kSizeRows + 1);
        grid->SetCols(i == 0 ? 4 : 5);
        grid->FitRows(kSizeRows);
        F_Sizes[std::size_t(i)] = grid;
        connect(grid, &platform::TolviGrid::Click, this, [this, i] { F_Sizes_Click(i); });
        connect(grid, &platform::TolviGrid::DblClick, this, [this, i] { F_Sizes_DblClick(i); });

        auto* box = new SampleBox(frame);
        box->setObjectName(QStringLiteral("ViewPicture_%1").arg(i));
        box->setFixedHeight(80);
        box->onResize = [this, i] { ViewPicture_Paint(i); };
        ViewPicture[std::size_t(i)] = box;

        auto* labels = new QHBoxLayout;
        labels->setSpacing(0);
        columnLabels_[std::size_t(i)] = {NewFormLabel(frame, nullptr, "Height:", nullptr),
                                         NewFormLabel(frame, nullptr, "Line width:", nullptr)};
        for (QLabel* l : columnLabels_[std::size_t(i)]) {
            l->setAlignment(Qt::AlignCenter);
            labels->addWidget(l);
        }
        labels->addStretch();
        auto* inner = new QVBoxLayout(frame);
        inner->addLayout(labels);
        inner->addWidget(grid);
        inner->addWidget(box);
        body->addWidget(frame, 0, Qt::AlignTop);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(FrameButtons());
}

void OPTNTEXT::TXT_SetupGrids() {
    for (int i = 0; i < 2; ++i) {
        platform::TolviGrid* grid = F_Sizes[std::size_t(i)];
        for (int c = 0; c < grid->Cols(); ++c) {
            grid->SetColAlignment(c, 2);
            grid->SetHeadAlignment(c, 2);
        }
    }
    const char* heads[] = {"inch", "mm", "inch", "mm"};
    for (int c = 0; c < 4; ++c) F_Sizes[0]->SetTextMatrix(0, c, heads[c]);
    F_Sizes[1]->SetTextMatrix(0, 4, "Dcode");
}

void OPTNTEXT::TXT_FillGrids() {
    int32_t err = 0;
    LoadApertureFile(err, ".APT");
    LoadTextSizes();
    const char* heads[] = {"inch", "mm", "inch", "mm"};
    for (int c = 0; c < 4; ++c) F_Sizes[1]->SetTextMatrix(0, c, heads[c]);
    for (int i = 0; i < 2; ++i)
        for (int r = 1; r <= kSizeRows; ++r) TXT_ShowRow(i, r);
    for (platform::TolviGrid* grid : F_Sizes) grid->SetRow(1);
    SizeColumns();
    F_Sizes_Click(0);
    F_Sizes_Click(1);
}

void OPTNTEXT::SizeColumns() {
    const QFontMetrics fm(font());
    const int pad = fm.averageCharWidth() * 2;
    const int value = fm.horizontalAdvance(QStringLiteral("000.0000")) + pad;
    for (platform::TolviGrid* grid : F_Sizes) {
        for (int c = 0; c < 4; ++c) grid->SetColWidth(c, value);
        if (grid->Cols() > 4)
            grid->SetColWidth(4, std::max(fm.horizontalAdvance(QStringLiteral("Dcode")),
                                          fm.horizontalAdvance(QStringLiteral("D1000*"))) +
                                     pad);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        // Each caption stands over its two columns (inch and mm).
        columnLabels_[i][0]->setFixedWidth(F_Sizes[i]->ColWidth(0) + F_Sizes[i]->ColWidth(1));
        columnLabels_[i][1]->setFixedWidth(F_Sizes[i]->ColWidth(2) + F_Sizes[i]->ColWidth(3));
    }
}

void OPTNTEXT::TXT_ShowRow(int Grid, int Row) {
    platform::TolviGrid* grid = F_Sizes[std::size_t(Grid)];
    const TextSizeRec& rec = gTextSizes[std::size_t(RecordOf(Grid, Row))];
    const char dp = DecimalPoint();
    grid->SetRow(Row);
    for (int c = 0; c < 4; ++c) grid->SetTextMatrix(Row, c, TextSizeCell(rec, c, dp));
    if (Grid == 1) grid->SetTextMatrix(Row, 4, LineDcodeCell(rec.LineWidth));
}

void OPTNTEXT::TXT_UpdatePreview(int Grid) {
    platform::TolviGrid* grid = F_Sizes[std::size_t(Grid)];
    if (grid->Col() > 3) grid->SetCol(0);
    ViewPicture_Paint(Grid);
}

void OPTNTEXT::TXT_DrawSample(int Grid, int Row, const std::string& Text) {
    const TextSizeRec& rec = gTextSizes[std::size_t(RecordOf(Grid, Row))];
    TextExtent ext;
    G_GetTextSize(rec.Width, rec.Height, int32_t(Text.size()), ext);
    int32_t x = 0, y = 0;
    RoundHalfEven(-ext.X / 2.0, x);
    RoundHalfEven(-ext.Y / 2.0, y);
    G_SetStyle(0);
    G_SetColor(0);
    G_SetWidth(rec.LineWidth);
    G_SetTextMode(0, rec.Width, rec.Height);
    platform::PreviewCanvas& box = *ViewPicture[std::size_t(Grid)];
    DcRec dc{50000, box.image().width(), box.image().height(), 0, 0, Grid == 0 ? 0 : 4};
    QPainterSink sink(box.painter());
    G_OpenDC(&sink, dc);
    G_Text(x, y, Text.c_str());
    G_CloseDC();
    box.update();
}

void OPTNTEXT::ViewPicture_Paint(int Index) {
    platform::PreviewCanvas& box = *ViewPicture[std::size_t(Index)];
    ClearPicture(box);
    const int row = row_[std::size_t(Index)];
    if (row >= 1 && row <= kSizeRows) TXT_DrawSample(Index, row, "AbCd");
}

void OPTNTEXT::F_Sizes_Click(int Index) {
    row_[std::size_t(Index)] = F_Sizes[std::size_t(Index)]->Row();
    TXT_UpdatePreview(Index);
}

void OPTNTEXT::F_Sizes_DblClick(int Index) {
    platform::TolviGrid* grid = F_Sizes[std::size_t(Index)];
    const int row = grid->Row();
    row_[std::size_t(Index)] = row;
    TXT_UpdatePreview(Index);
    if (row < 1 || row > kSizeRows) return;
    const std::string shown = grid->Text();
    const std::string heading =
        Index == 1 ? GetLocalString("Layout Text", "10193") : GetLocalString("Schematic Text", "10247");
    static const char* const kPrompts[4][2] = {{"Text Height (inch):", "10266"},
                                               {"Text Height (mm):", "10267"},
                                               {"Text Line Width (inch):", "10268"},
                                               {"Text Line Width (mm):", "10269"}};
    const int col = std::clamp(grid->Col(), 0, 3);
    const auto answer = AskForChange(GetLocalString(kPrompts[col][0], kPrompts[col][1]), heading, shown);
    if (!answer) return;
    if (!CommitTextSize(gTextSizes[std::size_t(RecordOf(Index, row))], col, *answer)) {
        platform::ui().Beep();
        return;
    }
    TXT_ShowRow(Index, row);
    ViewPicture_Paint(Index);
}

void OPTNTEXT::Store() { SaveTextSizes(); }

void OPTNTEXT::Reload() { LoadTextSizes(); }

}  // namespace tolvi
