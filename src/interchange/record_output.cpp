#include "interchange/record_output.h"

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
    mLine.clear();
    mLineCount = 0;
    mCancel = false;
}

void RecordOutput::Write(int32_t& Result, int32_t Count, std::string_view Separator) {
    if (mLineCount > 100) {
        view_->Yield();
        mLineCount = 0;
    }
    if (mCancel) {
        Result = 2;
        return;
    }
    ++mLineCount;
    mLine.assign(mFields[1]);
    for (int32_t i = 2; i <= Count; ++i) {
        mLine.append(Separator);
        mLine.append(mFields[i]);
    }
    mLine.append(mLineEnd);
    int err = 0;
    PrintLineFile(err, mFileNo, mLine);
    Result = err;
    // PrintLineFile has shown its box; what was written goes, a file already at that name stays.
    if (Result != 0) AbandonFile(mFileNo);
}

void RecordOutput::WriteRecord(int32_t& Result, const int32_t& Count) { Write(Result, Count, ","); }

void RecordOutput::WriteRecordSep(int32_t& Result, const int32_t& Count, std::string_view Separator) {
    Write(Result, Count, Separator);
}

void RecordOutput::WriteItemRecord(int32_t& Result, std::string_view RecordType, ItemRec& Item) {
    SetField(1, RecordType);
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
    const int32_t values[] = {Item.Kind,  Item.Attr, Item.Link,  Item.X,  Item.Y,  Item.StyleA, Item.StyleB,
                              Item.Width, Item.Gap,  Item.Angle, Item.P2, Item.P3, Item.P4,     Item.P5};
    for (int32_t i = 0; i < 14; ++i) SetNum(i + 2, values[i]);
    WriteRecord(Result, kItemRecordFields);
}

void RecordOutput::WriteTextRecord(int32_t& Result, std::string_view RecordType, const ItemRec& Item) {
    SetField(1, RecordType);
    const int32_t values[] = {Item.Kind,   Item.Attr,  Item.Link, Item.X,     Item.Y,  Item.StyleA,
                              Item.StyleB, Item.Width, Item.Gap,  Item.Angle, Item.P2, Item.P3};
    for (int32_t i = 0; i < 12; ++i) SetNum(i + 2, values[i]);
    SetQuoted(14, Item.Text);
    WriteRecord(Result, kTextRecordFields);
}

void RecordOutput::SetNum(int32_t i, int64_t v) {
    mFields[i].clear();
    AppendNum(mFields[i], v);
}

void RecordOutput::SetPlainNum(int32_t i, int64_t v) {
    mFields[i].clear();
    AppendPlainNum(mFields[i], v);
}

void RecordOutput::SetQuoted(int32_t i, const char* text) {
    std::string& f = mFields[i];
    f.assign(1, '"');
    if (text) f.append(text);
    f.push_back('"');
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
        // The file reaches the disk only here: a full disk shows now, and is no success.
        if (!CloseFileOptKill(0, mFileNo, path_)) Result = 1;
        return;
    }
    AbandonFile(mFileNo);
}

}  // namespace tolvi
