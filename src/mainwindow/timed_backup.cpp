#include "mainwindow/timed_backup.h"

#include <exception>
#include <string>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/utilities.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "platform/paths.h"

namespace tolvi {

namespace {

// Idle minutes since the last backup or busy tick; kept across stops of the timer.
float gBackupMinutes = 0.0f;
// Set while a backup is written: a tick that arrives meanwhile (an error box is open) must not
// start a second one.
bool gWritingBackup = false;

void WriteBackup() {
    PublishMainState(-1, -1);
    WriteDatabaseFile(platform::JoinPath(gJobDir, gDbName + ".BAK"));
}

}  // namespace

void ResetTimedBackupState() {
    gBackupMinutes = 0.0f;
    gWritingBackup = false;
}

void F_BackUp_Timer() {
    if (gWritingBackup) return;
    int32_t quiet = -1;
    std::string caption;
    CheckBusy(quiet, caption);
    if (quiet != 0) {
        gBackupMinutes = 0.0f;
        return;
    }
    gBackupMinutes += 1.0f;
    // Reaching or passing: an interval lowered below the count, or one that is not whole, must
    // not stop the backups for good.
    if (gBackupMinutes < gBackupInt) return;
    gWritingBackup = true;
    // A failure is shown and the in-tick flag still comes down, or no backup would ever be
    // written again.
    RunEvent(WriteBackup);
    gBackupMinutes = 0.0f;
    PublishMainState(-1, 0);
    gWritingBackup = false;
}

}  // namespace tolvi
