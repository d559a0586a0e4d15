#pragma once
// What the export tests share: a scratch directory holding an empty settings file, the option
// tables loaded from it (the category names the header records list), a fixed program version,
// and helpers to read what a writer wrote.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "interchange/exporter.h"
#include "kernel/kernel.h"
#include "support/temp_dir.h"

namespace tolvi::test {

// The lines, each ended by CR LF, as a writer writes them.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// Files may grow to limit bytes while it lives: beyond that a write fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = saved_;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        gIniFile = tmp.File("TOLVI32.INI");
        gJobDir = gSysDir = tmp.path();
        gSysVer = "1.0";
        LoadAllOptionSets();
        gDbTitle = "Untitled";
        CreateEmptyDatabase();
        UpdateMainCaption(gDbHandle);
    }

    // Makes the design built by the kernel calls just made the program's open database.
    static void Adopt() {
        gDbTitle = CStrFromPtr(O_GetName(DB_DataBase()));
        UpdateMainCaption(gDbHandle);
    }

    // Writes the open database in mode to name inside the scratch directory; returns the result.
    int32_t Write(int32_t mode, const std::string& name, ExportView* view = nullptr) {
        return WriteExportFile(mode, tmp.File(name), view);
    }
    std::string Read(const std::string& name) const { return tmp.Read(name); }
    // How many files the scratch directory holds (a temporary one left behind shows here).
    std::ptrdiff_t FileCount() const {
        return std::distance(std::filesystem::directory_iterator(tmp.path()), {});
    }
    // Element index of the database's option table n, as the kernel holds it.
    static int32_t Table(int32_t n, int32_t index) {
        int32_t v = 0;
        E_MemCopy(&v, E_SysTable(n) + 4 * std::ptrdiff_t{index}, 4);
        return v;
    }

    // The lines of text, each without its CR LF; a line not ended by CR LF fails the test.
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                ADD_FAILURE() << "text after the last CR LF: " << text.substr(start);
                break;
            }
            const std::string line = text.substr(start, end - start);
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a stray line end in: " << line;
            lines.push_back(line);
            start = end + 2;
        }
        return lines;
    }

    TempDir tmp;
};

}  // namespace tolvi::test
