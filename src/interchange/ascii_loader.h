#pragma once
// The ASCII database load: the work of the load window (QUVLASC) without the window, so that the
// window, the tests and the fuzz target all run the same sequence.
//
// LoadAsciiDatabase reads an ASCII database file (interchange/ascii_format.h) line by line into a
// new database: it discards the open one, checks every record (the header first and once, each
// record type's exact field count, a number in every number field that fits 32 bits), stores the
// settings records in the option tables (and the bus width at once in the database), and rebuilds
// every design object under the id the file gives it, each child belonging to the parent record
// read last before it. It stops at the end record 9999, at the first bad record, or when
// mCancel is set (it yields to the window every 101 lines). A file whose header lacks the marker
// "$NT00$" is of the older form: Continue converts it to the current units after the load.
//
// Result codes: 0 loaded, 1 failed (one error box names the line), 2 cancelled. After a result
// other than 0 Continue leaves a fresh "Untitled" database with the option values of the
// settings file, and tells the modules ("UP").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/ascii_lines.h"
#include "interchange/record_output.h"
#include "kernel/kernel.h"

namespace tolvi {

// False when the load window loads; true once it has loaded a file. The File menu's command reads
// it after the window has closed.
inline bool gAsciiLoadOK = false;

void ResetAsciiLoadState();

// The longest line a file may hold; a longer one fails the load.
constexpr std::size_t kMaxAsciiLineBytes = 1 << 20;

class AsciiLoader {
public:
    // View shows the record type at the yields and lets the window's events run there; null for
    // none (the Ui service's yield).
    explicit AsciiLoader(ExportView* View = nullptr);

    // --- the window's state, one load per showing ---
    bool mCancel = false;  // the user's cancel request, seen before the next line
    std::string mLine;     // the line read last (once the load has ended)
    int mFileNo = 0;
    int32_t mLineCount = 0;  // lines since the last yield
    bool mOlderForm = false;
    int32_t mHierToSelect = 0;  // the header's hierarchy and page, selected after the load
    int32_t mPageToSelect = 0;

    // What the window does when it loads, besides its own looks: Default scope ticked (Current
    // unticked), every option set from the settings file, the hierarchy and page to select.
    void FormLoad();
    // The load of gExportFile: opens it (its box shown when it cannot be: -1, nothing changed),
    // reads it, converts an older-form file, resets after a failure, selects the header's
    // hierarchy and page, stores the option tables into the database and goes back to Default
    // scope. Message = the result for the status line. Returns 0, 1 or 2 (or -1).
    int32_t Continue(std::string& Message);

    // --- the reader ---
    // Opens Path (its box shown when it cannot be: -1), reads it with LoadAsciiDatabase and
    // closes it; the reader's result.
    int32_t ReadFile(const std::string& Path);
    void LoadAsciiDatabase(int32_t& Result);
    // The error box: "ASCII Load Error: " with the reason of Code (1 "Invalid record",
    // 2 "Unrecognized record type", 3 "Incorrect Record Sequence", any other none) above Line.
    static void ReportLoadError(int32_t Code, const std::string& Line);

    // The fields of the current record into the item, entry (pin) and pad records.
    void UnpackItemRecord();
    void UnpackEntryRecord();
    void UnpackPadRecord();
    ItemRec mItem;
    std::string mItemText;
    EntryRec mEntry;
    std::string mEntryName;
    std::string mSimName;
    EntryRec mPad;

private:
    // The rebuild's context: the parent records read last.
    struct Context {
        int32_t padNumber = 0, padId = 0;
        int32_t symbol = 0, device = 0, group = 0;
        int32_t net = 0, node = 0, bus = 0, member = 0;
        int32_t layComp = 0, trace = 0, schComp = 0, branch = 0;
    };

