#pragma once
// Every setup dialog by its form name: the menu shows them through it, the gallery renders and
// the benchmarks time every one it lists. A new dialog is added to the list in setup_forms.cpp.
#include <string>
#include <vector>

class QWidget;

namespace tolvi {

struct SetupFormInfo {
    const char* name;                   // "OPTNGRID"
    QWidget* (*make)(QWidget* parent);  // a new, not yet loaded form
};

const std::vector<SetupFormInfo>& SetupForms();
// A new form of that name; null when there is none.
QWidget* CreateSetupForm(const std::string& name, QWidget* parent = nullptr);

}  // namespace tolvi
