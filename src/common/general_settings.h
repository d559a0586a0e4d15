#pragma once
// The small option sets that live in the settings file only: working directories, timed backup,
// automatic help, the system's identity, the modules started with the manager, the current
// aperture table's name and the in-house utilities menu switch.
#include <array>
#include <cstdint>
#include <string>

namespace tolvi {

// Working directories, without a trailing "/". The system directory holds the aperture tables.
inline std::string gJobDir;
inline std::string gLibDir;
inline std::string gSysDir;
inline std::string gZot3JobDir;

// Minutes between timed backups (1..60) and the backup switch (0 = off, anything else = on).
inline float gBackupInt = 0.0f;
inline float gBackupOn = 0.0f;

// -1 = automatic help on, 0 = off; the context help reads its copy in the kernel (ReadAutoHelpFlag).
inline int32_t gAutoHelp = 0;

// Identity shown by the About window and carried in the ASCII database header.
inline std::string gSysName;
inline std::string gSysVer;
inline std::string gSysRev;

// The design modules that may start with the manager, in the order of their flags: schematic
// capture, layout, library editor, database viewer.
inline constexpr std::array<const char*, 4> kStartupModules = {"QUVSCHED", "QUVLAYED", "QUVLIBED",
                                                               "QUVVIEWR"};
// One flag per module of kStartupModules: start it with the manager / start it minimised.
inline std::array<int32_t, 4> gAppsStart{};
inline std::array<int32_t, 4> gAppsMin{};

// Name of the current aperture table, without directory and extension; "NONE" when none.
inline std::string gAperFile;

void ResetGeneralSettingsState();

// "Tolvi32" JobDir, LibDir, SysDir, ZOT3JobDir; both also publish the kernel strings "JobDir",
// "LibDir" and "ZOT3JobDir".
void LoadDirectories();
void SaveDirectories();
// "Tolvi32" BackupInt, BackupON; an interval outside 1..60 becomes 5.
void LoadBackupSettings();
void SaveBackupSettings();
// "Tolvi32" AutoHelp, copied into the kernel's help state (WriteAutoHelpFlag).
void LoadAutoHelp();
// The automatic-help flag as the kernel keeps it for every application of the suite.
int32_t ReadAutoHelpFlag();
void WriteAutoHelpFlag(int32_t Flag);
// "Tolvi32" SysName, Ver, Rev; read only.
void LoadSystemIdentity();
// "Tolvi32" Apps, AppsWin: four flags each.
void LoadStartupApps();
void SaveStartupApps();
// "POSTART" Aper.
void LoadApertureFileName();
void SaveApertureFileName();
// "InHouse" Enabled: the in-house utilities menu is shown only for a leading number of 1.
void ShowInHouseMenu();

}  // namespace tolvi
