#include "setup/optndev.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

#include "common/library_lists.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "platform/qt/codec.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/ui.h"
#include "setup/library_objects.h"

namespace tolvi {

namespace {
constexpr int kShownGroups = 6;
constexpr int kStyleOkExclamation = platform::kStyleSystemModal + platform::kStyleExclamation;
}  // namespace

OPTNDEV::OPTNDEV(QWidget* parent) : SetupDialog("OPTNDEV", "Part", nullptr, parent) {
    // Nothing is stored: Accept and Cancel answer through gPartOK alone.
    traits.setsVerdict = false;
    F_Device = new platform::TolviGrid(this);
    F_Device->setObjectName("F_Device");
    F_Device->SetCols(2);
    F_Device->SetRows(2);
    connect(F_Device, &platform::TolviGrid::Click, this, [this] { F_Device_Click(); });

    auto* package = new QHBoxLayout;
    package->addWidget(NewFormLabel(this, "Label1", "Package: ", nullptr));
    F_LaySmb = NewFormLabel(this, "F_LaySmb", "", nullptr);
    package->addWidget(F_LaySmb, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(F_Device, 0, Qt::AlignHCenter);
    layout->addLayout(package);
    layout->addLayout(FrameButtons());
}

void OPTNDEV::SetupDeviceGrid() {
    F_Device->SetHeadAlignment(0, 2);
    F_Device->SetHeadAlignment(1, 2);
    F_Device->SetColAlignment(0, 2);
    F_Device->SetColAlignment(1, 0);
    F_Device->SetTextMatrix(0, 0, GetLocalString("Group", "99732"));
    F_Device->SetTextMatrix(0, 1, GetLocalString("Symbol", "991150"));
    const QFontMetrics fm(font());
    F_Device->SetColWidth(0, fm.horizontalAdvance(QStringLiteral(" Group ")) + fm.averageCharWidth() * 2);
}

void OPTNDEV::LoadPart() {
    setWindowTitle(platform::ToQString(gPartName));
    F_Device->SetRows(2);
    F_Device->SetTextMatrix(1, 0, "");
    F_Device->SetTextMatrix(1, 1, "");

    gPartDevId = -1;
    int32_t err = 1;
    LoadDeviceFromLib(err, gPartDevId, gPartLibPath, gPartName);
    if (err != 0) return EndAsCancel("Can't Load Part: ", "99353");
    DeviceRec dev;
    if (D_ReadDevice(gPartDevId, dev) == 0) return EndAsCancel("Can't Read Part: ", "99364");

    gPartPackage = FirstWord(CStrFromPtr(dev.Name3));
    F_LaySmb->setText(platform::ToQString(gPartPackage));
    for (int32_t g = 1; g <= dev.GroupCount; ++g) {
        DeviceGroupRec group;
        if (D_ReadGroup(gPartDevId, g, group) == 0) break;
        F_Device->SetRows(g + 1);
        F_Device->SetTextMatrix(g, 0, IniNumText(g));
        F_Device->SetTextMatrix(g, 1, CStrFromPtr(group.SymbolName));
    }
    F_Device->SetRow(1);
    F_Device_Click();
    F_Device->Finish(0);
    // The symbol column is 2.5 times its design width (an average name of ten characters).
    const QFontMetrics fm(font());
    F_Device->SetColWidth(1, int(std::lround(fm.averageCharWidth() * 10 * 2.5)));
    F_Device->FitRows(kShownGroups);
}

void OPTNDEV::F_Device_Click() {
    F_Device->SetCol(1);
    gPartSymbol = F_Device->Text();
    F_Device->SetCol(0);
}

void OPTNDEV::F_Accept_Click() {
    gPartOK = -1;
    AcceptForm();
}

void OPTNDEV::F_Cancel_Click() {
    gPartOK = 0;
    CancelForm();
}

void OPTNDEV::EndAsCancel(const char* text, const char* id) {
    platform::ui().MsgBox(GetLocalString(text, id) + gPartName, kStyleOkExclamation,
                          GetLocalString("Part Browse", "10129"));
    gPartOK = 0;
    EndDuringLoad();
}

}  // namespace tolvi
