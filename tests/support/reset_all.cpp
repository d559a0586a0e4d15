#include "support/reset_all.h"

#include "common/localisation.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "platform/local_texts.h"
#include "platform/errors.h"
#include "platform/text_files.h"
#include "platform/timer.h"
#include "platform/ui.h"
#include "support/manual_timer.h"
#include "support/recording_host.h"
#include "common/host.h"
#include "kernel/kernel.h"
#include "common/dialog_state.h"
#include "support/scripted_ui.h"

// Each module that owns shared state offers a reset; list every one of them here.

namespace tolvi::test {

void ResetAllState() {
    scriptedUi().Verify();
    scriptedUi().Reset();
    platform::SetUi(&scriptedUi());
    ResetManualTimers();
    platform::SetTimerFactory(ManualTimerFactory());
    platform::ClearErr();
    platform::CloseAllFiles();
    L32_Object_Delete();
    ResetSettingsAccessState();
    ResetUtilitiesState();
    ResetLocalisationState();
    KernelResetForTests();
    ResetDialogState();
    recordingHost().Reset();
    SetHost(&recordingHost());
}

}  // namespace tolvi::test
