#include "common/library_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/general_settings.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "option_fixture.h"
#include "platform/paths.h"

namespace tolvi {
namespace {

using Names = std::vector<std::string>;

class LibraryLists : public test::SettingsFixture {
protected:
    // "key=value" for every numbered key 1..9 present in the section.
    Names Keys(const std::string& section) {
        Names keys;
        for (int k = 1; k <= 9; ++k) {
            std::string v;
            IniGetString(section, std::to_string(k), "<none>", v);
            if (v != "<none>") keys.push_back(std::to_string(k) + "=" + v);
        }
        return keys;
    }
};

TEST_F(LibraryLists, ListEndsAtTheFirstMissingOrEmptyKey) {
    Put("DEVLIBS", "1", "PARTS.PART");
    Put("DEVLIBS", "2", "MORE.PART");
    Put("DEVLIBS", "4", "STRAY.PART");
    Put("SCHLIBS", "1", "A.SYMBOL");
    Put("SCHLIBS", "2", "");
    Put("SCHLIBS", "3", "LOST.SYMBOL");
    Put("LAYLIBS", "2", "NOFIRST.PACKAGE");
    LoadLibraryLists();
    EXPECT_EQ(gDevLibs, (Names{"", "PARTS.PART", "MORE.PART"}));
    EXPECT_EQ(gDevLibCount, 2);
    EXPECT_EQ(gSchLibs, (Names{"", "A.SYMBOL"}));
    EXPECT_EQ(gSchLibCount, 1);
    EXPECT_EQ(gLayLibs, Names{""});
    EXPECT_EQ(gLayLibCount, 0);

    // Only the counted keys are removed; the stray key 4 stays where it was.
    gDevLibs = {"", "ONE.PART"};
    SaveLibraryLists();
    EXPECT_EQ(Keys("DEVLIBS"), (Names{"1=ONE.PART", "4=STRAY.PART"}));
}

TEST_F(LibraryLists, ShrinkingListsLeaveNoOldKeys) {
    Put("LAYLIBS", "1", "a");
    Put("LAYLIBS", "2", "b");
    Put("LAYLIBS", "3", "c");
    LoadLibraryLists();
    gLayLibs = {"", "v", "w", "x", "y", "z"};
    SaveLibraryLists();
    EXPECT_EQ(gLayLibCount, 5);
    EXPECT_EQ(Keys("LAYLIBS"), (Names{"1=v", "2=w", "3=x", "4=y", "5=z"}));
    gLayLibs = {"", "p", "q"};
    SaveLibraryLists();
    EXPECT_EQ(Keys("LAYLIBS"), (Names{"1=p", "2=q"}));

    gLayLibs = {""};
    SaveLibraryLists();
    EXPECT_EQ(Keys("LAYLIBS"), Names{});
    EXPECT_EQ(gLayLibCount, 0);
    LoadLibraryLists();
    EXPECT_EQ(gLayLibs, Names{""});
}

TEST_F(LibraryLists, EmptyEntriesAreDroppedSoNoLibraryIsLostOnReload) {
    gDevLibs = {"", "A.PART", "", "C.PART", ""};
    gSchLibs = {"", "", "S.SYMBOL"};
    gLayLibs = {"", "  ", "P.PACKAGE", "\t"};  // blanks read back as an empty key
    SaveLibraryLists();
    EXPECT_EQ(Keys("DEVLIBS"), (Names{"1=A.PART", "2=C.PART"}));
    EXPECT_EQ(gDevLibs, (Names{"", "A.PART", "C.PART"}));
    EXPECT_EQ(gDevLibCount, 2);
    EXPECT_EQ(Keys("SCHLIBS"), (Names{"1=S.SYMBOL"}));
    EXPECT_EQ(Keys("LAYLIBS"), (Names{"1=P.PACKAGE"}));

    const Names dev = gDevLibs, sch = gSchLibs, lay = gLayLibs;
    LoadLibraryLists();
    EXPECT_EQ(gDevLibs, dev);
    EXPECT_EQ(gSchLibs, sch);
    EXPECT_EQ(gLayLibs, lay);
}

TEST_F(LibraryLists, PadstackLibraryDefaultsToTheLibraryDirectoryAndIsPublished) {
    gLibDir = "/home/u/Tolvi32/LIB";
    LoadPadstackLibrary();
    EXPECT_EQ(gPadstackLib, platform::JoinPath(gLibDir, "PADSTACK.PADSTACK"));
    EXPECT_EQ(gPadstackLib, "/home/u/Tolvi32/LIB/PADSTACK.PADSTACK");
    EXPECT_STREQ(E_GetString("PADSTACKSI"), gPadstackLib.c_str());

    gPadstackLib = "/libs/Mine.PADSTACK";
    SavePadstackLibrary();
    EXPECT_STREQ(E_GetString("PADSTACKSI"), "/libs/Mine.PADSTACK");
    gPadstackLib.clear();
    KernelResetForTests();
    LoadPadstackLibrary();
    EXPECT_EQ(gPadstackLib, "/libs/Mine.PADSTACK");
    EXPECT_STREQ(E_GetString("PADSTACKSI"), "/libs/Mine.PADSTACK");
}

}  // namespace
}  // namespace tolvi
