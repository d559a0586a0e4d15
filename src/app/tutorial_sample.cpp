// Writes the tutorial's sample ASCII database, made by the design builder, the way File >
// Database ASCII Save writes a database:
//
//   tutorial_sample OUT_FILE      (the shipped copy is resources/DEMO.TPA)
//
// The settings are the built-in ones (an empty settings file in a scratch directory), so the
// file does not depend on the settings of whoever makes it.
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "interchange/exporter.h"
#include "kernel/kernel.h"
#include "support/design_builder.h"

using namespace tolvi;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tutorial_sample OUT_FILE\n");
        return 2;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "tutorial_sample: no scratch directory\n");
        return 1;
    }
    const std::string dir = scratch.path().toStdString();
    gIniFile = dir + "/TOLVI32.INI";
    gJobDir = gSysDir = dir;
    LoadSystemIdentity();
    LoadAllOptionSets();
    gDbTitle = "Untitled";
    CreateEmptyDatabase();
    if (!designs::BuildSampleDesign()) return 1;
    gDbTitle = CStrFromPtr(O_GetName(DB_DataBase()));
    UpdateMainCaption(gDbHandle);
    const int32_t result = WriteExportFile(1, argv[1]);
    if (result != 0) std::fprintf(stderr, "tutorial_sample: writing %s failed (%d)\n", argv[1], int(result));
    return result == 0 ? 0 : 1;
}
