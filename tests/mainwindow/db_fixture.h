#pragma once
// What the database-command tests share: a job directory with its own settings file, a window
// that owns the password dialogs, an empty "Untitled" database, and a running fake module that
// hears the broadcasts.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/optninpt.h"
#include "platform/qt/codec.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi::test {

// The next password dialog is answered with typed, then Accept.
inline void QueuePassword(const std::string& typed) {
    scriptedUi().QueueModal("OPTNINPT", [typed](QWidget* f) {
        auto* form = static_cast<OPTNINPT*>(f);
        form->F_Password->setText(platform::ToQString(typed));
        form->F_Accept_Click();
    });
}

class DbFixture : public ::testing::Test {
protected:
    void SetUp() override {
        gJobDir = tmp.path();
        gIniFile = tmp.File("TOLVI32.INI");
        gMainForm = &window;  // the owner of the password dialogs
        mods.Register("QUVSCHED");
        int16_t mode = 0;
        std::string arg;
        InitializeApp("QUVSCHED", mode, arg);
        gDbTitle = "Untitled";
        CreateEmptyDatabase();
        UpdateMainCaption(gDbHandle);
        ReadDbLabel();
        SetDatabaseChanged(0);
    }
    void TearDown() override { gMainForm = nullptr; }

    // A database file named file in the job directory, holding a hierarchy "KEPT" and the given
    // label; the open database is an empty "Untitled" one again afterwards.
    std::string SavedDatabase(const std::string& file, const std::string& name,
                              const std::string& password = "", const std::string& designer = "") {
        DB_CreateDataBase(name.c_str(), "MAINHIER", "MAINPAGE");
        DB_CreateHierarchy(0, "KEPT");
        gDbLabel = DbLabelRec{};
        gDbLabel.PassSet = password.empty() ? 0 : -1;
        gDbLabel.Password = password;
        gDbLabel.Designer = designer;
        WriteDbLabel();
        std::string path = tmp.File(file);
        EXPECT_NE(DB_SaveDataBase(path.c_str()), 0);
        gDbTitle = "Untitled";
        CreateEmptyDatabase();
        UpdateMainCaption(gDbHandle);
        ReadDbLabel();
        SetDatabaseChanged(0);
        return path;
    }

    // Whether the running module heard "All,<cmd>".
    bool Heard(const std::string& cmd) const {
        const std::string line = "QUVSCHED notify - All," + cmd;
        return std::find(mods.journal.begin(), mods.journal.end(), line) != mods.journal.end();
    }
    static bool HasHierarchy(const char* name) { return OM_FindName(DB_HierarchyMap(), name) != 0; }
    static std::string OpenName() { return CStrFromPtr(O_GetName(DB_DataBase())); }
    static std::string Recent(int n) {
        std::string v;
        IniGetString("RecentFiles", std::to_string(n), "absent", v);
        return v;
    }
    static void PutRecent(int n, const std::string& v) {
        int err = 0;
        IniPutString("RecentFiles", std::to_string(n), v, err);
    }
    // Whether the main window was asked to draw or mark this (RecordingHost's call lines).
    static bool HostDid(const std::string& call) {
        const auto& calls = recordingHost().calls;
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    TempDir tmp;
    QMainWindow window;
    FakeModules mods;
};

}  // namespace tolvi::test
