#pragma once
// The timed backup: the main window's one-minute timer counts the minutes in which no design
// module was busy, and once the count reaches the backup interval the open database is written
// to "<job dir>/<name>.BAK". The database's own file, path, caption and changed mark stay as
// they are.

namespace tolvi {

void ResetTimedBackupState();

// The tick of the backup timer F_BackUp.
void F_BackUp_Timer();

}  // namespace tolvi
