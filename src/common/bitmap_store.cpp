#include "common/bitmap_store.h"

#include <algorithm>

#include "kernel/kernel.h"

namespace tolvi {

namespace {
constexpr std::size_t kOwnerAt = 16;
}  // namespace

int32_t BitmapRec::OwnerId() const {
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= uint32_t(Bytes[kOwnerAt + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

void BitmapRec::SetOwnerId(int32_t id) {
    const auto v = static_cast<uint32_t>(id);
    for (std::size_t i = 0; i < 4; ++i) Bytes[kOwnerAt + i] = uint8_t(v >> (8 * i));
}

void ResetBitmapStoreState() {
    gBitmapFile = 0;
    gBitmapRecs.assign(1, BitmapRec{});
}

void OpenBitmapStore() {
    gBitmapFile = OM_FindName(DB_FileMap(), "@Bitmap@");
    if (gBitmapFile == 0) {
        gBitmapFile = F_CreateFile(0, "@Bitmap@");
        gBitmapRecs.assign(1, BitmapRec{});
        return;
    }
    LoadBitmapRecords();
}

void LoadBitmapRecords() {
    const int32_t n = std::max(0, F_GetLength(gBitmapFile) / BitmapRec::kBytes);
    gBitmapRecs.assign(size_t(n) + 1, BitmapRec{});
    F_Seek(gBitmapFile, 0, 0);
    for (int32_t i = 1; i <= n; ++i)
        F_Read(gBitmapFile, gBitmapRecs[size_t(i)].Bytes.data(), BitmapRec::kBytes);
}

void SaveBitmapRecords() {
    if (gBitmapRecs.empty()) gBitmapRecs.resize(1);
    const auto n = int32_t(gBitmapRecs.size() - 1);
    F_SetLength(gBitmapFile, n * BitmapRec::kBytes);
    F_Seek(gBitmapFile, 0, 0);
    for (int32_t i = 1; i <= n; ++i)
        F_Write(gBitmapFile, gBitmapRecs[size_t(i)].Bytes.data(), BitmapRec::kBytes);
}

void DeleteBitmapRecords(int32_t OwnerId) {
    LoadBitmapRecords();
    gBitmapRecs.erase(std::remove_if(gBitmapRecs.begin() + 1, gBitmapRecs.end(),
                                     [&](const BitmapRec& r) { return r.OwnerId() == OwnerId; }),
                      gBitmapRecs.end());
    SaveBitmapRecords();
}

}  // namespace tolvi
