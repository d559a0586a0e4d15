#pragma once
// The bitmap records that other applications of the suite keep in the database's internal file
// "@Bitmap@": 52-byte records back to back, each owned by one hierarchy. The program keeps the
// file in existence, mirrors it in memory and removes the records of a deleted hierarchy.
#include <array>
#include <cstdint>
#include <vector>

namespace tolvi {

struct BitmapRec {
    static constexpr int32_t kBytes = 52;
    // Only the owner (bytes 16..19, little-endian) means anything here; the rest is carried as is.
    std::array<uint8_t, kBytes> Bytes{};

    int32_t OwnerId() const;
    void SetOwnerId(int32_t id);
};

inline int32_t gBitmapFile = 0;  // kernel id of "@Bitmap@" in the open database
inline std::vector<BitmapRec> gBitmapRecs =
    std::vector<BitmapRec>(1);  // element 0 holds no record; 1..n mirror the file

void ResetBitmapStoreState();

// Finds or creates "@Bitmap@" for the open database and loads it.
void OpenBitmapStore();
// Reads the whole file into gBitmapRecs.
void LoadBitmapRecords();
// Writes gBitmapRecs back as the whole file.
void SaveBitmapRecords();
// Removes the records owned by hierarchy OwnerId from the file (the file, not the array, is the
// authority: it is read first).
void DeleteBitmapRecords(int32_t OwnerId);

}  // namespace tolvi
