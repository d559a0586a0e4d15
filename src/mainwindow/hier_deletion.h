#pragma once
// Deleting hierarchies with everything they own: their pages, schematic and layout content, heap
// file, bitmap records and the symbols kept for them under reserved negative ids.
#include <cstdint>
#include <vector>

namespace tolvi {

// The reserved symbol ids of hierarchy h whose pages have the ids in pages, in the order they
// are deleted: -(h + 100k) for k = 1..8, -((h + 9) * 100 + j) for j = 1..99, -(h + 12000),
// -(h + 13000), then -((h + 9) * 100 + p) for each page id p. Ids outside 32 bits are left out.
std::vector<int32_t> ReservedSymbolIds(int32_t h, const std::vector<int32_t>& pages);

// Deletes every hierarchy whose status carries all the bits of Mask, then makes the hierarchy
// that was current on entry current again (which fails, harmlessly, when it was deleted). A
// hierarchy that cannot be made current is left as it is. The numbering of the reserved ids lets
// two hierarchies share one; an id reserved for a hierarchy that stays is never deleted.
void DeleteMarkedHierarchies(int32_t Mask);

}  // namespace tolvi