    ExportView& View() const;
    void ReadLine() {
        if (mLines->BlockEnds() && mTypeView.data() != mType.data()) {
            mType.assign(mTypeView);
            mTypeView = mType;
        }
        if (!mLines->Next(mRecord)) FailedRead();
    }
    [[noreturn]] void FailedRead();
    // The current record's fields from views into its line (the slow ways of taking a line).
    void UseFields(const std::vector<std::string_view>& views);
    void Header();
    // The settings and label records; false for a type that is none of them.
    bool SettingsRecord(int32_t type);
    // The design object records; false for a type that is none of them. ObjectRecord hands a
    // record to the handler of its family, which is false for a type not of the family.
    bool ObjectRecord(int32_t type);
    bool PadStackRecord(int32_t type);   // via padstacks and their items
    bool SymbolRecord(int32_t type);     // symbols: pins, pads, items and texts, padstacks
    bool PartRecord(int32_t type);       // parts: supply pins, groups and their pins
    bool HierarchyRecord(int32_t type);  // a hierarchy's start and its end
    bool NetRecord(int32_t type);        // nets and nodes, buses and members
    bool LayoutRecord(int32_t type);     // vias, bend points, components, traces, free texts
    bool SchematicRecord(int32_t type);  // pages, junctions, components, branches
    // The steps the handlers share. A hierarchy or page: one of that name (the header's main one)
    // is taken over by its id, any other is made under the id.
    void TakeOver(int32_t map, int32_t id, const std::string& name, int32_t (*create)(int32_t, const char*));
    // A padstack record (fields number, Status, HoleA, HoleB) made in map, the padstack map of
    // symbol (0 for the via padstacks): the writer never numbers one below 1, and the kernel keeps
    // 0 for none.
    void PadStackHead(int32_t symbol, int32_t map);
    // An item record of the padstack read last; passed over when there is none (a via padstack
    // past the seventh).
    void PadStackItem();
    // An item or text record added to the items of its owner (AddItemOrText's OwnerKind, Owner).
    void AddItem(int32_t ownerKind, int32_t owner);
    // The field count the type demands (count); a wrong one is mended when the record has one free
    // text (a comma inside it), else the record fails.
    void ExpectFields(int32_t type, int32_t count);
    bool RecoverText(int32_t type);

    // Field i of the current record, as it stands; a missing one is a run-time failure.
    std::string_view Field(int32_t i) const {
        if (i < 1 || i > mRecord.count) MissingField(i);
        return {mRecord.base + mRecord.fields[i].begin, mRecord.fields[i].size};
    }
    // Field i as a 32-bit number, read with ParseNumber's rules and rounded half to even; one
    // that does not fit is a run-time failure. A plain number was read with the line.
    int32_t Num(int32_t i) const {
        if (i >= 1 && i <= mRecord.count && mRecord.fields[i].plain) return mRecord.fields[i].value;
        return OtherNum(i);
    }
    int32_t OtherNum(int32_t i) const;
    [[noreturn]] void MissingField(int32_t i) const;
    uint8_t Byte(int32_t i) const;
    std::string FirstWordOf(int32_t i) const;
    std::string TrimmedField(int32_t i) const;

    // Failures: each throws, and the load ends with its one box.
    [[noreturn]] void Fail(int32_t code) const;                       // 1, 2 or 3 with the line
    [[noreturn]] void RunTimeFailure(const std::string& what) const;  // the box without reason
    void Check(bool ok) const {
        if (!ok) Fail(1);
    }
    // A builder's Err.
    void Built(int32_t err) const { Check(err == 0); }
    // A create call that must give back the record's id.
    void Created(int32_t got, int32_t id) const { Check(got == id && got != 0); }

    ExportView* mView;
    AsciiLines* mLines = nullptr;  // the file being read
    // The current line and its fields (1-based), as the line source split them, or in mOwnFields
    // when they were taken again another way. Its text is empty after a failed read.
    AsciiLine mRecord;
    std::vector<AsciiField> mOwnFields;
    std::vector<std::string_view> mPieces;      // scratch of RecoverText and Header: pieces of the line
    std::vector<std::string_view> mFieldViews;  // and the fields RecoverText makes of them
    // Field 1 of the record read last, as the status line shows it: a view into its line, kept
    // in mType once the line's block is to go.
    std::string_view mTypeView;
    std::string mType;
    Context mContext;
};

}  // namespace tolvi
