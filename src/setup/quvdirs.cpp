#include "setup/quvdirs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/form_buttons.h"
#include "common/general_settings.h"
#include "common/utilities.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"

namespace tolvi {

namespace {

std::string& Directory(int index) {
    switch (index) {
        case 0:
            return gLibDir;
        case 1:
            return gJobDir;
        case 2:
            return gSysDir;
        default:
            return gZot3JobDir;
    }
}

}  // namespace

std::string AssignedPath(const std::string& shown) {
    std::string p = shown;
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

bool AssignDirectory(const std::string& shown, std::string& dir) {
    std::string p = AssignedPath(shown);
    int err = 0;
    ValidateDirectory(p, err);
    if (err != 0) return false;
    dir = p;
    return true;
}

QUVDIRS::QUVDIRS(QWidget* parent) : SetupDialog("QUVDIRS", "Tolvi32  - Subdirectories", nullptr, parent) {
    Drive1 = new platform::DriveCombo(this);
    Drive1->setObjectName("Drive1");
    Dir1 = new platform::DirList(this);
    Dir1->setObjectName("Dir1");
    Dir1->setMinimumSize(Dir1->fontMetrics().averageCharWidth() * 28, Dir1->fontMetrics().height() * 12);
    CurPath = new QLineEdit(this);
    CurPath->setObjectName("CurPath");
    CurPath->setMinimumWidth(CurPath->fontMetrics().averageCharWidth() * 40);
    connect(Drive1, &platform::DriveCombo::driveChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &platform::DirList::pathChanged, this, [this] { Dir1_Change(); });

    const char* buttons[4] = {"Library Files", "Job Files", "System Files", "ZOT3  Files"};
    const char* labels[4] = {"Library Files:", "Job Files:", "System Files:", "ZOT3 Files:"};
    auto* assign = new QHBoxLayout;
    QGroupBox* current = NewFormFrame(this, nullptr, "Currently Selected Paths for: ", nullptr);
    auto* paths = new QGridLayout(current);
    for (int i = 0; i < 4; ++i) {
        SelDsk[std::size_t(i)] = NewFormButton(this, nullptr, buttons[i], nullptr);
        SelDsk[std::size_t(i)]->setObjectName(QStringLiteral("SelDsk_%1").arg(i));
        connect(SelDsk[std::size_t(i)], &QPushButton::clicked, this, [this, i] { SelDsk_Click(i); });
        assign->addWidget(SelDsk[std::size_t(i)]);

        auto* path = NewFormLabel(current, nullptr, "", nullptr);
        path->setObjectName(QStringLiteral("CurDisk_%1").arg(i));
        path->setFrameShape(QFrame::Panel);
        path->setFrameShadow(QFrame::Sunken);
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);
        CurDisk[std::size_t(i)] = path;
        paths->addWidget(NewFormLabel(current, nullptr, labels[i], nullptr), i, 0);
        paths->addWidget(path, i, 1);
    }
    paths->setColumnStretch(1, 1);

    auto* browse = new QVBoxLayout;
    browse->addWidget(Drive1);
    browse->addWidget(Dir1, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(NewFormLabel(this, nullptr, " Path: ", nullptr));
    right->addWidget(CurPath);
    right->addSpacing(8);
    right->addWidget(NewFormLabel(this, nullptr, "Assign  for: ", nullptr));
    right->addLayout(assign);
    right->addSpacing(8);
    right->addWidget(current);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(browse);
    top->addSpacing(8);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(FrameButtons("DskAccept"));
}

void QUVDIRS::Fill() {
    Drive1_Change();
    ShowCurrentPaths();
}

void QUVDIRS::ShowCurrentPaths() {
    for (int i = 0; i < 4; ++i) CurDisk[std::size_t(i)]->setText(platform::PathToQString(Directory(i)));
}

void QUVDIRS::Drive1_Change() {
    // The list opens where the program stands on that drive; Linux has one drive, so that is the
    // current directory.
    const std::string drive = Drive1->drive();
    Dir1->setEnabled(true);
    std::string start = platform::AbsolutePath("");
    if (!start.starts_with(drive)) start = drive;
    if (!Dir1->setPath(start) && !Dir1->setPath(drive)) {
        Dir1->setEnabled(false);
        CurPath->setText(platform::PathToQString(drive));
    }
}

void QUVDIRS::Dir1_Change() { CurPath->setText(platform::PathToQString(Dir1->path())); }

void QUVDIRS::SelDsk_Click(int Index) {
    if (Index < 0 || Index > 3) return;
    if (AssignDirectory(platform::PathFromQString(CurPath->text()), Directory(Index))) ShowCurrentPaths();
}

void QUVDIRS::Store() { SaveDirectories(); }

void QUVDIRS::Reload() { LoadDirectories(); }

}  // namespace tolvi
