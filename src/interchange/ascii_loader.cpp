// The load window's sequence around the reader: the option scope before and after, the reset
// after a failed load, the older-form conversion, the selection, the stored settings.
#include "interchange/ascii_loader.h"

#include <array>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/host.h"
#include "common/layer_settings.h"
#include "common/localisation.h"
#include "common/option_scope.h"
#include "common/option_store.h"
#include "common/utilities.h"
#include "interchange/exporter.h"
#include "interchange/unit_conversion.h"
#include "platform/paths.h"
#include "platform/ui.h"

namespace tolvi {

void AsciiLoader::FormLoad() {
    gAsciiLoadOK = false;
    host().MarkOptionScope(false);
    SetOptionScope(OptionScope::Default);
    LoadAllOptionSets();  // the file's settings records will lay their values over these
    mHierToSelect = gCurHier;
    mPageToSelect = gCurPage;
}

int32_t AsciiLoader::ReadFile(const std::string& Path) {
    int err = 0;
    OpenForInput(err, mFileNo, Path);
    if (err != 0) return -1;
    int32_t result = 1;
    LoadAsciiDatabase(result);
    CloseFileOptKill(0, mFileNo, Path);
    return result;
}

int32_t AsciiLoader::Continue(std::string& Message) {
    mLine.clear();
    mCancel = false;
    int32_t result = ReadFile(gExportFile);
    if (result < 0) return -1;

    if (result == 0 && mOlderForm) {
        platform::BusyPointerGuard busy;
        if (!ConvertLoadedDatabase()) result = 1;  // its box named what did not fit
    }
    if (result != 0) {
        // Nothing half built stays open: a fresh database with the settings file's values.
        gDbTitle = "Untitled";
        CreateEmptyDatabase();
        UpdateMainCaption(gDbHandle);
        mHierToSelect = gCurHier;
        mPageToSelect = gCurPage;
        SetOptionScope(OptionScope::Default);
        LoadAllOptionSets();
        mOlderForm = false;
    }
    switch (result) {
        case 0:
            Message = GetLocalString("Database loaded O.K", "10122");
            gAsciiLoadOK = true;
            gDbTitle = gDbName;  // the database is called as its file says, not "Untitled"
            gDbPath = platform::JoinPath(gJobDir, gDbName + ".TPB");
            break;
        case 1:
            Message = GetLocalString("Database load failed - Disk/Data Error", "99514");
            break;
        default:
            Message = GetLocalString("Database load cancelled", "10121");
            break;
    }

    DB_SetCurHier(mHierToSelect);
    DB_SetCurPage(mPageToSelect);
    if (result == 0) {
        // Each hierarchy keeps its own layer labels; the option table takes the selected one's.
        std::array<int32_t, gLayers.size()> colours;
        for (size_t k = 0; k < colours.size(); ++k) colours[k] = gLayers[k].Colour;
        LoadLayerNames();
        for (size_t k = 0; k < colours.size(); ++k) gLayers[k].Colour = colours[k];
    }
    UpdateMainCaption(gDbHandle);
    SaveAllOptionSetsToDatabase();
    if (result != 0) {
        // The modules' database has been replaced by the empty one.
        SetDatabaseChanged(0);
        host().NotifyAll("UP");
    }
    return result;
}

}  // namespace tolvi
