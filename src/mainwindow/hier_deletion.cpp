#include "mainwindow/hier_deletion.h"

#include <limits>
#include <string>
#include <unordered_set>

#include "common/bitmap_store.h"
#include "kernel/kernel.h"

namespace tolvi {

namespace {

// The pages of the current hierarchy.
std::vector<int32_t> PageIds() {
    std::vector<int32_t> ids;
    const int32_t map = DB_PageMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t p = OM_SearchMask(map, cursor, 0, 0)) ids.push_back(p);
    return ids;
}

bool Marked(int32_t map, int32_t h, int32_t mask) { return (O_GetStatus(OM_Object(map, h)) & mask) == mask; }

// Adds the ids reserved for every hierarchy that stays; each is made current to read its pages.
void KeepReservedIds(int32_t map, int32_t mask, std::unordered_set<int32_t>& kept) {
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t h = OM_SearchMask(map, cursor, 0, 0)) {
        if (Marked(map, h, mask)) continue;
        // One that cannot be made current still keeps the ids that need no pages.
        const std::vector<int32_t> pages = DB_SetCurHier(h) != 0 ? PageIds() : std::vector<int32_t>{};
        for (const int32_t id : ReservedSymbolIds(h, pages)) kept.insert(id);
    }
}

// Everything of the current hierarchy h, and h itself.
void DeleteHierarchy(int32_t map, int32_t h, std::unordered_set<int32_t>& kept) {
    DeleteBitmapRecords(h);

    const int32_t symbols = DB_SymbMap();
    for (const int32_t id : ReservedSymbolIds(h, PageIds()))
        if (!kept.contains(id)) OM_Delete(symbols, id);

    for (const int32_t content :
         {DB_PageMap(), DB_NetMap(), DB_BusMap(), DB_SchCompMap(), DB_BranchMap(), DB_JunctMap(),
          DB_LayCompMap(), DB_TraceMap(), DB_BendPointMap(), DB_ViaMap()})
        OM_DeleteAll(content);

    const int32_t files = DB_FileMap();
    if (const int32_t heap = OM_FindName(files, ("@NDHEAP" + std::to_string(h)).c_str()))
        OM_Delete(files, heap);

    // Deleting compacts the array, so the first text goes until there is none.
    const int32_t texts = DB_LayoutTextArray();
    while (OA_Delete(texts, 1) != 0) {
    }

    OM_Delete(map, h);
}

}  // namespace

std::vector<int32_t> ReservedSymbolIds(int32_t h, const std::vector<int32_t>& pages) {
    std::vector<int32_t> ids;
    ids.reserve(109 + pages.size());
    const auto add = [&ids](int64_t n) {
        if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
            ids.push_back(int32_t(n));
    };
    const int64_t base = (int64_t{h} + 9) * 100;
    for (int64_t k = 1; k <= 8; ++k) add(-(int64_t{h} + 100 * k));
    for (int64_t j = 1; j <= 99; ++j) add(-(base + j));
    add(-(int64_t{h} + 12000));
    add(-(int64_t{h} + 13000));
    for (const int32_t p : pages) add(-(base + p));
    return ids;
}

void DeleteMarkedHierarchies(int32_t Mask) {
    const int32_t saved = DB_CurHier();
    const int32_t map = DB_HierarchyMap();
    std::unordered_set<int32_t> kept;
    bool survivorsRead = false;

    int32_t cursor = OM_GetFirst(map);
    while (const int32_t h = OM_SearchMask(map, cursor, Mask, Mask)) {
        if (DB_SetCurHier(h) == 0) {
            // It stays, and so do the reserved ids it needs no pages for.
            for (const int32_t id : ReservedSymbolIds(h, {})) kept.insert(id);
            continue;
        }
        // Read once, when there is something to delete; that moves the current hierarchy.
        if (!survivorsRead) {
            KeepReservedIds(map, Mask, kept);
            survivorsRead = true;
            DB_SetCurHier(h);
        }
        DeleteHierarchy(map, h, kept);
        cursor = OM_GetFirst(map);
    }
    DB_SetCurHier(saved);
}

}  // namespace tolvi
