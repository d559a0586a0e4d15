// The .TPB database file.
//
// Framed as kernel/chunk_file.h describes (little-endian), with the magic "\x89TPB\r\n\x1A\n" and
// the chunks META (name, current hierarchy), TABL (settings tables), FILE (internal files), PSTK (via
//   padstacks), SYMB (symbols), DEVC (devices), one HIER per hierarchy, and last END (u64 total
//   file length).
// Counts are u32 and strings u32 length + bytes; every count is checked against the bytes
// left before anything is allocated for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/model.h"

namespace tolvi::kernel {

constexpr uint16_t kTpbMajor = 1;
constexpr uint16_t kTpbMinor = 0;
constexpr size_t kTpbMaxFileBytes = size_t(1) << 30;

std::vector<uint8_t> SerializeTpb(Database& db);
// A new database, or null when the bytes are not a sound .TPB file of a version we read.
std::unique_ptr<Database> ParseTpb(const uint8_t* data, size_t n);

// One symbol, padstack or device in the form the chunks above carry it (the library container
// stores its entries so); ParseObject gives null unless the bytes hold exactly one such object.
std::vector<uint8_t> SerializeObject(Obj& o);
std::unique_ptr<Obj> ParseObject(Kind kind, const uint8_t* data, size_t n);

// 0, or the errno value that made the save fail (the file at path is then as it was).
int SaveTpb(Database& db, const std::string& path);
std::unique_ptr<Database> LoadTpb(const std::string& path);

}  // namespace tolvi::kernel
