#include "common/aperture_tables.h"

#include <cstdlib>

#include "common/general_settings.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace tolvi {

namespace {

// Reads fields as the table writer lays them out: separated by commas or line ends, blanks
// before a field skipped, a field in double quotes taken without them (and may hold commas),
// an unquoted field losing its trailing blanks. Groups may run over lines.
class FieldReader {
public:
    explicit FieldReader(int fileNo) : fileNo_(fileNo) {}

    // False when the file gives no more fields; LineInputFile has shown the box then.
    bool Next(std::string& field) {
        for (;;) {
            if (!haveLine_) {
                int err = 0;
                LineInputFile(err, fileNo_, line_);
                if (err != 0) return false;
                haveLine_ = true;
                afterComma_ = false;
                pos_ = 0;
            }
            while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
            if (pos_ >= line_.size()) {
                haveLine_ = false;
                if (afterComma_) {  // a comma at the end of a line still opens one, empty field
                    field.clear();
                    return true;
                }
                continue;  // a blank line holds no field
            }
            if (line_[pos_] == '"') {
                const std::size_t close = line_.find('"', pos_ + 1);
                if (close == std::string::npos) {
                    field = line_.substr(pos_ + 1);
                    pos_ = line_.size();
                    afterComma_ = false;
                    return true;
                }
                field = line_.substr(pos_ + 1, close - pos_ - 1);
                SkipPast(line_.find(',', close + 1));
                return true;
            }
            const std::size_t comma = line_.find(',', pos_);
            field = RTrim(line_.substr(pos_, comma == std::string::npos ? std::string::npos : comma - pos_));
            SkipPast(comma);
            return true;
        }
    }

private:
    void SkipPast(std::size_t comma) {
        afterComma_ = comma != std::string::npos;
        pos_ = afterComma_ ? comma + 1 : line_.size();
    }

    int fileNo_;
    std::string line_;
    std::size_t pos_ = 0;
    bool haveLine_ = false;
    bool afterComma_ = false;
};

// The number of a field, rounded half to even; no decimal comma here, so a quoted "1,5" reads as
// 1. False when it does not fit 32 bits.
bool FieldNumber(const std::string& field, int32_t& out) {
    return RoundHalfEven(NumberIgnoringBlanks(field), out);
}

}  // namespace

void ResetApertureTablesState() { gApertures.assign(1, AptRec{}); }

void LoadApertureFile(int32_t& ErrCode, const std::string& Ext) {
    gApertures.assign(1, AptRec{});
    gWorkFile = platform::ResolveFixedName(gSysDir, gAperFile + Ext);
    int err = 0;
    int fileNo = 0;
    OpenForInput(err, fileNo, gWorkFile);
    if (err != 0) {
        ErrCode = 1;
        return;
    }
    FieldReader reader(fileNo);
    bool damaged = false;
    for (;;) {
        std::string f[4];
        bool complete = true;
        for (std::string& field : f)
            if (!reader.Next(field)) {
                complete = false;
                break;
            }
        if (!complete) {  // the file ended before the end group: the box is already shown
            damaged = true;
            break;
        }
        if (f[0] == "#") break;
        AptRec row;
        if (!FieldNumber(f[0], row.Size) || !FieldNumber(f[1], row.LineDcode) ||
            !FieldNumber(f[2], row.RoundDcode) || !FieldNumber(f[3], row.SquareDcode)) {
            platform::SetErrDescription("Overflow");
            ShowReadFileError(gWorkFile);
            damaged = true;
            break;
        }
        gApertures.push_back(row);
    }
    CloseFileOptKill(0, fileNo, gWorkFile);
    if (damaged) {
        AptRec one;
        one.Size = 1;
        gApertures.assign({AptRec{}, one});
        ErrCode = 1;
        return;
    }
    ErrCode = 0;
}

void FindApertureSize(int32_t& Index, int32_t Size, int32_t& InsertPos) {
    Index = 0;
    const int32_t u = gApertures.empty() ? 0 : static_cast<int32_t>(gApertures.size() - 1);
    if (u == 0) {
        InsertPos = 0;
        return;
    }
    if (Size < gApertures[1].Size) {
        InsertPos = 1;
        return;
    }
    if (Size > gApertures[static_cast<std::size_t>(u)].Size) {
        InsertPos = u + 1;
        return;
    }
    int32_t lo = 1;
    int32_t hi = u;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t s = gApertures[static_cast<std::size_t>(mid)].Size;
        if (s == Size) {
            Index = mid;
            InsertPos = mid;
            return;
        }
        if (s < Size)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    InsertPos = lo;
}

std::string FormatDcodeCell(int32_t DCode) {
    if (DCode == 0) return std::string(9, ' ');
    const int64_t magnitude = std::llabs(static_cast<int64_t>(DCode));
    return ("D" + std::to_string(magnitude) + "*     ").substr(0, 5);
}

}  // namespace tolvi
