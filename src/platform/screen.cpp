#include "platform/screen.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace tolvi::platform {

namespace {

// One axis of MovedInside.
int MovedInside(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength) return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

int Fraction(int units, int extent) { return int(int64_t(units) * extent / 1024); }

}  // namespace

FramePlacement CentredOnScreen() {
    return [](const Rect& frame, const ScreenArea& screen) {
        const Rect& a = screen.available;
        return Rect{a.left + std::abs(a.width - frame.width) / 2,
                    a.top + std::abs(a.height - frame.height) / 2, frame.width, frame.height};
    };
}

FramePlacement AtScreenPoint(int left, int top) {
    return [left, top](const Rect& frame, const ScreenArea& screen) {
        return Rect{screen.whole.left + left, screen.whole.top + top, frame.width, frame.height};
    };
}

FramePlacement InScreenFractions(int x, int y, int width, int height) {
    return [=](const Rect&, const ScreenArea& screen) {
        const Rect& s = screen.whole;
        return Rect{s.left + Fraction(x, s.width), s.top + Fraction(y, s.height),
                    std::max(1, Fraction(width, s.width)), std::max(1, Fraction(height, s.height))};
    };
}

Rect MovedInside(const Rect& frame, const Rect& area) {
    return {MovedInside(frame.left, frame.width, area.left, area.width),
            MovedInside(frame.top, frame.height, area.top, area.height), frame.width, frame.height};
}

Rect PlaceInside(const FramePlacement& placement, Size inside, const Margins& margins,
                 const ScreenArea& screen, Size minimum, Size maximum) {
    const int dx = margins.left + margins.right;
    const int dy = margins.top + margins.bottom;
    Rect frame = placement(Rect{0, 0, inside.width + dx, inside.height + dy}, screen);
    // The inside's size: no larger than the area leaves it, within the window's bounds (the
    // minimum wins: a window cannot be made smaller than it can show).
    const Rect& area = screen.available;
    const auto bound = [](int want, int room, int lo, int hi) {
        return std::max(std::min({want, room, hi}), lo);
    };
    const int width = bound(frame.width - dx, area.width - dx, minimum.width, maximum.width);
    const int height = bound(frame.height - dy, area.height - dy, minimum.height, maximum.height);
    frame = MovedInside(Rect{frame.left, frame.top, width + dx, height + dy}, area);
    return {frame.left + margins.left, frame.top + margins.top, width, height};
}

}  // namespace tolvi::platform
