#pragma once
// Screen and window geometry in pixels, for the code that places forms.
class QWidget;

namespace tolvi::platform {

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

Rect ScreenRect();                       // the primary screen
Rect WindowRect(const QWidget* window);  // the frame of a top-level window
void MoveWindow(QWidget* window, int left, int top);
void SetTopmost(QWidget* window, bool on);

}  // namespace tolvi::platform
