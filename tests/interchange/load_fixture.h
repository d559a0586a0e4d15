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

// The lines, each ended by CR LF.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

class LoadTest : public ExportTest {
protected:
    // Runs only the reader on text: the result, with the loader kept for a look at its state.
    int32_t Parse(const std::string& text, ExportView* view = nullptr) {
        loader = std::make_unique<AsciiLoader>(view);
        const std::string path = tmp.Write("in.TPA", text);
        int err = 0;
        OpenForInput(err, loader->mFileNo, path);
        EXPECT_EQ(err, 0);
        int32_t result = -1;
        loader->LoadAsciiDatabase(result);
        CloseFileOptKill(0, loader->mFileNo, path);
        return result;
    }
    // The reader on a file of the header, lines and the end record.
    int32_t ParseRecords(const std::vector<std::string>& lines) {
        std::vector<std::string> all{kHeader};
        all.insert(all.end(), lines.begin(), lines.end());
        all.push_back("9999,End");
        return Parse(CrLf(all));
    }
    // The load window's sequence on gExportFile = a file holding text; message = its status line.
    int32_t Load(const std::string& text, std::string* message = nullptr) {
        gExportFile = tmp.Write("load.TPA", text);
        return LoadFile(gExportFile, message);
    }
    int32_t LoadFile(const std::string& path, std::string* message = nullptr) {
        gExportFile = path;
        loader = std::make_unique<AsciiLoader>();
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
