#include "common/settings_access.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/numbers.h"
#include "common/utilities.h"
#include "platform/profile.h"

namespace tolvi {

namespace {

// The single-precision value of a field. A value beyond the single range overflows to an
// infinity of its sign rather than to an undefined conversion, so that a loader taking the field
// as a 32-bit number finds it does not fit and leaves its entry as it was.
float ToSingle(double v) {
    if (std::fabs(v) > static_cast<double>(FLT_MAX))
        return v > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

void AddField(std::string field) {
    const float num = ToSingle(ParseNumber(field));
    gTokStr.push_back(std::move(field));
    gTokNum.push_back(num);
}

// Open settings operations, and whether the current one has shown its write-error box.
int gOperations = 0;
bool gOperationReported = false;

void ReportWriteFailure() {
    if (gOperations > 0) {
        if (gOperationReported) return;
        gOperationReported = true;
    }
    ShowWriteFileError(gWorkFile);
}

void WriteKey(const std::string& Section, const std::string& Key, const std::string* Value, int& Err) {
    gWorkFile = gIniFile;
    if (platform::ProfileWriteString(Section, Key, Value, gIniFile)) {
        Err = 0;
        return;
    }
    ReportWriteFailure();
    Err = 1;
}

}  // namespace

SettingsOperation::SettingsOperation() {
    ++gOperations;
    platform::ProfileBeginBatch();
}

SettingsOperation::~SettingsOperation() {
    std::vector<std::string> failed;
    const bool written = platform::ProfileEndBatch(&failed);
    if (--gOperations > 0) return;
    const bool reported = gOperationReported;
    gOperationReported = false;
    if (written || reported || failed.empty()) return;
    try {
        gWorkFile = failed.front();
        ShowWriteFileError(gWorkFile);
    } catch (...) {
        // A box that cannot be shown must not end the program from a destructor.
    }
}

void ResetSettingsAccessState() {
    gOperations = 0;
    gOperationReported = false;
    gIniFile.clear();
    gTokStr.assign(1, std::string());
    gTokNum.assign(1, 0.0f);
}

void IniGetString(const std::string& Section, const std::string& Key, const std::string& Default,
                  std::string& Value) {
    gWorkFile = gIniFile;
    gIniBuf = platform::ProfileGetString(Section, Key, Default, gIniFile, kIniBufSize);
    Value = gIniBuf;
}

void IniPutString(const std::string& Section, const std::string& Key, const std::string& Value, int& Err) {
    WriteKey(Section, Key, &Value, Err);
}

void IniDeleteKey(const std::string& Section, const std::string& Key, int& Err) {
    WriteKey(Section, Key, nullptr, Err);
}

void SplitList(std::string_view Text, std::vector<std::string_view>& Fields) {
    Fields.clear();
    Fields.emplace_back();
    const std::size_t L = Text.size();
    std::size_t pos = 0;  // 0-based here
    for (;;) {
        if (pos < L && Text[pos] == '"' && pos + 1 < L) {
            const std::size_t k = Text.find('"', pos + 1);
            if (k == std::string_view::npos) {
                // Unclosed quote: the rest, quote included, is the last field.
                Fields.push_back(Text.substr(pos));
                break;
            }
            const std::size_t comma = Text.find(',', k + 1);
            const std::size_t end = comma == std::string_view::npos ? L : comma;
            // The character before the comma (or the end) is taken as the closing quote.
            Fields.push_back(Text.substr(pos + 1, end - 1 - (pos + 1)));
            // No empty field follows a quoted field, even before a final comma.
            if (comma == std::string_view::npos || comma + 1 >= L) break;
            pos = comma + 1;
        } else {
            // Fields are short: a plain scan beats a library search call per field.
            std::size_t comma = pos;
            while (comma < L && Text[comma] != ',') ++comma;
            if (comma == L) {
                Fields.push_back(pos < L ? Text.substr(pos) : std::string_view());
                break;
            }
            Fields.push_back(Text.substr(pos, comma - pos));
            pos = comma + 1;
            if (pos >= L) {
                Fields.emplace_back();  // a final comma gives one more, empty field
                break;
            }
        }
    }
}

void ParseList(const std::string& Text) {
    std::vector<std::string_view> fields;
    SplitList(Text, fields);
    gTokStr.assign(1, std::string());
    gTokNum.assign(1, 0.0f);
    for (std::size_t i = 1; i < fields.size(); ++i) AddField(std::string(fields[i]));
    gTokNum[0] = static_cast<float>(gTokStr.size() - 1);
}

double ParseNumber(std::string_view Text) {
    const std::size_t comma = Text.find(',');
    if (comma == std::string_view::npos) return NumberIgnoringBlanks(Text);
    std::string s(Text);
    s[comma] = '.';  // a decimal comma
    return NumberIgnoringBlanks(s);
}

}  // namespace tolvi
