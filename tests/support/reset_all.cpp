#include "support/reset_all.h"

#include "common/aperture_tables.h"
#include "common/bitmap_store.h"
#include "common/boxes.h"
#include "common/colour_settings.h"
#include "common/context_help.h"
#include "common/db_session.h"
#include "common/dialog_state.h"
#include "common/dictionaries.h"
#include "common/formats.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/host.h"
#include "common/layer_settings.h"
#include "common/library_lists.h"
#include "common/localisation.h"
#include "common/option_store.h"
#include "common/packaging.h"
#include "common/preview_drawing.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/mailbox.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/recent_files.h"
#include "mainwindow/startup.h"
#include "mainwindow/timed_backup.h"
#include "platform/design_module.h"
#include "platform/errors.h"
#include "platform/help.h"
#include "platform/local_texts.h"
#include "platform/process_launcher.h"
#include "platform/profile.h"
#include "platform/qt/bus_qt.h"
#include "platform/screen.h"
#include "platform/suite_bus.h"
#include "platform/text_files.h"
#include "platform/timer.h"
#include "platform/ui.h"
#include "support/manual_timer.h"
#include "support/recording_help.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

// Each module that owns shared state offers a reset; list every one of them here.

namespace tolvi::test {

void ResetAllState() {
    scriptedUi().Verify();
    scriptedUi().Reset();
    platform::SetUi(&scriptedUi());
    ResetManualTimers();
    platform::SetTimerFactory(ManualTimerFactory());
    platform::OverrideScreen(nullptr);  // the real screen, whatever a placement test set
    platform::ClearErr();
    platform::CloseAllFiles();
    L32_Object_Delete();
    ResetSettingsAccessState();
    ResetUtilitiesState();
    ResetLocalisationState();
    KernelResetForTests();
    ResetDialogState();
    ResetGeneralSettingsState();
    ResetFormatsState();
    ResetLibraryListsState();
    ResetDictionariesState();
    ResetPackagingState();
    ResetApertureTablesState();
    ResetOptionStoreState();
    ResetSizeSettingsState();
    ResetGridSettingsState();
    ResetLayerSettingsState();
    ResetColourSettingsState();
    ResetDbSessionState();
    ResetBitmapStoreState();
    ResetBoxesState();
    ResetContextHelpState();
    ResetPreviewDrawingState();
    recordingHelp().Reset();
    platform::SetHelp(&recordingHelp());
    recordingHost().Reset();
    SetHost(&recordingHost());
    platform::StopBusServer();  // before the bus it serves
    platform::ResetSuiteBusState();
    platform::ResetProfileState();
    platform::SetProcessLauncher(nullptr);
    ResetCommandLinksState();
    ResetMailboxState();
    platform::ResetDesignModuleState();
    ResetModuleRegistryState();
    ResetAppListState();
    ResetStartupState();
    ResetDbCommandsState();
    ResetRecentFilesState();
    ResetTimedBackupState();
    ResetExportState();
    ResetAsciiLoadState();
}

}  // namespace tolvi::test
