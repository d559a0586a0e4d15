#pragma once
// Library objects shown by the library dialogs: a part or a symbol copied from a library file into
// the open database under an id the caller chooses (the temporary ids -1 and -2, so the copies
// never mix with the design's own objects), a loaded symbol drawn at a placement, and the
// temporaries removed again. Also the fitting of a symbol into a preview box.
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/kernel.h"

namespace tolvi {

// Library kinds handed to E_OpenLibrary.
inline constexpr const char* kPartLibKind = "TolviDLL00";
inline constexpr const char* kSymbolLibKind = "TolviSLL00";

// Err 1 until DeviceName has been copied from the part library LibPath as DeviceId (which then
// holds the id the kernel gave). An object already under DeviceId is replaced, but only once the
// library holds the name; a load that fails after that leaves nothing under the id.
void LoadDeviceFromLib(int32_t& Err, int32_t& DeviceId, const std::string& LibPath,
                       const std::string& DeviceName);
// The same for a symbol or package of a symbol library.
void LoadSymbolFromLib(int32_t& Err, int32_t& SymbolId, const std::string& LibPath,
                       const std::string& SymbolName);
// Draws Symbol placed at (A, B), angle C, mirrored when D is not 0, into the drawing context the
// caller has opened.
void DrawSymbolAt(int32_t Symbol, int32_t A, int32_t B, int32_t C, int32_t D);
// The names of the entries of the open library Handle, in stored order.
std::vector<std::string> LibraryEntryNames(int32_t Handle);
// The count under a listed library: " 12 item(s)".
std::string ItemCountText(int Count);
// Deletes the preview symbols -1 and -2 and the preview device -1, those that exist.
void ClearPreviewObjects();

// How a symbol is fitted into a preview box of W x H pixels: the union of the frames of its items
// and of its entries, the negated centre of that frame (the placement that puts the centre at the
// origin) and the scale in database units per pixel: 1 when the symbol fits at one unit a pixel,
// else the fitted scale plus a margin of 2540. A box of no size counts as one pixel.
struct PreviewFit {
    FrameRec frame;
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t scale = 1;
};
PreviewFit ComputePreview(const FrameRec& items, const FrameRec& entries, int32_t W, int32_t H);

}  // namespace tolvi
