#include "platform/qt/codec.h"

#include <gtest/gtest.h>

namespace tolvi::test {
namespace {

using namespace platform;

TEST(Codec, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const QString q = ToQString(all);
    ASSERT_EQ(q.size(), 256);
    bool lossy = true;
    EXPECT_EQ(FromQString(q, &lossy), all);
    EXPECT_FALSE(lossy);
    // Every byte is its own character: no two bytes share one.
    for (int a = 0; a < 256; ++a)
        for (int b = a + 1; b < 256; ++b) ASSERT_NE(q[a], q[b]) << a << " " << b;
}

TEST(Codec, KnownCharacters) {
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {{0x41, u'A'},   {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D}, {0x96, 0x2013},
                 {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF}};
    for (const auto& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(ToQString(byte), QString(QChar(c.unicode))) << int(c.byte);
        EXPECT_EQ(FromQString(QString(QChar(c.unicode))), byte) << int(c.byte);
    }
}

TEST(Codec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    bool lossy = false;
    EXPECT_EQ(FromQString(QString::fromUtf8("a\u0394b\U0001F600c"), &lossy), "a?b?c");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(FromQString(QString(QChar(0x0080))), "?");  // a C1 control the code page uses for the euro
    EXPECT_FALSE(IsCodePageText(QString::fromUtf8("\u65B0")));
    EXPECT_TRUE(IsCodePageText(QString::fromUtf8("\u20AC caf\u00E9")));

    CodePageValidator v;
    QString text = QString::fromUtf8("\u0394");
    int pos = 0;
    EXPECT_EQ(v.validate(text, pos), QValidator::Invalid);
}

}  // namespace
}  // namespace tolvi::test
