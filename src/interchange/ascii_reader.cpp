// The ASCII database reader: the record loop, the header, the settings records, the field rules
// and the error box. The design object records are in ascii_rebuild.cpp.
#include <algorithm>
#include <array>
#include <exception>
#include <span>
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
std::string Shown(std::string_view line) {
    if (line.size() <= kShownLineBytes) return std::string(line);
    return std::string(line.substr(0, kShownLineBytes)) + "...";
}

std::string_view TrimView(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The part of a name the kernel takes: a name ends at a zero byte.
std::string_view KernelText(std::string_view t) { return t.substr(0, t.find('\0')); }

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

AsciiLoader::AsciiLoader(ExportView* View) : mView(View) {}

ExportView& AsciiLoader::View() const { return mView ? *mView : SilentExportView(); }

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

void AsciiLoader::Fail(int32_t code) const { throw LoadFailure{code, Shown(mRecord.text)}; }

void AsciiLoader::RunTimeFailure(const std::string& what) const {
    throw LoadFailure{4, mRecord.text.empty() ? what : what + ": " + Shown(mRecord.text)};
}

void AsciiLoader::MissingField(int32_t i) const { RunTimeFailure("Field " + std::to_string(i) + " missing"); }

int32_t AsciiLoader::OtherNum(int32_t i) const {
    const std::string_view t = Field(i);
    int32_t v = 0;
    if (PlainAsciiInt(t, v) || RoundHalfEven(ParseNumber(t), v)) return v;
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

void AsciiLoader::FailedRead() {
    mRecord = AsciiLine{};
    RunTimeFailure(mLines->Failure());
}

void AsciiLoader::UseFields(const std::vector<std::string_view>& views) {
    mOwnFields.resize(views.size());
    for (size_t i = 0; i < views.size(); ++i) {
        mOwnFields[i] = AsciiField{};
        if (!views[i].empty()) mOwnFields[i].begin = uint32_t(views[i].data() - mRecord.base);
        mOwnFields[i].size = uint32_t(views[i].size());
    }
    mRecord.fields = mOwnFields.data();
    mRecord.count = int32_t(views.size()) - 1;
}

bool AsciiLoader::RecoverText(int32_t type) {
    TextPlace place;
    if (!FreeTextPlace(type, place)) return false;
    const std::string_view line = mRecord.text;
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

    SplitList(line.substr(0, start - 1), mPieces);
    if (mPieces.size() != size_t(place.before) + 2) return false;
    mFieldViews.assign(mPieces.begin(), mPieces.end());
    mFieldViews.push_back(text);
    if (place.after > 0) {
        SplitList(line.substr(end + 1), mPieces);
        if (mPieces.size() != size_t(place.after) + 1) return false;
        mFieldViews.insert(mFieldViews.end(), mPieces.begin() + 1, mPieces.end());
    }
    UseFields(mFieldViews);
    return true;
}

void AsciiLoader::ExpectFields(int32_t type, int32_t count) {
    if (mRecord.count == count) return;
    if (!RecoverText(type) || mRecord.count != count) Fail(1);
}

void AsciiLoader::Header() {
    if (mRecord.count < 5) {
        // A name that begins with a double quote opens a quoted field that takes in the rest of
        // the line: then the header's fields are read as they stand between its commas.
        mPieces.assign(1, std::string_view());
        std::string_view rest = mRecord.text;
        for (size_t comma; (comma = rest.find(',')) != std::string_view::npos; rest.remove_prefix(comma + 1))
            mPieces.push_back(rest.substr(0, comma));
        mPieces.push_back(rest);
        if (mPieces.size() < 6) Fail(1);
        UseFields(mPieces);
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
    const bool current = mRecord.count >= 6 && TrimView(Field(mRecord.count)) == kAsciiFormMarker;
    const int32_t at = current ? mRecord.count - 2 : 4;
    mHierToSelect = Num(at);
    mPageToSelect = Num(at + 1);
    ReadDbLabel();
    if (current) mOlderForm = false;
}

bool AsciiLoader::SettingsRecord(int32_t type) {
    // The values from field 2 on, a field each.
    const auto fill = [&](std::span<int32_t> values) {
        for (size_t i = 0; i < values.size(); ++i) values[i] = Num(int32_t(i) + 2);
    };
    // A grid or snap record holds the inch half of its table: the chosen entry and six lengths.
    const auto inchHalf = [](decltype(gSchGrid)& table) { return std::span(table).first<7>(); };
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
            fill(inchHalf(gSchGrid));
            return true;
        case kRecLayGrid:
            fill(inchHalf(gLayGrid));
            return true;
        case kRecSchSnap:
            fill(inchHalf(gSchSnap));
            return true;
        case kRecLaySnap:
            fill(inchHalf(gLaySnap));
            return true;
        case kRecAngleSnap:
            fill(gAngleSnap);
            return true;
        case kRecPickArea:
            fill(gPickArea);
            return true;
        case kRecTraceWidths:
        case kRecRoundPads:
        case kRecSquarePads:
            // One column of the conductor sizes, every row after the airgaps.
            for (size_t row = 1; row < gCondSizes.size(); ++row)
                gCondSizes[row][size_t(type - kRecTraceWidths)] = Num(int32_t(row) + 1);
            return true;
        case kRecBusAirgaps: {
            const int32_t bus = Num(2);
            const std::array<int32_t, 3> gaps{Num(3), Num(4), Num(5)};
            gBusWidth = bus;
            E_MemCopy(E_SysTable(SysBusWidth), &gBusWidth, 4);
            gCondSizes[0] = gaps;
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
    mContext = Context{};
    mItem = ItemRec{};
    mItemText.clear();
    gViaPadStacks.assign(1, 0);
    DB_DiscardDataBase();
    gCurHierName = "MAINHIER";
    gCurPageName = "MAINPAGE";
    gCurHier = 1;
    gCurPage = 1;
    mLineCount = 0;
    mTypeView = {};
    AsciiLines lines(mFileNo, kMaxAsciiLineBytes);
    mLines = &lines;
    mRecord = AsciiLine{};
    // However the load ends, the line read last stays, and nothing points into the file's blocks.
    struct Finish {
        AsciiLoader& l;
        ~Finish() {
            l.mLine.assign(l.mRecord.text);
            l.mRecord = AsciiLine{};
            l.mLines = nullptr;
            l.mTypeView = {};
        }
    } finish{*this};
    try {
        for (;;) {
            if (mLineCount > 100) {
                View().ShowMsg("Tp:" + std::string(mTypeView));
                View().Yield();
                mLineCount = 0;
            }
            if (mCancel) {
                Result = 2;
                return;
            }
            ReadLine();
            ++mLineCount;
            if (mRecord.text.empty()) continue;
            mTypeView = Field(1).substr(0, 16);
            const int32_t type = Num(1);
            if (type == kRecHeader) {
                if (headerSeen) Fail(3);
                Header();
                headerSeen = true;
                continue;
            }
            if (!headerSeen) Fail(3);
            const int32_t count = AsciiFieldCount(type);
            if (count == 0) Fail(2);
            ExpectFields(type, count);
            if (type == kRecEnd) break;
            if (!ObjectRecord(type) && !SettingsRecord(type)) Fail(2);
        }
    } catch (const LoadFailure& f) {
        if (f.code == 0)
            platform::ui().MsgBox(f.prompt, kStyleCreateError, gAppTitle);
        else
            ReportLoadError(f.code, f.prompt);
        return;
    } catch (const std::exception& e) {
        ReportLoadError(4, std::string(e.what()) + ": " + Shown(mRecord.text));
        return;
    } catch (...) {
        ReportLoadError(4, "Unknown failure: " + Shown(mRecord.text));
        return;
    }
    Result = 0;
    OpenBitmapStore();
}

}  // namespace tolvi
