#pragma once
// The program's start as the interchange benchmarks make it, in their own process and in the
// fresh ones they start: the settings file in dir (where there is none, the built-in settings),
// the option tables from it and an empty "Untitled" database.
#include <string>

#include "common/db_session.h"
#include "common/option_store.h"
#include "common/settings_access.h"

namespace bench {

inline void StartAsTheProgram(const std::string& dir) {
    tolvi::gIniFile = dir + "/TOLVI32.INI";
    tolvi::LoadAllOptionSets();
    tolvi::gDbTitle = "Untitled";
    tolvi::CreateEmptyDatabase();
}

}  // namespace bench
