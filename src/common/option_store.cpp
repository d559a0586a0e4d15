#include "common/option_store.h"

#include <QMetaObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <exception>
#include <string>

#include "common/colour_settings.h"
#include "common/dialog_state.h"
#include "common/formats.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/host.h"
#include "common/layer_settings.h"
#include "common/library_lists.h"
#include "common/packaging.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "platform/screen.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

// Runs the form's load handler, when it has one.
void LoadForm(QWidget* Frm) {
    if (Frm->metaObject()->indexOfMethod("Form_Load()") >= 0)
        QMetaObject::invokeMethod(Frm, "Form_Load", Qt::DirectConnection);
}

}  // namespace

// Everything from the first " (" on is an earlier scope suffix (or part of the caption that the
// suffix replaces), so a caption never carries two.
std::string CaptionWithScope(const std::string& Caption, int32_t OptCurrent) {
    const std::size_t cut = Caption.find(" (");
    return Caption.substr(0, cut) + (OptCurrent != 0 ? " (Current)" : " (Default)");
}

void ResetOptionStoreState() {
    SetOptionScope(OptionScope::Default);
    gIniVals.fill(std::string());
}

void LoadAllOptionSets() {
    SettingsOperation op;  // one read of the settings file
    LoadDirectories();
    LoadPadstackLibrary();
    LoadTextSizes();
    LoadSizes();
    LoadApertureFileName();
    LoadLayerTable();
    LoadGridTables();
    LoadSchematicCategoryColors();
    LoadLayoutCategoryColors();
    LoadLibraryLists();
    LoadPageFormats();
    LoadBoardFormats();
    LoadPackagingPrefs();
}

void SaveAllOptionSets() {
    SettingsOperation op;  // one write of the settings file
    SaveTextSizes();
    SaveSizes();
    SaveApertureFileName();
    SaveLayerTable();
    SaveGridTables();
    SaveSchematicCategoryColors();
    SaveLayoutCategoryColors();
    SaveLibraryLists();
    SavePageFormats();
    SaveBoardFormats();
    SavePackagingPrefs();
}

void SaveAllOptionSetsToDatabase() {
    {
        OptionScopeGuard database(OptionScope::Current);
        SaveAllOptionSets();
    }
    SetOptionScope(OptionScope::Default);
    host().MarkOptionScope(false);
}

void CopyDefaultsToDatabase() {
    {
        OptionScopeGuard defaults(OptionScope::Default);
        LoadAllOptionSets();
    }
    SaveAllOptionSetsToDatabase();
}

void ApplyDefaultsToDesign() {
    {
        OptionScopeGuard defaults(OptionScope::Default);
        LoadTextSizes();
        LoadSizes();
        LoadGridTables();
    }
    StoreTextSizeTable();
    StoreLineSizes();
    PutGridTablesToKernel();
}

void ShowOptionForm(QWidget*& Frm, const int32_t& AddModeSuffix) {
    if (Frm == nullptr) return;
    gDlgRefresh = -1;
    // A verdict left by an earlier dialog must not stand for this one.
    gDlgAccepted = 0;
    // A form that deletes itself on close must not be deleted twice.
    const QPointer<QWidget> form(Frm);
    const auto unload = [&] {
        delete form.data();
        Frm = nullptr;
    };

    bool timerOff = false;
    bool depthUp = false;
    // What the dialog stores from its showing to its Accept is written to the settings file once.
    SettingsOperation op;
    try {
        {
            platform::BusyPointerGuard busy;
            LoadForm(Frm);
            // As wide as its caption needs, the scope suffix added below included.
            platform::KeepCaptionWhole(Frm);
            CenterForm(Frm);
        }

        host().SetBackupTimer(false);
        timerOff = true;

        if (AddModeSuffix != 0)
            Frm->setWindowTitle(platform::ToQString(
                CaptionWithScope(platform::FromQString(Frm->windowTitle()), gOptCurrent)));

        ++gModalDepth;
        depthUp = true;
        host().PublishMainState();

        // A form that ended while loading (nothing to show) ends as cancelled.
        if (!Frm->property("formEnded").toBool()) platform::ui().ShowModal(Frm);
    } catch (...) {
        // The caller reports the failure; what this routine changed must not outlive it, or the
        // manager stays busy to every module for good.
        const std::exception_ptr failure = std::current_exception();
        unload();
        if (depthUp) --gModalDepth;
        host().PublishMainState();
        if (timerOff && gModalDepth == 0 && gBackupOn != 0) host().SetBackupTimer(true);
        std::rethrow_exception(failure);
    }

    unload();
    --gModalDepth;
    host().PublishMainState();
    // A dialog opened from another dialog leaves the timer off for the outer one.
    if (gModalDepth == 0 && gBackupOn != 0) host().SetBackupTimer(true);
}

}  // namespace tolvi
