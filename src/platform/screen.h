#pragma once
// Screen and window geometry in pixels, for the code that places forms.
//
// Windows are placed by their frame: the inside together with the border and title bar that the
// window manager adds. A placement says where the frame goes; the frame is then kept on the part
// of the screen that windows may take, so that the caption of every window can be read and
// dragged, whatever the window manager draws around it.
#include <functional>

class QWidget;

namespace tolvi::platform {

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int width = 0, height = 0;
};

// What the window manager adds around a window's inside, on each side.
struct Margins {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Margins&) const = default;
};

// The screen windows are placed on: its whole area, and the part of it that windows may take
// (without the desktop's panels and docks).
struct ScreenArea {
    Rect whole;
    Rect available;
};

ScreenArea PrimaryScreen();
Rect AvailableRect();  // the part of the primary screen windows may take
// Lays windows out on the given screen instead of the real one (tests); nullptr goes back.
void OverrideScreen(const ScreenArea* screen);

// Where a window's frame goes: from its frame as it stands (the inside's size with the margins;
// left and top are not used) and the screen, the frame wanted. A size other than the frame's
// asks for that size.
using FramePlacement = std::function<Rect(const Rect& frame, const ScreenArea& screen)>;

// Centred on the available area: |area - frame| / 2 from its corner on each axis.
FramePlacement CentredOnScreen();
// The frame's corner at left, top of the whole screen, its size kept.
FramePlacement AtScreenPoint(int left, int top);
// The frame at x, y with width and height in 1024ths of the whole screen.
FramePlacement InScreenFractions(int x, int y, int width, int height);

// Frame, moved onto area: a frame that fits is moved left, right, up or down only as far as it
// must; one larger than area has its corner at area's, so that its caption stays on the screen.
Rect MovedInside(const Rect& frame, const Rect& area);

// One placing of a window, computed on its frame: placement applied to a window whose inside is
// inside large with margins around it, the size then kept to the available area as far as the
// window's minimum allows (and within its maximum), the frame moved onto the available area.
// The result is the inside's rectangle.
Rect PlaceInside(const FramePlacement& placement, Size inside, const Margins& margins,
                 const ScreenArea& screen, Size minimum, Size maximum);

// --- windows ---

// The frame margins of a top-level window: the window manager's, once it has framed the window;
// before that, those of another framed window of the program, which the window manager frames
// alike (none when there is none yet).
Margins FrameMargins(const QWidget* window);
// The frame of a top-level window; a window never shown nor sized counts with the size it will
// show with.
Rect WindowRect(const QWidget* window);
// Places the window by placement now, and again each time it is shown, when it takes its size
// while being shown, once the window manager has framed it, and whenever that frame turns out
// other than was assumed. A window the designer has moved or sized is left so until one of those
// comes. A second call replaces the placement.
void PlaceWindow(QWidget* window, FramePlacement placement);

// How wide a window must be for its caption to show whole in its title bar, and a window kept at
// least that wide for every caption it is given.
int CaptionWidth(const QWidget* window);
void KeepCaptionWhole(QWidget* window);

}  // namespace tolvi::platform
