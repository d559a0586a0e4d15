#include "platform/local_texts.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tolvi::test {
namespace {

TEST(LocalTexts, FileFormat) {
    TempDir dir;
    const std::string file = dir.Write("QUVLOCAL32.TXT",
                                       "; comment\r\n"
                                       "# 1=comment too\r\n"
                                       "\r\n"
                                       "99335=Datei nicht schreibbar: \r\n"
                                       " 10 =  blanks kept \n"
                                       "99335=second entry ignored\r"
                                       "0=never\n"
                                       "-5=negative\n"
                                       "x7=not an id\n"
                                       "12 no separator\n"
                                       "20=a=b\n"
                                       "21=\n"
                                       "30=last line");
    ASSERT_NE(L32_Object_Create(file.c_str()), 0);
    const struct {
        int32_t id;
        const char* text;  // nullptr: no text
    } cases[] = {
        {99335, "Datei nicht schreibbar: "},
        {10, "  blanks kept "},
        {0, nullptr},
        {-5, "negative"},
        {1, nullptr},
        {7, nullptr},
        {12, nullptr},
        {20, "a=b"},
        {21, ""},
        {30, "last line"},
        {4, nullptr},
    };
    for (const auto& c : cases) {
        const char* got = L32_Object_GetMessage(c.id);
        if (c.text)
            EXPECT_STREQ(got, c.text) << c.id;
        else
            EXPECT_EQ(got, nullptr) << c.id;
    }
    L32_Object_Delete();
    EXPECT_EQ(L32_Object_GetMessage(99335), nullptr);
}

TEST(LocalTexts, MissingOrUnreadableFileGivesEmptyTable) {
    TempDir dir;
    const std::string good = dir.Write("t.txt", "5=five\n");
    ASSERT_NE(L32_Object_Create(good.c_str()), 0);
    for (const std::string& bad : {dir.File("missing.txt"), dir.path()}) {
        EXPECT_EQ(L32_Object_Create(bad.c_str()), 0) << bad;
        EXPECT_EQ(L32_Object_GetMessage(5), nullptr) << bad;  // the old table is gone too
    }
}

}  // namespace
}  // namespace tolvi::test
