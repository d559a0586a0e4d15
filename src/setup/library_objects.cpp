#include "setup/library_objects.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/localisation.h"
#include "common/numbers.h"
#include "common/utilities.h"

namespace tolvi {

namespace {

// The steps both loads share; `exists`, `mapOf` and `load` name the kind's kernel calls.
void LoadFromLib(int32_t& Err, int32_t& Id, const std::string& LibPath, const std::string& Name,
                 const char* kind, int32_t (*exists)(int32_t), int32_t (*mapOf)(),
                 int32_t (*load)(int32_t, int32_t)) {
    Err = 1;
    const int32_t h = E_OpenLibrary(LibPath.c_str(), kind, 0);
    if (h <= 0) return;
    const int32_t r = E_OpenLibToRead(h, Name.c_str());
    if (r > 0) {
        if (exists(Id) != 0) OM_Delete(mapOf(), Id);
        Id = load(Id, r);
        if (Id != 0) Err = 0;
    }
    E_CloseLibrary(h);
}

// A coordinate difference, which may leave the 32-bit range.
double Span(int32_t lo, int32_t hi) { return std::fabs(double(hi) - double(lo)); }

int32_t NegatedCentre(int32_t lo, int32_t hi) {
    int32_t c = 0;
    RoundHalfEven(-(double(lo) + (double(hi) - double(lo)) / 2), c);
    return c;
}

}  // namespace

void LoadDeviceFromLib(int32_t& Err, int32_t& DeviceId, const std::string& LibPath,
                       const std::string& DeviceName) {
    LoadFromLib(Err, DeviceId, LibPath, DeviceName, kPartLibKind, &D_Device, &DB_DeviceMap, &D_LoadDevice);
}

void LoadSymbolFromLib(int32_t& Err, int32_t& SymbolId, const std::string& LibPath,
                       const std::string& SymbolName) {
    LoadFromLib(Err, SymbolId, LibPath, SymbolName, kSymbolLibKind, &S_Symbol, &DB_SymbMap, &S_LoadSymbol);
}

void DrawSymbolAt(int32_t Symbol, int32_t A, int32_t B, int32_t C, int32_t D) {
    S_SetCompLocation(A, B, C, D);
    S_DrawSymbol(Symbol, -1, -1);
}

std::vector<std::string> LibraryEntryNames(int32_t Handle) {
    std::vector<std::string> names;
    for (int32_t i = 0;; ++i) {
        const char* p = E_GetLibDirName(Handle, i);
        if (!p) return names;
        names.push_back(CStrFromPtr(p));
    }
}

std::string ItemCountText(int Count) { return IniNumText(Count) + GetLocalString(" item(s)", "99791"); }

void ClearPreviewObjects() {
    for (int32_t id : {-1, -2}) {
        SymbolRec rec;
        if (S_ReadSymbol(id, rec) > 0) OM_Delete(DB_SymbMap(), id);
    }
    DeviceRec dev;
    if (D_ReadDevice(-1, dev) > 0) OM_Delete(DB_DeviceMap(), -1);
}

PreviewFit ComputePreview(const FrameRec& items, const FrameRec& entries, int32_t W, int32_t H) {
    PreviewFit fit;
    FrameRec& f = fit.frame;
    f.MinX = std::min(items.MinX, entries.MinX);
    f.MinY = std::min(items.MinY, entries.MinY);
    f.MaxX = std::max(items.MaxX, entries.MaxX);
    f.MaxY = std::max(items.MaxY, entries.MaxY);
    fit.centreX = NegatedCentre(f.MinX, f.MaxX);
    fit.centreY = NegatedCentre(f.MinY, f.MaxY);

    // A collapsed or hidden box must not divide by zero.
    const float w = float(std::max(W, 1)), h = float(std::max(H, 1));
    float sx = float(Span(f.MinX, f.MaxX)), sy = float(Span(f.MinY, f.MaxY));
    if (sx == 0) sx = 1;
    if (sy == 0) sy = 1;
    const float s = std::max(sx / w, sy / h);
    if (s > 1 && !RoundHalfEven(double(s) + 2540, fit.scale)) fit.scale = std::numeric_limits<int32_t>::max();
    return fit;
}

}  // namespace tolvi
