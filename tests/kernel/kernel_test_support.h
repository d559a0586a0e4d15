// Shared pieces of the kernel tests: a fixture with a fresh database, a fixture design that
// touches every object kind, and a dump of the whole database read through the flat functions.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/kernel.h"

namespace kt {

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        KernelResetForTests();
        ASSERT_NE(DB_CreateDataBase("TESTDB", "MAINHIER", "MAINPAGE"), 0);
    }
    void TearDown() override { KernelResetForTests(); }
};

// Builds a design with every kind of object, kept field, status word, internal file and
// table change the store must carry (plus preview objects that it must not).
void BuildFixtureDesign();

// Every field the flat functions can read, as text: two equal dumps mean equal databases.
std::string DumpDatabase();

bool Changed();
void ClearChanged();

int32_t ReadInt(const uint8_t* p);
void WriteInt(uint8_t* p, int32_t v);

// A scratch directory removed with its contents at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace kt
