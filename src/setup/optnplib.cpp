#include "setup/optnplib.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStringList>
#include <QVBoxLayout>

#include "common/general_settings.h"
#include "common/library_lists.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "platform/ui.h"
#include "setup/library_objects.h"

namespace tolvi {

namespace {
constexpr int kShownLines = 10;
}  // namespace

OPTNPLIB::OPTNPLIB(QWidget* parent)
    : SetupDialog("OPTNPLIB", "Tolvi32 - Select Current Padstack Library", "10159", parent) {
    F_SelFrame = NewFormFrame(this, "F_SelFrame", "Select Library: ", "991181");
    F_Drive = new platform::DriveCombo(F_SelFrame);
    F_Drive->setObjectName("F_Drive");
    F_Dir = new platform::DirList(F_SelFrame);
    F_Dir->setObjectName("F_Dir");
    F_Files = new platform::FileList(F_SelFrame);
    F_Files->setObjectName("F_Files");
    const int listHeight = fontMetrics().height() * kShownLines + 8;
    const int listWidth = fontMetrics().averageCharWidth() * 30;
    for (QListWidget* l : {static_cast<QListWidget*>(F_Dir), static_cast<QListWidget*>(F_Files)})
        l->setFixedSize(listWidth, listHeight);
    connect(F_Drive, &platform::DriveCombo::driveChanged, this, [this] { F_Drive_Change(); });
    connect(F_Dir, &platform::DirList::pathChanged, this, [this] { F_Dir_Change(); });
    connect(F_Files, &QListWidget::currentRowChanged, this, [this](int) { F_Files_Click(); });
    auto* sel = new QVBoxLayout(F_SelFrame);
    sel->addWidget(F_Drive);
    auto* lists = new QHBoxLayout;
    lists->addWidget(F_Dir);
    lists->addWidget(F_Files);
    sel->addLayout(lists);

    auto* current = new QHBoxLayout;
    current->addWidget(NewFormLabel(this, "Label2", "Current:", "99499"));
    F_Lib = NewFormLabel(this, "F_Lib", "", nullptr);
    F_Lib->setMinimumWidth(listWidth * 2);
    current->addWidget(F_Lib, 1);

    F_BrowseFrameP = NewFormFrame(this, "F_BrowseFrameP", "Padstacks: ", "10218");
    F_BrowseListP = new QListWidget(F_BrowseFrameP);
    F_BrowseListP->setObjectName("F_BrowseListP");
    F_BrowseListP->setFixedSize(listWidth, listHeight + fontMetrics().height() * 3);
    F_Count = NewFormLabel(F_BrowseFrameP, "F_Count", "", nullptr);
    auto* browse = new QVBoxLayout(F_BrowseFrameP);
    browse->addWidget(F_BrowseListP);
    browse->addWidget(F_Count);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(F_SelFrame);
    left->addLayout(current);
    left->addStretch();
    body->addLayout(left);
    body->addWidget(F_BrowseFrameP, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(FrameButtons());
}

void OPTNPLIB::InitDialog() {
    F_SelFrame->setEnabled(false);
    F_Files->setPattern("*.PADSTACK");
    F_Dir->setPath(gLibDir);
    F_Dir->refresh();
    F_Files->setPath(F_Dir->path());
    // Shown as stored: on a file system that tells letter case apart, another case names
    // another file.
    F_Lib->setText(platform::PathToQString(gPadstackLib));
    ListPadstacks();
    F_SelFrame->setEnabled(true);
}

void OPTNPLIB::ListPadstacks() {
    F_Count->setText(platform::ToQString(ItemCountText(0)));
    F_BrowseListP->clear();
    const int32_t h = E_OpenLibrary(gPadstackLib.c_str(), kSymbolLibKind, 0);
    if (h > 0) {
        platform::BusyPointerGuard busy;
        QStringList names;
        for (const std::string& name : LibraryEntryNames(h)) names.append(platform::ToQString(name));
        E_CloseLibrary(h);
        F_BrowseListP->addItems(names);
        F_Count->setText(platform::ToQString(ItemCountText(int(names.size()))));
    }
    F_BrowseListP->setCurrentRow(-1);
}

void OPTNPLIB::F_Drive_Change() {
    // A drive that cannot be read leaves the lists as they are.
    F_Dir->setPath(F_Drive->drive());
}

void OPTNPLIB::F_Dir_Change() { F_Files->setPath(F_Dir->path()); }

void OPTNPLIB::F_Files_Click() {
    const std::string file = F_Files->fileName();
    if (file.empty()) return;
    const std::string p = platform::JoinPath(Trim(F_Dir->path()), file);
    // Compared as the file system compares names: letter case counts.
    if (p == platform::PathFromQString(F_Lib->text())) return;
    F_Lib->setText(platform::PathToQString(p));
    gPadstackLib = p;
    ListPadstacks();
}

void OPTNPLIB::Store() { SavePadstackLibrary(); }

void OPTNPLIB::Reload() { LoadPadstackLibrary(); }

}  // namespace tolvi
