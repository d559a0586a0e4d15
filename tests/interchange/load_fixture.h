#pragma once
// What the ASCII load tests share: the export fixture's scratch directory and settings, files
// made from record lines, and loads through the reader alone or through the load window's whole
// sequence, with the boxes they showed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "interchange/ascii_loader.h"
#include "interchange/export_fixture.h"
#include "support/scripted_ui.h"

namespace tolvi::test {

// A header of the current form naming database "T", hierarchy 1 and page 1.
inline const std::string kHeader = "0001,T,1.0, 1, 1,$NT00$";

// A file of the header, records and the end record.
inline std::string RecordsFile(const std::vector<std::string>& records) {
    std::vector<std::string> all{kHeader};
    all.insert(all.end(), records.begin(), records.end());
    all.push_back("9999,End");
    return CrLf(all);
}

// Presses Cancel at the reader's first yield and keeps what the status line showed.
class CancelAtFirstYield : public ExportView {
public:
    // The loader it cancels, made later (by the fixture's Parse or Load).
    explicit CancelAtFirstYield(std::unique_ptr<AsciiLoader>& loader) : loader_(loader) {}
    std::vector<std::string> shown;
    void ShowMsg(const std::string& text) override { shown.push_back(text); }
    void Yield() override { loader_->mCancel = true; }

private:
    std::unique_ptr<AsciiLoader>& loader_;
};

class LoadTest : public ExportTest {
protected:
    // Runs only the reader on text: the result, with the loader kept for a look at its state.
    int32_t Parse(const std::string& text, ExportView* view = nullptr) {
        loader = std::make_unique<AsciiLoader>(view);
        const int32_t result = loader->ReadFile(tmp.Write("in.TPA", text));
        EXPECT_NE(result, -1) << "the file did not open";
        return result;
    }
    // The reader on a file of the header, records and the end record.
    int32_t ParseRecords(const std::vector<std::string>& records) { return Parse(RecordsFile(records)); }
    // The load window's sequence on gExportFile = a file holding text; message = its status line.
    int32_t Load(const std::string& text, std::string* message = nullptr, ExportView* view = nullptr) {
        gExportFile = tmp.Write("load.TPA", text);
        return LoadFile(gExportFile, message, view);
    }
    int32_t LoadFile(const std::string& path, std::string* message = nullptr, ExportView* view = nullptr) {
        gExportFile = path;
        loader = std::make_unique<AsciiLoader>(view);
        loader->FormLoad();
        std::string m;
        const int32_t result = loader->Continue(m);
        if (message) *message = m;
        return result;
    }
    // The titles of the boxes shown so far.
    static std::vector<std::string> BoxTitles() {
        std::vector<std::string> titles;
        for (const auto& b : scriptedUi().boxes) titles.push_back(b.title);
        return titles;
    }

    std::unique_ptr<AsciiLoader> loader;
};

}  // namespace tolvi::test
