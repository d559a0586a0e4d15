#pragma once
// Record line output: every text file of the save-and-export window (the ASCII database and the
// three netlists) leaves the program one record line at a time through here. The fields of a
// record are set, then joined with a separator and ended by mLineEnd; finished lines gather in
// one reused buffer, which goes to the program's text-file routines (common/utilities) in pieces
// of about 64 KiB and when the file is ended. Those write to a temporary file beside the target
// and put it in place only when the file is closed.
//
// Every operation sets Result: 0 written, 1 write failure (the box is shown and the unfinished
// file dropped, the previous file at that name untouched), 2 cancelled (nothing more written; the
// file stays open for the caller to drop). Callers stop at the first non-zero result and hand it
// up unchanged.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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
    virtual ~RecordOutput() = default;

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
        char* p = Room(kLongestNum);
        p[0] = ',';
        if (uint64_t(v) < 10) {  // most numbers of a design file: flags, counts, zeros
            p[1] = ' ';
            p[2] = char('0' + v);
            used_ += 3;
            return;
        }
        AddLongerNum(p, v);
    }
    void AddText(std::string_view text);  // "," and the text
    void AddQuoted(const char* text);     // "," and the kernel text between quotes; null is ""
    void WriteLine(int32_t& Result);

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

private:
    static constexpr size_t kWriteSize = 64 * 1024;

    void Write(int32_t& Result, int32_t Count, std::string_view Separator);
    // AddNum's number from the comma at p on.
    void AddLongerNum(char* p, int64_t v);
    void AddItemFields(const ItemRec& Item);
    static constexpr size_t kLongestNum = 22;  // ",-9223372036854775808"

    // Room for n more bytes in the buffer.
    char* Room(size_t n) {
        if (used_ + n > buffer_.size()) [[unlikely]]
            Grow(n);
        return buffer_.data() + used_;
    }
    void Grow(size_t n);
    void Put(std::string_view text) {
        char* to = Room(text.size());
        // Record types and line ends are copied without a call.
        switch (text.size()) {
            case 0:
                return;
            case 2:
                std::memcpy(to, text.data(), 2);
                break;
            case 4:
                std::memcpy(to, text.data(), 4);
                break;
            default:
                std::memcpy(to, text.data(), text.size());
                break;
        }
        used_ += text.size();
    }
    // Hands the gathered lines to the file; on a failure drops the file (Result 1).
    void WriteOut(int32_t& Result);

    // Finished lines, then the record being built from recordStart_ on.
    std::vector<char> buffer_ = std::vector<char>(kWriteSize + 4096);
    size_t used_ = 0;
    size_t recordStart_ = 0;

    ExportView* view_;
    std::string path_;
};

}  // namespace tolvi
