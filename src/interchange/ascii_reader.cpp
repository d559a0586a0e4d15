// The ASCII database reader: the record loop, the header, the settings records, the field rules
// and the error box. The design object records are in ascii_rebuild.cpp.
#include <algorithm>
#include <exception>
#include <string>

#include "common/bitmap_store.h"
#include "common/colour_settings.h"
#include "common/db_session.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "interchange/ascii_format.h"
#include "interchange/ascii_loader.h"
#include "interchange/object_builders.h"
#include "platform/errors.h"
#include "platform/text_files.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

constexpr int kStyleLoadError = 0x1030;    // OK, exclamation, system modal
constexpr int kStyleCreateError = 0x1010;  // OK, critical, system modal
// A line longer than this is shown cut in a box.
constexpr std::size_t kShownLineBytes = 200;

// How a load ends early: the reason code (1..3, 4 for a run-time failure, 0 when the database
// could not be made) and the text the box shows.
struct LoadFailure {
    int32_t code;
    std::string prompt;
};

// The line as a box shows it.
std::string Shown(const std::string& line) {
    if (line.size() <= kShownLineBytes) return line;
    return line.substr(0, kShownLineBytes) + "...";
}

std::string_view TrimView(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The part of a name the kernel takes: a name ends at a zero byte.
std::string_view KernelText(std::string_view t) { return t.substr(0, t.find('\0')); }

// A number as the writer writes it (blanks, a minus, at most nine digits): read at once. Anything
// else goes the general way.
bool PlainInt(std::string_view t, int32_t& v) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    const bool negative = i < t.size() && t[i] == '-';
    if (negative) ++i;
    const std::size_t digits = t.size() - i;
    if (digits == 0 || digits > 9) return false;
    int32_t n = 0;
    for (; i < t.size(); ++i) {
        const char ch = t[i];
        if (ch < '0' || ch > '9') return false;
        n = n * 10 + (ch - '0');
    }
    v = negative ? -n : n;
    return true;
}

// Where the one free text of a record type lies: after how many number fields (the type not
// counted) and before how many. Types with no such text, or with more than one, are not here.
struct TextPlace {
    int32_t before;
    int32_t after;
};

bool FreeTextPlace(int32_t type, TextPlace& place) {
    switch (type) {
        case kRecDesigner:
        case kRecRevision:
            place = {0, 0};
            return true;
        case kRecCategory:
            place = {1, 1};
            return true;
        case kRecLayer:
            place = {2, 0};
            return true;
        case kRecHierarchy:
            place = {1, 4};
            return true;
        case kRecPage:
            place = {1, 8};
            return true;
        case kRecSymbol:
            place = {2, 2};
            return true;
        case kRecSupplyPin:
        case kRecGroupPin:
            place = {1, 0};
            return true;
        case kRecNet:
        case kRecBus:
            place = {2, 1};
            return true;
        case kRecLayComp:
            place = {2, 7};
            return true;
        case kRecSchComp:
            place = {2, 10};
            return true;
        case kRecSymbolText:
        case kRecLayCompText:
        case kRecLayoutText:
        case kRecSchCompText:
        case kRecBranchText:
            place = {12, 0};
            return true;
        default:
            return false;
    }
}

}  // namespace

void ResetAsciiLoadState() {
    gAsciiLoadOK = false;
    ResetObjectBuildersState();
}

AsciiLoader::AsciiLoader(ExportView* View) : view_(View) { fields_.reserve(32); }

ExportView& AsciiLoader::View() const { return view_ ? *view_ : SilentExportView(); }

void AsciiLoader::ReportLoadError(int32_t Code, const std::string& Line) {
    std::string title = GetLocalString("ASCII Load Error: ", "99222");
    switch (Code) {
        case 1:
            title += GetLocalString("Invalid record", "99782");
            break;
        case 2:
            title += GetLocalString("Unrecognized record type", "991367");
            break;
        case 3:
            title += GetLocalString("Incorrect Record Sequence", "99773");
            break;
        default:
            break;
    }
    platform::ui().MsgBox(Line, kStyleLoadError, title);
}

void AsciiLoader::Fail(int32_t code) const { throw LoadFailure{code, Shown(mLine)}; }

void AsciiLoader::RunTimeFailure(const std::string& what) const {
    throw LoadFailure{4, mLine.empty() ? what : what + ": " + Shown(mLine)};
}

std::string_view AsciiLoader::Field(int32_t i) const {
    if (i < 1 || i > count_) RunTimeFailure("Field " + std::to_string(i) + " missing");
    return fields_[size_t(i)];
}

int32_t AsciiLoader::Num(int32_t i) const {
    const std::string_view t = Field(i);
    int32_t v = 0;
    if (PlainInt(t, v) || RoundHalfEven(ParseNumber(t), v)) return v;
    RunTimeFailure("Overflow in field " + std::to_string(i));
}

