#pragma once
// Windows-1252 <-> QString through one 256-entry table. Every byte round-trips: the five bytes
// the code page leaves undefined map to the control characters of the same number.
#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

namespace tolvi::platform {

QString ToQString(std::string_view codePageText);
// Characters outside the code page become "?"; *lossy (when given) tells whether that happened.
std::string FromQString(const QString& text, bool* lossy = nullptr);
bool IsCodePageText(const QString& text);

// Paths are the file system's bytes, not code-page text: shown and read back through the
// system's file-name encoding.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// For entry boxes: refuses any text holding a character outside the code page.
class CodePageValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace tolvi::platform
