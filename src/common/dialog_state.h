#pragma once
// Shared state of the modal setup dialogs: how many are open, and the verdict and refresh flags
// that each dialog sets and its caller reads.
#include <cstdint>

namespace tolvi {

inline int32_t gModalDepth = 0;   // setup dialogs open now; the last field of the manager's state string
inline int32_t gDlgAccepted = 0;  // -1 after Accept, 0 after Cancel
inline int32_t gDlgRefresh = 0;   // -1 while a dialog must (re)fill its controls

inline void ResetDialogState() {
    gModalDepth = 0;
    gDlgAccepted = 0;
    gDlgRefresh = 0;
}

}  // namespace tolvi