uint8_t AsciiLoader::Byte(int32_t i) const {
    const int32_t v = Num(i);
    if (v < 0 || v > 255) RunTimeFailure("Overflow in field " + std::to_string(i));
    return uint8_t(v);
}

std::string AsciiLoader::FirstWordOf(int32_t i) const {
    const std::string_view t = KernelText(Field(i));
    return std::string(t.substr(0, t.find(' ')));
}

std::string AsciiLoader::TrimmedField(int32_t i) const { return std::string(TrimView(KernelText(Field(i)))); }

void AsciiLoader::ReadLine() {
    if (!platform::ReadLine(mFileNo, mLine, kMaxAsciiLineBytes)) {
        const std::string what = platform::ErrDescription();
        mLine.clear();
        RunTimeFailure(what);
    }
}

bool AsciiLoader::RecoverText(int32_t type) {
    TextPlace place;
    if (!FreeTextPlace(type, place)) return false;
    const std::string_view line = mLine;
    // The text starts after the comma that ends the numbers before it (and the type) ...
    std::size_t start = 0;
    for (int32_t k = 0; k <= place.before; ++k) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) return false;
        start = comma + 1;
    }
    // ... and ends at the comma that starts the numbers after it.
    std::size_t end = line.size();
    for (int32_t k = 0; k < place.after; ++k) {
        const std::size_t comma = end == 0 ? std::string_view::npos : line.rfind(',', end - 1);
        if (comma == std::string_view::npos || comma < start) return false;
        end = comma;
    }
    std::string_view text = line.substr(start, end - start);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);

    SplitList(line.substr(0, start - 1), part_);
    if (part_.size() != size_t(place.before) + 2) return false;
    fields_.assign(part_.begin(), part_.end());
    fields_.push_back(text);
    if (place.after > 0) {
        SplitList(line.substr(end + 1), part_);
        if (part_.size() != size_t(place.after) + 1) return false;
        fields_.insert(fields_.end(), part_.begin() + 1, part_.end());
    }
    count_ = int32_t(fields_.size()) - 1;
    return true;
}

void AsciiLoader::ExpectFields(int32_t type) {
    if (count_ == AsciiFieldCount(type)) return;
    if (!RecoverText(type) || count_ != AsciiFieldCount(type)) Fail(1);
}

void AsciiLoader::Header() {
    if (count_ < 5) {
        // A name that begins with a double quote opens a quoted field that takes in the rest of
        // the line: then the header's fields are read as they stand between its commas.
        part_.assign(1, std::string_view());
        std::string_view rest = mLine;
        for (size_t comma; (comma = rest.find(',')) != std::string_view::npos; rest.remove_prefix(comma + 1))
            part_.push_back(rest.substr(0, comma));
        part_.push_back(rest);
        if (part_.size() < 6) Fail(1);
        fields_.swap(part_);
        count_ = int32_t(fields_.size()) - 1;
    }
    gDbName = FirstWordOf(2);
    int err = 1;
    if (DB_CreateDataBase(gDbName.c_str(), "MAINHIER", "MAINPAGE") != 0) {
        FindNameInMap(err, DB_HierarchyMap(), gCurHier, "MAINHIER");
        if (err == 0 && DB_SetCurHier(gCurHier) == 0) err = 1;
        if (err == 0) FindNameInMap(err, DB_PageMap(), gCurPage, "MAINPAGE");
        if (err == 0 && DB_SetCurPage(gCurPage) == 0) err = 1;
    }
    if (err != 0) throw LoadFailure{0, GetLocalString("Can't Create Data Base", "99301")};
    // The current form ends in the marker; a comma in the name or version only moves it.
    const bool current = count_ >= 6 && TrimView(fields_[size_t(count_)]) == kAsciiFormMarker;
    const int32_t at = current ? count_ - 2 : 4;
    mHierToSelect = Num(at);
    mPageToSelect = Num(at + 1);
    ReadDbLabel();
    if (current) mOlderForm = false;
}

