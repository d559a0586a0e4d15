#include "setup/optnlnam.h"

#include <QFontMetrics>
#include <QVBoxLayout>

#include "common/boxes.h"
#include "common/layer_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/utilities.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/ui.h"

namespace tolvi {

namespace {
constexpr std::size_t kLabelLen = 15;
constexpr int kLayerRows = 32;
}  // namespace

LabelEdit TakeLayerLabel(const std::string& answer, const std::string& shown) {
    if (answer.empty() || answer == Trim(shown)) return {};
    if (answer.find_first_of(",\"") != std::string::npos) return {LabelEdit::Refuse, {}};
    std::string name = answer.substr(0, kLabelLen);
    name.resize(kLabelLen, ' ');
    return {LabelEdit::Take, name};
}

OPTNLNAM::OPTNLNAM(QWidget* parent) : SetupDialog("OPTNLNAM", "Tolvi32 - Layer Labels", "10151", parent) {
    RestoresOnCancel(gLayers);
    F_Layer = new platform::TolviGrid(this);
    F_Layer->setObjectName("F_Layer");
    F_Layer->SetRows(kLayerRows + 1);
    F_Layer->SetCols(3);
    F_Layer->FitRows(16);
    connect(F_Layer, &platform::TolviGrid::Click, this, [this] { F_Layer_Click(); });
    connect(F_Layer, &platform::TolviGrid::DblClick, this, [this] { F_Layer_DblClick(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(F_Layer, 0, Qt::AlignHCenter);
    layout->addLayout(FrameButtons());
}

void OPTNLNAM::LNM_SetupGrid() {
    const QFontMetrics fm(font());
    F_Layer->SetColWidth(0, fm.horizontalAdvance(QStringLiteral(" 31 ")) + fm.averageCharWidth() * 2);
    F_Layer->SetColWidth(1, fm.horizontalAdvance(QString(int(kLabelLen), QLatin1Char('B'))));
    F_Layer->SetColWidth(2, fm.horizontalAdvance(QStringLiteral(" Enabled ")));
    for (int c = 0; c < 3; ++c) F_Layer->SetHeadAlignment(c, 2);
    F_Layer->SetColAlignment(1, 0);
    F_Layer->SetColAlignment(2, 2);
    F_Layer->SetRow(0);
    F_Layer->SetCol(0);
    F_Layer->SetText("#");
    F_Layer->SetCol(1);
    F_Layer->SetText(GetLocalString("Label", "991435"));
    F_Layer->SetCol(2);
    F_Layer->SetText(GetLocalString("Enabled", "99649"));
}

void OPTNLNAM::LNM_Refill() {
    LoadLayerTable();
    for (int r = 1; r <= kLayerRows; ++r) LNM_ShowRow(r);
    F_Layer->SetRow(1);
    F_Layer->Finish(0);
    F_Layer_Click();
}

void OPTNLNAM::LNM_ShowRow(int Row) {
    const LayerRec& layer = gLayers[std::size_t(Row - 1)];
    F_Layer->SetRow(Row);
    F_Layer->SetCol(0);
    F_Layer->SetText(IniNumText(Row - 1));
    F_Layer->SetCol(1);
    F_Layer->SetText(layer.Name);
    F_Layer->SetCol(2);
    F_Layer->SetText(YesNoText(layer.Enabled));
}

void OPTNLNAM::LNM_SelectRow() {
    if (F_Layer->Col() < 1) F_Layer->SetCol(1);
}

void OPTNLNAM::F_Layer_Click() {
    row_ = F_Layer->Row();
    LNM_SelectRow();
}

void OPTNLNAM::F_Layer_DblClick() {
    row_ = F_Layer->Row();
    LNM_SelectRow();
    if (row_ < 1 || row_ > kLayerRows) return;
    LayerRec& layer = gLayers[std::size_t(row_ - 1)];
    switch (F_Layer->Col()) {
        case 1: {
            const std::string shown = F_Layer->Text();
            const LabelEdit edit = TakeLayerLabel(InputBoxEx(GetLocalString("New (15 characters):", "10210"),
                                                             GetLocalString("Layer Label", "10191"), shown),
                                                  shown);
            if (edit.kind == LabelEdit::Keep) return;
            if (edit.kind == LabelEdit::Refuse)
                platform::ui().Beep();
            else
                layer.Name = edit.name;
            break;
        }
        case 2:
            // Any non-zero flag counts as on, so every flag can be switched off.
            layer.Enabled = layer.Enabled == 0 ? 1 : 0;
            break;
        default:
            break;
    }
    LNM_ShowRow(row_);
}

void OPTNLNAM::Store() { SaveLayerTable(); }

void OPTNLNAM::Reload() { LoadLayerTable(); }

}  // namespace tolvi
