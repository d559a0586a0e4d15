#include "common/packaging.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/settings_access.h"
#include "option_fixture.h"

namespace tolvi {
namespace {

using Values = std::vector<int32_t>;

Values Elements(const auto& arr) { return Values(arr.begin() + 1, arr.end()); }

class Packaging : public test::SettingsFixture {
protected:
    static void Put(const std::string& key, const std::string& value) {
        SettingsFixture::Put("PACKAGING", key, value);
    }
};

TEST_F(Packaging, EmptyFileGivesTheDefaults) {
    LoadPackagingPrefs();
    EXPECT_EQ(Elements(gPrefCompName), (Values{1, 0, 1, 0}));
    EXPECT_EQ(Elements(gPrefPinout), (Values{1, 1, 0, 1, 0, 0}));
    EXPECT_EQ(Elements(gPrefDescription), (Values{1, 0, 1, 0, 1, 0, 0, 0, 1, 0}));
}

TEST_F(Packaging, FieldCountsDecideWhichElementsChange) {
    const struct {
        const char* compName;
        const char* pinout;
        const char* description;
        Values wantComp, wantPin, wantDesc;
    } cases[] = {
        {"0,1,7,1,5,5", "0,0", "", {0, 1, 7, 1}, {0, 0, 9, 9, 9, 9}, {0, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
        {" 2.5, 3.5,-1,x",
         "1,2,3,4,5,6,7",
         "1,1,1,1,1,1,1,1,1,1,1",
         {2, 4, -1, 0},
         {1, 2, 3, 4, 5, 6},
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        Put("PREFCOMPNAME", c.compName);
        Put("PREFPINOUT", c.pinout);
        Put("PREFDESCRIPTION", c.description);
        gPrefCompName.fill(9);
        gPrefPinout.fill(9);
        gPrefDescription.fill(9);
        LoadPackagingPrefs();
        EXPECT_EQ(Elements(gPrefCompName), c.wantComp) << c.compName;
        EXPECT_EQ(Elements(gPrefPinout), c.wantPin) << c.pinout;
        EXPECT_EQ(Elements(gPrefDescription), c.wantDesc) << c.description;
    }
}

TEST_F(Packaging, StoredValuesReadBackAndCarryTheirBlank) {
    LoadPackagingPrefs();
    gPrefPinout[6] = 2;
    gPrefDescription[3] = -4;
    SavePackagingPrefs();
    const std::string ini = IniText();
    for (const char* line : {"PREFCOMPNAME= 1, 0, 1, 0\r\n", "PREFPINOUT= 1, 1, 0, 1, 0, 2\r\n",
                             "PREFDESCRIPTION= 1, 0,-4, 0, 1, 0, 0, 0, 1, 0\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;
    ResetPackagingState();
    LoadPackagingPrefs();
    EXPECT_EQ(Elements(gPrefPinout), (Values{1, 1, 0, 1, 0, 2}));
    EXPECT_EQ(Elements(gPrefDescription), (Values{1, 0, -4, 0, 1, 0, 0, 0, 1, 0}));
}

}  // namespace
}  // namespace tolvi
