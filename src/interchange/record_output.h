#pragma once
// Record line output: every text file of the save-and-export window (the ASCII database and the
// three netlists) leaves the program one record line at a time through here. The fields of a
// record are set, then joined with a separator and ended by mLineEnd. Finished lines gather in a
// buffer as a tape: their texts as they stand, their numbers still as numbers. Each tape of about
// 256 KiB is turned into the lines' text (on worker threads, once the file has shown itself large,
// while the next tape fills) and the texts go in order to the program's text-file routines
// (common/utilities), the last when the file is ended. Those write to a temporary file beside the
// target and put it in place only when the file is closed.
//
// The output keeps its result, as a file keeps its error: 0 written, 1 write failure (the box is
// shown and the unfinished file dropped, the previous file at that name untouched), 2 cancelled
// (nothing more written; the file stays open for EndOutput to drop). Once it is not 0, every
// record is dropped unwritten and nothing yields again, so a writer may go on to the end of a
// loop; it asks Ok() only where going on would cost time or show progress.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "interchange/ascii_format.h"
#include "kernel/kernel.h"

namespace tolvi {

// What a long export shows and lets happen while it runs.
class ExportView {
public:
    virtual ~ExportView() = default;
    // The status line. It need not repaint at once: the yield repaints it.
    virtual void ShowMsg(const std::string& Text) = 0;
    // Lets pending window events run, the Cancel button's click among them.
    virtual void Yield() = 0;
};

// A view that shows nothing and yields through the Ui service.
ExportView& SilentExportView();

// The status line of a section of the current hierarchy ("Hier: MAIN/Netlist") and of its
// current page ("Hier: MAIN Page: P1/Branches"); Section comes localised.
std::string HierStatus(const std::string& Section);
std::string PageStatus(const std::string& Section);

// A name field of a record: the kernel text between quotes (null is ""), as Record writes it.
struct Quoted {
    const char* text;
};

class RecordOutput {
public:
    static constexpr int32_t kMaxFields = 30;

    explicit RecordOutput(ExportView* view = nullptr);
    virtual ~RecordOutput();

    // mFields[1] is the first field, 2 onward the others; 0 is never written.
    std::array<std::string, kMaxFields + 1> mFields;
    std::string mLineEnd;  // CR LF, set when the file is opened
    int mFileNo = 0;
    int32_t mLineCount = 0;  // records since the last yield
    bool mCancel = false;    // the user's cancel request, seen before the next record

    void ShowMsg(const std::string& Text) { mView->ShowMsg(Text); }

    // 0 written so far, 1 failed, 2 cancelled.
    int32_t Result() const { return mResult; }
    bool Ok() const { return mResult == 0; }
    // A failure met outside the output (a writer that could not go on): the file is dropped at
    // its end.
    void Fail() { mResult = 1; }

    // Before an export: nothing gathered, record counter 0, cancel flag clear, result 0.
    void ResetOutput();

    // Joins fields 1..Count with "," (WriteRecordSep: with Separator), appends mLineEnd and writes
    // the line. Every 101 records it yields first; a cancel is honoured before any record.
    void WriteRecord(int32_t Count) { Write(Count, ","); }
    void WriteRecordSep(int32_t Count, std::string_view Separator) { Write(Count, Separator); }
    // A line of one field.
    void WriteSingle(std::string_view Text) {
        BeginLine(Text);
        WriteLine();
    }
    // The 15-field item record. The shape values Item's Kind does not use are set to 0 in Item
    // itself: lines and rectangles P4, P5; circles P3..P5; arcs P5.
    void WriteItemRecord(AsciiRecordType Type, ItemRec& Item);
    // The 14-field text record: the item's text between quotes in place of P4; P5 is not written.
    void WriteTextRecord(AsciiRecordType Type, const ItemRec& Item);

    // --- a record built straight in the buffer: BeginRecord, the fields in order, then WriteLine,
    // which does what WriteRecord does once the fields are joined ---
    void BeginRecord(AsciiRecordType Type) {
        mUsed = mRecordStart;  // a record begun and never written is dropped
        char* to = Room(5);
        to[0] = 4;
        WriteRecordTypeDigits(to + 1, Type);
        mUsed += 5;
    }
    [[gnu::always_inline]] void AddNum(int64_t v) {  // "," and " n" / "-n"
        if (v >= INT32_MIN && v <= INT32_MAX) {
            char* p = Room(5);
            p[0] = char(kTapeNum32);
            const int32_t n = int32_t(v);
            std::memcpy(p + 1, &n, 4);
            mUsed += 5;
        } else {
            char* p = Room(9);
            p[0] = char(kTapeNum64);
            std::memcpy(p + 1, &v, 8);
            mUsed += 9;
        }
    }
    void AddText(std::string_view text);  // "," and the text
    void AddQuoted(const char* text);     // "," and the kernel text between quotes; null is ""
    void WriteLine() {
        if (mResult != 0 || ((mLineCount > 100 || mCancel) && !MayWrite())) {
            mUsed = mRecordStart;  // the record goes unwritten
            return;
        }
        ++mLineCount;
        Put(mLineEnd);
        mRecordStart = mUsed;
        if (mUsed >= kWriteSize) WriteOut(false);
    }
    // A whole record: numbers as AddNum, Quoted names as AddQuoted, other texts as AddText.
    template <class... Fields>
    void Record(AsciiRecordType Type, const Fields&... fields) {
        BeginRecord(Type);
        (Add(fields), ...);
        WriteLine();
    }

