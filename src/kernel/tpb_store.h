// The .TPB database file.
//
// Layout (little-endian):
//   header, 32 bytes: magic "\x89TPB\r\n\x1A\n" | u16 major | u16 minor | u32 flags
//                     | u64 length of everything after the header | u32 CRC-32 of bytes 0..23 | u32 0
//   chunks:           tag[4] | u32 flags (bit 0: a reader that does not know the tag must refuse)
//                     | u64 payload length | payload | u32 CRC-32 of tag..payload
//   META (name, current hierarchy), TABL (settings tables), FILE (internal files), PSTK (via
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

bool SaveTpb(Database& db, const std::string& path);
std::unique_ptr<Database> LoadTpb(const std::string& path);

}  // namespace tolvi::kernel
