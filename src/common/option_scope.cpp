#include "common/option_scope.h"

namespace tolvi {

namespace {

int32_t ScopeValue(OptionScope scope) { return scope == OptionScope::Current ? -1 : 0; }

}  // namespace

void SetOptionScope(OptionScope scope) { gOptCurrent = ScopeValue(scope); }

OptionScopeGuard::OptionScopeGuard(OptionScope scope) : kept_(gOptCurrent) {
    gOptCurrent = ScopeValue(scope);
}

OptionScopeGuard::~OptionScopeGuard() { gOptCurrent = kept_; }

void LoadInScope(const PerDatabaseOptionSet& set) {
    if (OptionsAreCurrent())
        set.loadFromDatabase();
    else
        set.loadFromSettings();
}

void SaveInScope(const PerDatabaseOptionSet& set) {
    if (OptionsAreCurrent())
        set.storeToDatabase();
    else
        set.saveToSettings();
}

}  // namespace tolvi
