#include "interchange/record_output.h"

#include <algorithm>
#include <cstring>

#include "common/utilities.h"
#include "interchange/ascii_format.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

class Silent : public ExportView {
public:
    void ShowMsg(const std::string&) override {}
    void Yield() override { platform::ui().DoEvents(); }
};

}  // namespace

ExportView& SilentExportView() {
    static Silent view;
    return view;
}

RecordOutput::RecordOutput(ExportView* view) : view_(view ? view : &SilentExportView()) {}

void RecordOutput::ResetOutput() {
    used_ = recordStart_ = 0;
    mLineCount = 0;
    mCancel = false;
}

void RecordOutput::Write(int32_t& Result, int32_t Count, std::string_view Separator) {
    BeginRecord(mFields[1]);
    for (int32_t i = 2; i <= Count; ++i) {
        Put(Separator);
        Put(mFields[i]);
    }
    WriteLine(Result);
}

void RecordOutput::WriteLine(int32_t& Result) {
    Result = 0;
    if (mLineCount > 100) {
        view_->Yield();
        mLineCount = 0;
    }
    if (mCancel) {
        used_ = recordStart_;  // the record goes unwritten
        Result = 2;
        return;
    }
    ++mLineCount;
    Put(mLineEnd);
    recordStart_ = used_;
    if (used_ >= kWriteSize) WriteOut(Result);
}

void RecordOutput::WriteOut(int32_t& Result) {
    if (used_ == 0) return;
    const std::string_view lines(buffer_.data(), used_);
    used_ = recordStart_ = 0;
    int err = 0;
    PrintLineFile(err, mFileNo, lines);
    Result = err;
    // PrintLineFile has shown its box; what was written goes, a file already at that name stays.
    if (Result != 0) AbandonFile(mFileNo);
}

void RecordOutput::WriteRecord(int32_t& Result, const int32_t& Count) { Write(Result, Count, ","); }

void RecordOutput::WriteRecordSep(int32_t& Result, const int32_t& Count, std::string_view Separator) {
    Write(Result, Count, Separator);
}

void RecordOutput::AddItemFields(const ItemRec& Item) {
    for (const int32_t v : {Item.Kind, Item.Attr, Item.Link, Item.X, Item.Y, int32_t(Item.StyleA),
                            int32_t(Item.StyleB), Item.Width, Item.Gap, Item.Angle, Item.P2, Item.P3})
        AddNum(v);
}

void RecordOutput::WriteItemRecord(int32_t& Result, std::string_view RecordType, ItemRec& Item) {
    switch (Item.Kind) {
        case 1:
        case 3:
            Item.P4 = Item.P5 = 0;
            break;
        case 4:
            Item.P3 = Item.P4 = Item.P5 = 0;
            break;
        case 5:
            Item.P5 = 0;
            break;
        default:
            break;
    }
    BeginRecord(RecordType);
    AddItemFields(Item);
    AddNum(Item.P4);
    AddNum(Item.P5);
    WriteLine(Result);
}

void RecordOutput::WriteTextRecord(int32_t& Result, std::string_view RecordType, const ItemRec& Item) {
    BeginRecord(RecordType);
    AddItemFields(Item);
    AddQuoted(Item.Text);
    WriteLine(Result);
}

void RecordOutput::Grow(size_t n) { buffer_.resize(std::max(used_ + n, 2 * buffer_.size())); }

void RecordOutput::AddLongerNum(char* p, int64_t v) {
    if (v >= 0) *++p = ' ';
    used_ = size_t(FormatDecimal(p + 1, v) - buffer_.data());
}

void RecordOutput::AddText(std::string_view text) {
    Put(",");
    Put(text);
}

void RecordOutput::AddQuoted(const char* text) {
    Put(",\"");
    if (text) Put(text);
    Put("\"");
}

void RecordOutput::SetPlainNum(int32_t i, int64_t v) {
    mFields[i].clear();
    AppendPlainNum(mFields[i], v);
}

void RecordOutput::OpenOutput(int32_t& Result, const std::string& Path) {
    mLineEnd = "\r\n";
    path_ = Path;
    gWorkFile = Path;  // the write-error box names it
    int err = 0;
    OpenForOutput(err, mFileNo, Path);
    Result = err;
}

void RecordOutput::EndOutput(int32_t& Result) {
    if (Result == 0) {
        WriteOut(Result);
        if (Result != 0) return;
        // The file reaches the disk only here: a full disk shows now, and is no success.
        if (!CloseFileOptKill(0, mFileNo, path_)) Result = 1;
        return;
    }
    used_ = recordStart_ = 0;
    AbandonFile(mFileNo);
}

}  // namespace tolvi
