#include "interchange/quvsasc.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context_help.h"
#include "common/db_session.h"
#include "common/dictionaries.h"
#include "common/form_buttons.h"
#include "common/general_settings.h"
#include "common/host.h"
#include "common/localisation.h"
#include "common/option_scope.h"
#include "common/option_store.h"
#include "platform/qt/codec.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

struct ModeTexts {
    const char* caption;
    const char* captionId;
    bool partFrame;
    bool packFrame;
    const char* kind;
    const char* kindId;
};

// Modes 1..4; index 0 holds nothing.
const ModeTexts kModes[] = {
    {nullptr, nullptr, false, false, "", nullptr},
    {"Tolvi32 - Saving ASCII Database ", "10157", false, false, "Database ", "10116"},
    {"Tolvi32 - Exporting Tolvi32/ZOT3Wirelist", "10146", true, true, "Wirelist(Tolvi32/ZOT3 format) ",
     "10286"},
    {"Tolvi32 - Exporting Scicards Nelist", "10148", false, false, "Netlist (Scicards format) ", "10207"},
    {"Tolvi32 - Exporting OrCad PCB II WireList", "10147", true, false, "Wirelist (OrCad PCB II format) ",
     "10283"},
};

const ModeTexts* Mode(int32_t mode) { return mode >= 1 && mode <= 4 ? &kModes[mode] : nullptr; }

}  // namespace

QUVSASC::QUVSASC(QWidget* parent)
    : ProgressWindow(parent, "QUVSASC", "Tolvi32 - Saving ASCII Database ", "10157") {
    auto* layout = new QVBoxLayout(this);
    AddMsgLine(layout);

    const char* frameCaptions[] = {nullptr,
                                   "Dictionary file for Part Names: ", "Dictionary file for Package Names: "};
    const char* frameTags[] = {nullptr, "99568", "99569"};
    for (int i = 1; i <= 2; ++i) {
        F_FileSELFrame[i] = new QGroupBox(QString::fromLatin1(frameCaptions[i]), this);
        F_FileSELFrame[i]->setObjectName(QStringLiteral("F_FileSELFrame(%1)").arg(i));
        F_FileSELFrame[i]->setProperty("tag", QString::fromLatin1(frameTags[i]));
        auto* row = new QHBoxLayout(F_FileSELFrame[i]);
        F_InpFileName[i] = new QLabel(F_FileSELFrame[i]);
        F_InpFileName[i]->setObjectName(QStringLiteral("F_InpFileName(%1)").arg(i));
        F_InpFileName[i]->setTextFormat(Qt::PlainText);
        row->addWidget(F_InpFileName[i], 1);
        F_InpFile[i] = NewFormButton(F_FileSELFrame[i], "", "Select", "991166");
        F_InpFile[i]->setObjectName(QStringLiteral("F_InpFile(%1)").arg(i));
        row->addWidget(F_InpFile[i]);
        connect(F_InpFile[i], &QPushButton::clicked, this, [this, i] { F_InpFile_Click(i); });
        layout->addWidget(F_FileSELFrame[i]);
    }
    AddButtons(layout, "Export", "99671");
}

void QUVSASC::Form_Load() {
    LocalizeForm(this);
    if (const ModeTexts* m = Mode(gExportMode)) {
        setWindowTitle(platform::ToQString(GetLocalString(m->caption, m->captionId)));
        F_FileSELFrame[1]->setVisible(m->partFrame);
        F_FileSELFrame[2]->setVisible(m->packFrame);
    }
    UnconnectedPinCount = 0;
    ShowReady(gExportFile);
    SavedHier = gCurHier;
    SavedPage = gCurPage;
    for (int i = 1; i <= 2; ++i) F_InpFileName[i]->setText(platform::PathToQString(gSysDir));
    gPartDic.assign(1, NamePairRec{});
    gPackDic.assign(1, NamePairRec{});
    adjustSize();
}

void QUVSASC::F_InpFile_Click(int Index) {
    if (Index != 1 && Index != 2) return;
    const QString kept = F_MsgLine->text();
    NamePairTable& dictionary = Index == 1 ? gPartDic : gPackDic;
    bool loaded = false;
    try {
        platform::FileDialogRequest request;
        request.defaultExt = Index == 1 ? "TDD" : "TDS";
        request.filter = Index == 1 ? "Part Names Dic.(*.TDD)|*.TDD" : "Package Names Dic.(*.TDS)|*.TDS";
        request.title = Index == 1 ? GetLocalString("Select Dictionary for Part Names:", "991175")
                                   : GetLocalString("Select Dictionary for Package Names:", "991176");
        request.initDir = gSysDir;
        request.flags = platform::kOpenDialogFlags;
        const std::optional<std::string> chosen = platform::ui().FileDialog(request);
        if (chosen && !chosen->empty()) {
            F_InpFileName[Index]->setText(platform::PathToQString(*chosen));
            ShowMsg(Index == 1 ? GetLocalString("Parsing Part Dictionary File", "991016")
                               : GetLocalString("Parsing Package Dictionary File", "991017"));
            int32_t err = 0;
            ParseDictionary(err, *chosen, dictionary);
            loaded = err == 0;
        }
    } catch (...) {
        loaded = false;
    }
    if (!loaded) {
        F_InpFileName[Index]->setText(platform::PathToQString(gSysDir));
        dictionary.assign(1, NamePairRec{});
    }
    F_MsgLine->setText(kept);
}

void QUVSASC::F_Continue_Click() {
    Output.ResetOutput();
    WorkStarts();
    // While the writer runs, only Cancel may act: a dictionary picked now would change nothing.
    for (int i = 1; i <= 2; ++i) F_InpFile[i]->setEnabled(false);
    const ModeTexts* mode = Mode(gExportMode);
    int32_t result = 0;
    try {
        result = RunExport(gExportMode, Output, UnconnectedPinCount);
    } catch (...) {
        // Whatever went wrong inside a writer, the half-written file must not stand.
        Output.Fail();
        Output.EndOutput();
        result = Output.Result();
    }
    for (int i = 1; i <= 2; ++i) F_InpFile[i]->setEnabled(true);
    const char* const resultTexts[][2] = {
        {"saved O.K", "991134"}, {"failed - Disk Error", "10174"}, {"save cancelled", "10241"}};
    const std::string message = (mode ? GetLocalString(mode->kind, mode->kindId) : std::string()) +
                                GetLocalString(resultTexts[result][0], resultTexts[result][1]);

    DB_SetCurHier(SavedHier);
    DB_SetCurPage(SavedPage);
    SetOptionScope(OptionScope::Default);
    host().MarkOptionScope(false);
    LoadAllOptionSets();
    UpdateMainCaption(gDbHandle);
    ShowMsg(message);
    WorkEnded();
}

void QUVSASC::F_Cancel_Click() { Output.mCancel = true; }

}  // namespace tolvi