    // --- filling fields ---
    void SetField(int32_t i, std::string_view text) { mFields[i].assign(text); }
    void SetPlainNum(int32_t i, int64_t v);

    // --- the file ---
    // Opens Path for output (its box shown on failure: result 1), remembers it as the file to
    // drop on a failure and sets the line end to CR LF.
    void OpenOutput(const std::string& Path);
    // Ends the file by the result: 0 writes the lines still gathered and closes it (a failure to
    // put it on disk shows the write-error box and turns the result into 1); 1 and 2 drop it if
    // it is still open.
    void EndOutput();

    // A tape is made of runs of text, each a length byte (below kTapeNum32) and the bytes, and of
    // numbers, a tag byte and the value as it lies in memory.
    static constexpr uint8_t kTapeNum32 = 0x80;
    static constexpr uint8_t kTapeNum64 = 0x81;
    static constexpr size_t kTapeRun = 0x7F;  // the longest run of text
    // The text of a tape, at out (room for 3 bytes per tape byte); returns the end.
    static char* FormatTape(const char* tape, size_t n, char* out);

private:
    static constexpr size_t kWriteSize = size_t{256} * 1024;
    static constexpr size_t kTapesBeforeWorkers = 4;
    struct Pipeline;
    // Bytes written before they are read: never cleared (fresh pages stay untouched until used).
    class Bytes {
    public:
        char* data() const { return mData.get(); }
        size_t size() const { return mSize; }
        // Room for at least n bytes, the first keep of them kept.
        void reserve(size_t n, size_t keep = 0) {
            if (n <= mSize) return;
            auto fresh = std::make_unique_for_overwrite<char[]>(n);
            if (keep) std::memcpy(fresh.get(), mData.get(), keep);
            mData = std::move(fresh);
            mSize = n;
        }

    private:
        std::unique_ptr<char[]> mData;
        size_t mSize = 0;
    };

    template <class Field>
    void Add(const Field& field) {
        if constexpr (std::is_integral_v<Field>)
            AddNum(field);
        else if constexpr (std::is_same_v<Field, Quoted>)
            AddQuoted(field.text);
        else
            AddText(field);
    }
    // Starts a line whose first field is text.
    void BeginLine(std::string_view text) {
        mUsed = mRecordStart;
        Put(text);
    }
    void Write(int32_t Count, std::string_view Separator);
    // WriteLine's yield every 101 records and its cancel: false (result 2) when the record is not
    // to be written.
    bool MayWrite();
    // One run of text made of head, text and tail (text longer than a run: several).
    void PutJoined(std::string_view head, std::string_view text, std::string_view tail);
    void AddItemFields(const ItemRec& Item);

    // Room for n more bytes in the tape.
    char* Room(size_t n) {
        if (mUsed + n > mBuffer.size()) [[unlikely]]
            Grow(n);
        return mBuffer.data() + mUsed;
    }
    void Grow(size_t n);
    void Put(std::string_view text) {
        // Line ends are copied without a call.
        if (text.size() == 2) {
            char* to = Room(3);
            to[0] = 2;
            std::memcpy(to + 1, text.data(), 2);
            mUsed += 3;
        } else {
            PutLonger(text);
        }
    }
    void PutLonger(std::string_view text);
    // Hands the tape gathered to the file (through its text); on a failure drops the file
    // (result 1). At the end (last) it waits for every text to be written.
    void WriteOut(bool last);
    // Drops what is gathered and not written.
    void DropOutput();

    int32_t mResult = 0;
    // Finished lines, then the record being built from mRecordStart on.
    Bytes mBuffer;
    size_t mUsed = 0;
    size_t mRecordStart = 0;
    Bytes mText;  // the text of a tape turned here
    std::unique_ptr<Pipeline> mPipeline;
    size_t mTapes = 0;  // tapes of this file turned here so far

    ExportView* mView;
    std::string mPath;
};

}  // namespace tolvi
