#pragma once
// Walks of a kernel map in its scan order, as every writer makes them.
#include <cstdint>

#include "kernel/kernel.h"

namespace tolvi {

// Calls each(key) for every object of map.
template <class F>
void Walk(int32_t map, F&& each) {
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t key = OM_SearchMask(map, cursor, 0, 0)) each(key);
}

// The same, stopping as soon as the output (a RecordOutput) has failed or been cancelled.
template <class Output, class F>
void WalkWhileOk(int32_t map, const Output& out, F&& each) {
    int32_t cursor = OM_GetFirst(map);
    while (out.Ok()) {
        const int32_t key = OM_SearchMask(map, cursor, 0, 0);
        if (key == 0) return;
        each(key);
    }
}

}  // namespace tolvi
