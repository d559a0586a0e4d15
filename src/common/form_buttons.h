#pragma once
// The push buttons of the program's forms.
class QPushButton;
class QWidget;

namespace tolvi {

// A button with its control name, English caption and (when given) the message id that
// localises it. No button is ever a default button: Enter in a text box must not press Accept.
QPushButton* NewFormButton(QWidget* parent, const char* name, const char* caption, const char* tag);

}  // namespace tolvi
