#include "setup/optnapps.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QVBoxLayout>
#include <iterator>

#include "common/general_settings.h"
#include "common/localisation.h"
#include "platform/qt/codec.h"

namespace tolvi {

namespace {
// Captions of the modules of kStartupModules, in their order.
const char* const kModuleCaptions[4][2] = {{"Schematic Capture", "991155"},
                                           {"Layout Design", "99814"},
                                           {"Library Editor", "99827"},
                                           {"Database Viewer", "10279"}};
static_assert(std::size(kModuleCaptions) == kStartupModules.size());
}  // namespace

OPTNAPPS::OPTNAPPS(QWidget* parent)
    : SetupDialog("OPTNAPPS", "Tolvi32 - Startup Applications", "10162", parent) {
    traits.refillsOnActivate = false;
    RestoresOnCancel(gAppsStart, gAppsMin);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    for (int i = 0; i < 4; ++i) {
        auto* start = new QCheckBox(QString::fromLatin1(kModuleCaptions[i][0]), this);
        start->setObjectName(QStringLiteral("F_Apps_%1").arg(i));
        start->setProperty("tag", QString::fromLatin1(kModuleCaptions[i][1]));
        auto* mini = new QCheckBox(QStringLiteral("Minimized"), this);
        mini->setObjectName(QStringLiteral("F_Mini_%1").arg(i));
        mini->setProperty("tag", QStringLiteral("10206"));
        F_Apps[std::size_t(i)] = start;
        F_Mini[std::size_t(i)] = mini;
        connect(start, &QCheckBox::toggled, this, [this, i] { F_Apps_Click(i); });
        connect(mini, &QCheckBox::toggled, this, [this, i] { F_Mini_Click(i); });
        grid->addWidget(start, i, 0);
        grid->addWidget(mini, i, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(FrameButtons());
}

void OPTNAPPS::Fill() {
    setWindowTitle(platform::ToQString(GetLocalString("Tolvi32 - StartUp Applications", "10162")));
    // Any flag but 0 means on, so a stored 2 or -1 opens checked.
    for (std::size_t i = 0; i < 4; ++i) F_Apps[i]->setChecked(gAppsStart[i] != 0);
    for (std::size_t i = 0; i < 4; ++i) F_Mini[i]->setChecked(gAppsMin[i] != 0);
}

void OPTNAPPS::F_Apps_Click(int Index) {
    if (Index >= 0 && Index < 4)
        gAppsStart[std::size_t(Index)] = F_Apps[std::size_t(Index)]->isChecked() ? 1 : 0;
}

void OPTNAPPS::F_Mini_Click(int Index) {
    if (Index >= 0 && Index < 4)
        gAppsMin[std::size_t(Index)] = F_Mini[std::size_t(Index)]->isChecked() ? 1 : 0;
}

void OPTNAPPS::Store() { SaveStartupApps(); }

void OPTNAPPS::Reload() { LoadStartupApps(); }

}  // namespace tolvi
