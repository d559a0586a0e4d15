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
// Every operation sets Result: 0 written, 1 write failure (the box is shown and the unfinished
// file dropped, the previous file at that name untouched), 2 cancelled (nothing more written; the
// file stays open for the caller to drop). Callers stop at the first non-zero result and hand it
// up unchanged.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
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

class RecordOutput {
public:
    static constexpr int32_t kMaxFields = 30;

    explicit RecordOutput(ExportView* view = nullptr);
    virtual ~RecordOutput();

    // mFields[1] is the record type, 2 onward the data fields; 0 is never written.
    std::array<std::string, kMaxFields + 1> mFields;
    std::string mLineEnd;  // CR LF, set by each writer before its first record
    int mFileNo = 0;
    int32_t mLineCount = 0;  // records since the last yield
    bool mCancel = false;    // the user's cancel request, seen before the next record

    void ShowMsg(const std::string& Text) { view_->ShowMsg(Text); }

    // Before an export: nothing gathered, record counter 0, cancel flag clear.
    void ResetOutput();

    // Joins fields 1..Count with "," (WriteRecordSep: with Separator), appends mLineEnd and writes
    // the line. Every 101 records it yields first; a cancel is honoured before any record.
    void WriteRecord(int32_t& Result, const int32_t& Count);
    void WriteRecordSep(int32_t& Result, const int32_t& Count, std::string_view Separator);
    // The 15-field item record. The shape values Item's Kind does not use are set to 0 in Item
    // itself: lines and rectangles P4, P5; circles P3..P5; arcs P5.
    void WriteItemRecord(int32_t& Result, std::string_view RecordType, ItemRec& Item);
    // The 14-field text record: the item's text between quotes in place of P4; P5 is not written.
    void WriteTextRecord(int32_t& Result, std::string_view RecordType, const ItemRec& Item);

    // --- a record built straight in the buffer: BeginRecord, the fields in order, then WriteLine,
    // which does what WriteRecord does once the fields are joined ---
    void BeginRecord(std::string_view Type) {
        used_ = recordStart_;  // a record begun and never written is dropped
        Put(Type);
    }
    [[gnu::always_inline]] void AddNum(int64_t v) {  // "," and " n" / "-n"
        if (v >= INT32_MIN && v <= INT32_MAX) {
            char* p = Room(5);
            p[0] = char(kTapeNum32);
            const int32_t n = int32_t(v);
            std::memcpy(p + 1, &n, 4);
            used_ += 5;
        } else {
            char* p = Room(9);
            p[0] = char(kTapeNum64);
            std::memcpy(p + 1, &v, 8);
            used_ += 9;
        }
    }
    void AddText(std::string_view text);  // "," and the text
    void AddQuoted(const char* text);     // "," and the kernel text between quotes; null is ""
    void WriteLine(int32_t& Result) {
        Result = 0;
        if ((mLineCount > 100 || mCancel) && !MayWrite(Result)) return;
        ++mLineCount;
        Put(mLineEnd);
        recordStart_ = used_;
        if (used_ >= kWriteSize) WriteOut(Result, false);
    }

    // --- filling fields ---
    void SetField(int32_t i, std::string_view text) { mFields[i].assign(text); }
    void SetPlainNum(int32_t i, int64_t v);

    // --- the file ---
    // Opens Path for output (its box shown on failure: Result 1), remembers it as the file to
    // drop on a failure and sets the line end to CR LF.
    void OpenOutput(int32_t& Result, const std::string& Path);
    // Ends the file by the writer's result: 0 writes the lines still gathered and closes it (a
    // failure to put it on disk shows the write-error box and turns Result into 1); 1 and 2 drop
    // it if it is still open.
    void EndOutput(int32_t& Result);

    // A tape is made of runs of text, each a length byte (below kTapeNum32) and the bytes, and of
    // numbers, a tag byte and the value as it lies in memory.
    static constexpr uint8_t kTapeNum32 = 0x80;
    static constexpr uint8_t kTapeNum64 = 0x81;
    static constexpr size_t kTapeRun = 0x7F;  // the longest run of text
    // The text of a tape, at out (room for 3 bytes per tape byte); returns the end.
    static char* FormatTape(const char* tape, size_t n, char* out);

private:
    static constexpr size_t kWriteSize = 256 * 1024;
    static constexpr size_t kTapesBeforeWorkers = 4;
    struct Pipeline;
    // Bytes written before they are read: never cleared (fresh pages stay untouched until used).
    class Bytes {
    public:
        char* data() const { return p_.get(); }
        size_t size() const { return n_; }
        // Room for at least n bytes, the first keep of them kept.
        void reserve(size_t n, size_t keep = 0) {
            if (n <= n_) return;
            auto fresh = std::make_unique_for_overwrite<char[]>(n);
            if (keep) std::memcpy(fresh.get(), p_.get(), keep);
            p_ = std::move(fresh);
            n_ = n;
        }

    private:
        std::unique_ptr<char[]> p_;
        size_t n_ = 0;
    };

    void Write(int32_t& Result, int32_t Count, std::string_view Separator);
    // WriteLine's yield every 101 records and its cancel: false (Result 2) when the record is not
    // to be written.
    bool MayWrite(int32_t& Result);
    // One run of text made of head, text and tail (text longer than a run: several).
    void PutJoined(std::string_view head, std::string_view text, std::string_view tail);
    void AddItemFields(const ItemRec& Item);

    // Room for n more bytes in the tape.
    char* Room(size_t n) {
        if (used_ + n > buffer_.size()) [[unlikely]]
            Grow(n);
        return buffer_.data() + used_;
    }
    void Grow(size_t n);
    void Put(std::string_view text) {
        // Record types and line ends are copied without a call.
        if (text.size() == 4) {
            char* to = Room(5);
            to[0] = 4;
            std::memcpy(to + 1, text.data(), 4);
            used_ += 5;
        } else if (text.size() == 2) {
            char* to = Room(3);
            to[0] = 2;
            std::memcpy(to + 1, text.data(), 2);
            used_ += 3;
        } else {
            PutLonger(text);
        }
    }
    void PutLonger(std::string_view text);
    // Hands the tape gathered to the file (through its text); on a failure drops the file
    // (Result 1). At the end (last) it waits for every text to be written.
    void WriteOut(int32_t& Result, bool last);
    // Drops what is gathered and not written.
    void DropOutput();

    // Finished lines, then the record being built from recordStart_ on.
    Bytes buffer_;
    size_t used_ = 0;
    size_t recordStart_ = 0;
    Bytes text_;  // the text of a tape turned here
    std::unique_ptr<Pipeline> pipeline_;
    size_t tapes_ = 0;  // tapes of this file turned here so far

    ExportView* view_;
    std::string path_;
};

}  // namespace tolvi
