#include "setup/optnplib.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/library_lists.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "setup/library_objects.h"
#include "support/library_builder.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

class PadstackLibrary : public test::SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        ASSERT_TRUE(test::WriteSampleLibraries(dir.path()));
        dir.Write("empty.padstack", "");
        gLibDir = dir.path();
        LoadPadstackLibrary();  // the built-in path: no PADSTACK.PADSTACK there
    }

    static std::vector<std::string> Names(const QListWidget& l) {
        std::vector<std::string> v;
        v.reserve(static_cast<std::size_t>(l.count()));
        for (int i = 0; i < l.count(); ++i) v.push_back(platform::FromQString(l.item(i)->text()));
        return v;
    }
    static std::string Text(const QLabel* l) { return platform::FromQString(l->text()); }
};

TEST_F(PadstackLibrary, ShowsTheLibraryDirectoryAndTheCurrentLibrary) {
    const std::string builtIn = platform::JoinPath(dir.path(), "PADSTACK.PADSTACK");
    ASSERT_EQ(gPadstackLib, builtIn);
    auto f = Shown<OPTNPLIB>();
    EXPECT_EQ(f->F_Dir->path(), dir.path());
    EXPECT_EQ(f->F_Files->path(), dir.path());
    EXPECT_EQ(f->F_Files->count(), 2) << "*.PADSTACK in any letter case";
    EXPECT_EQ(Text(f->F_Lib), builtIn);
    EXPECT_EQ(f->F_BrowseListP->count(), 0) << "a library that cannot be opened lists nothing";
    EXPECT_EQ(Text(f->F_Count), " 0 item(s)");
    EXPECT_TRUE(f->F_SelFrame->isEnabled());

    test::ClickFile(*f->F_Files, "STD.PADSTACK");
    const std::string chosen = platform::JoinPath(dir.path(), "STD.PADSTACK");
    EXPECT_EQ(gPadstackLib, chosen);
    EXPECT_EQ(Text(f->F_Lib), chosen);
    EXPECT_EQ(Names(*f->F_BrowseListP), (std::vector<std::string>{"ROUND60", "SQUARE60", "VIA30"}));
    EXPECT_EQ(f->F_BrowseListP->currentRow(), -1);
    EXPECT_EQ(Text(f->F_Count), " 3 item(s)");

    // The library shown already is not listed again (a listing would open it, which is made to
    // fail here).
    KernelFailNextForTests("E_OpenLibrary");
    f->F_Files->setListIndex(-1);
    test::ClickFile(*f->F_Files, "STD.PADSTACK");
    EXPECT_EQ(f->F_BrowseListP->count(), 3);
    E_CloseLibrary(E_OpenLibrary("", kSymbolLibKind, 0));  // disarms

    test::ClickFile(*f->F_Files, "empty.padstack");
    EXPECT_EQ(Text(f->F_Count), " 0 item(s)");
    f->F_Accept->click();  // an empty library may still be chosen
    EXPECT_EQ(gDlgAccepted, -1);
    EXPECT_EQ(test::IniValue("PADSTACKS", "I"), platform::JoinPath(dir.path(), "empty.padstack"));
    EXPECT_STREQ(E_GetString("PADSTACKSI"), platform::JoinPath(dir.path(), "empty.padstack").c_str());
}

TEST_F(PadstackLibrary, CancelTakesTheStoredLibraryBack) {
    int err = 0;
    const std::string stored = platform::JoinPath(dir.path(), "STD.PADSTACK");
    IniPutString("PADSTACKS", "I", stored, err);
    LoadPadstackLibrary();
    auto f = Shown<OPTNPLIB>();
    EXPECT_EQ(f->F_BrowseListP->count(), 3);
    test::ClickFile(*f->F_Files, "empty.padstack");
    EXPECT_NE(gPadstackLib, stored);
    EXPECT_STREQ(E_GetString("PADSTACKSI"), stored.c_str()) << "published only by Accept or Cancel";
    E_SetString("PADSTACKSI", "changed elsewhere");
    f->F_Cancel->click();
    EXPECT_EQ(gDlgAccepted, 0);
    EXPECT_EQ(gPadstackLib, stored);
    EXPECT_STREQ(E_GetString("PADSTACKSI"), stored.c_str());
}

TEST_F(PadstackLibrary, AnotherDirectoryListsItsLibraries) {
    const std::string sub = platform::JoinPath(dir.path(), "more");
    ASSERT_TRUE(QDir().mkpath(platform::PathToQString(sub)));
    auto f = Shown<OPTNPLIB>();
    ASSERT_TRUE(f->F_Dir->setPath(sub));
    EXPECT_EQ(f->F_Files->path(), sub);
    EXPECT_EQ(f->F_Files->count(), 0);
    EXPECT_FALSE(f->F_Dir->setPath(platform::JoinPath(dir.path(), "missing")));
    EXPECT_EQ(f->F_Files->path(), sub);
}

}  // namespace
}  // namespace tolvi
