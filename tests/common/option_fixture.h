#pragma once
// Fixtures of the settings tests: a settings file in a fresh directory (SettingsFixture) and, for
// the option sets, a fresh database in the kernel too, with helpers to read and write the raw
// bytes of its settings tables (OptionFixture).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "support/temp_dir.h"

namespace tolvi::test {

class SettingsFixture : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override { gIniFile = dir.File("TOLVI32.INI"); }

    // Writes one key through the settings access; the write must succeed.
    static void Put(const std::string& section, const std::string& key, const std::string& value) {
        int err = 1;
        IniPutString(section, key, value, err);
        ASSERT_EQ(err, 0);
    }
    void WriteIni(const std::string& text) { dir.Write("TOLVI32.INI", text); }
    std::string IniText() const { return dir.Read("TOLVI32.INI"); }
    bool IniHasLine(const std::string& line) const {
        return ("\n" + IniText()).find("\n" + line + "\r\n") != std::string::npos;
    }
};

class OptionFixture : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "PAGE1"), 0);
    }

    static std::vector<uint8_t> Slice(const uint8_t* table, int offset, int count) {
        return std::vector<uint8_t>(table + offset, table + offset + count);
    }
    static std::vector<uint8_t> TableBytes(int32_t n, int offset, int count) {
        return Slice(E_SysTable(n), offset, count);
    }
    static int32_t TableInt(int32_t n, int index) {
        int32_t v;
        std::memcpy(&v, E_SysTable(n) + 4 * std::ptrdiff_t{index}, 4);
        return v;
    }
    static void SetTableInt(int32_t n, int index, int32_t v) {
        std::memcpy(E_SysTable(n) + 4 * std::ptrdiff_t{index}, &v, 4);
    }
};

}  // namespace tolvi::test
