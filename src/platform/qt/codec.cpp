#include "platform/qt/codec.h"

#include <QFile>
#include <array>

namespace tolvi::platform {

namespace {
// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> MakeTable() {
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<char16_t>(i);
    for (int i = 0; i < 32; ++i) t[0x80 + i] = kHigh[i];
    return t;
}
constexpr std::array<char16_t, 256> kTable = MakeTable();

// The byte of a UTF-16 unit, or -1 when the code page has none.
int ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}
}  // namespace

QString ToQString(std::string_view codePageText) {
    QString out(static_cast<qsizetype>(codePageText.size()), Qt::Uninitialized);
    QChar* d = out.data();
    for (size_t i = 0; i < codePageText.size(); ++i)
        d[i] = QChar(kTable[static_cast<unsigned char>(codePageText[i])]);
    return out;
}

std::string FromQString(const QString& text, bool* lossy) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    bool lost = false;
    for (char32_t c : text.toUcs4()) {
        int b = ByteOf(c);
        if (b < 0) {
            lost = true;
            b = '?';
        }
        out.push_back(static_cast<char>(b));
    }
    if (lossy) *lossy = lost;
    return out;
}

bool IsCodePageText(const QString& text) {
    bool lossy = false;
    FromQString(text, &lossy);
    return !lossy;
}

QValidator::State CodePageValidator::validate(QString& input, int&) const {
    return IsCodePageText(input) ? Acceptable : Invalid;
}

QString PathToQString(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace tolvi::platform