bool AsciiLoader::SettingsRecord(int32_t type) {
    const auto fill = [&](int32_t* values, int32_t count) {
        for (int32_t i = 0; i < count; ++i) values[i] = Num(i + 2);
    };
    switch (type) {
        case kRecDesigner:
        case kRecRevision: {
            std::string text(Field(2));
            text.resize(DbLabelRec::kTextLen, ' ');
            (type == kRecDesigner ? gDbLabel.Designer : gDbLabel.Revision) = text;
            WriteDbLabel();
            return true;
        }
        case kRecCategory: {
            // An index out of range skips the record before its other fields are looked at.
            const int32_t id = Num(2);
            if (id < 0 || id > 63) return true;
            const int32_t colour = Num(4);
            auto& table = id < 32 ? gSchCategories : gLayCategories;
            const std::string_view name = Field(3);
            // The entry of that category, else the first free one: the tables hold the named
            // categories from the start, so a colour goes with its category wherever it stands.
            auto entry = std::find_if(table.begin(), table.end(),
                                      [&](const CategoryRec& c) { return !c.Name.empty() && c.Id == id; });
            if (entry == table.end()) {
                if (name.empty()) return true;  // a category without a name is none
                entry = std::find_if(table.begin(), table.end(),
                                     [](const CategoryRec& c) { return c.Name.empty(); });
                if (entry == table.end()) return true;
            }
            if (!name.empty()) entry->Name = std::string(name);
            entry->Id = id;
            entry->Colour = colour;
            return true;
        }
        case kRecLayerColour: {
            const int32_t layer = Num(2);
            if (layer >= 0 && layer < 32) gLayers[size_t(layer)].Colour = Num(3);
            return true;
        }
        case kRecSchGrid:
            fill(gSchGrid.data(), 7);
            return true;
        case kRecLayGrid:
            fill(gLayGrid.data(), 7);
            return true;
        case kRecSchSnap:
            fill(gSchSnap.data(), 7);
            return true;
        case kRecLaySnap:
            fill(gLaySnap.data(), 7);
            return true;
        case kRecAngleSnap:
            fill(gAngleSnap.data(), 7);
            return true;
        case kRecPickArea:
            fill(gPickArea.data(), 5);
            return true;
        case kRecTraceWidths:
        case kRecRoundPads:
        case kRecSquarePads:
            for (int32_t i = 0; i < 16; ++i)
                gCondSizes[size_t(i) + 1][size_t(type - kRecTraceWidths)] = Num(i + 2);
            return true;
        case kRecBusAirgaps: {
            const int32_t bus = Num(2);
            const int32_t gaps[3] = {Num(3), Num(4), Num(5)};
            gBusWidth = bus;
            E_MemCopy(E_SysTable(SysBusWidth), &gBusWidth, 4);
            for (int k = 0; k < 3; ++k) gCondSizes[0][size_t(k)] = gaps[k];
            return true;
        }
        case kRecTextSize: {
            const int32_t entry = Num(2);
            if (entry >= 0 && entry < 32) gTextSizes[size_t(entry)] = TextSizeRec{Num(3), Num(4), Num(5)};
            return true;
        }
        case kRecLayer: {
            const int32_t layer = Num(2);
            if (layer < 0 || layer > 31) return true;
            const int32_t enabled = Num(3);
            LayerRec& l = gLayers[size_t(layer)];
            l.Enabled = enabled;
            l.Name = TrimmedField(4);
            // The labels belong to the hierarchy read last; the option table ends with those of
            // the hierarchy the header selects (Continue).
            O_Rename(OA_Object(DB_LayerArray(), layer + 1), l.Name.c_str());
            SetLayerMaskBit(layer, enabled != 0 ? 1 : 0);
            return true;
        }
        default:
            return false;
    }
}

void AsciiLoader::LoadAsciiDatabase(int32_t& Result) {
    Result = 1;
    mOlderForm = true;
    bool headerSeen = false;
    c_ = Context{};
    mItem = ItemRec{};
    mItemText.clear();
    gViaPadStacks.assign(1, 0);
    DB_DiscardDataBase();
    gCurHierName = "MAINHIER";
    gCurPageName = "MAINPAGE";
    gCurHier = 1;
    gCurPage = 1;
    mLineCount = 0;
    type_.clear();
    try {
        for (;;) {
            if (mLineCount > 100) {
                View().ShowMsg("Tp:" + type_);
                View().Yield();
                mLineCount = 0;
            }
            if (mCancel) {
                Result = 2;
                return;
            }
            ReadLine();
            ++mLineCount;
            if (mLine.empty()) continue;
            SplitList(mLine, fields_);
            count_ = int32_t(fields_.size()) - 1;
            type_.assign(fields_[1].substr(0, 16));
            const int32_t type = Num(1);
            if (type == kRecHeader) {
                if (headerSeen) Fail(3);
                Header();
                headerSeen = true;
                continue;
            }
            if (!headerSeen) Fail(3);
            if (AsciiFieldCount(type) == 0) Fail(2);
            ExpectFields(type);
            if (type == kRecEnd) break;
            if (!SettingsRecord(type) && !ObjectRecord(type)) Fail(2);
        }
    } catch (const LoadFailure& f) {
        if (f.code == 0)
            platform::ui().MsgBox(f.prompt, kStyleCreateError, gAppTitle);
        else
            ReportLoadError(f.code, f.prompt);
        return;
    } catch (const std::exception& e) {
        ReportLoadError(4, std::string(e.what()) + ": " + Shown(mLine));
        return;
    } catch (...) {
        ReportLoadError(4, "Unknown failure: " + Shown(mLine));
        return;
    }
    Result = 0;
    OpenBitmapStore();
}

}  // namespace tolvi
