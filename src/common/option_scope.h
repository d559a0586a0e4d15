#pragma once
// The option scope: which store the per-database option sets (text sizes, conductor sizes,
// layers, grids, the two category-colour sets) load from and store to. Every other set always
// lives in the settings file.
//
// The scope is changed only through SetOptionScope (a lasting choice) and OptionScopeGuard (for
// the life of a block), so that no failure between two steps leaves it Current behind the
// caller's back: a Default-scope store would then go into the database instead of the file.
#include <cstdint>

namespace tolvi {

// 0 = Default (the settings file, the values for new work), anything else = Current (the open
// database). Read it freely; change it only through the routines below.
inline int32_t gOptCurrent = 0;

// True while the per-database sets work on the open database.
inline bool OptionsAreCurrent() { return gOptCurrent != 0; }

enum class OptionScope { Default, Current };

// The scope from now on: the Options menu, start-up, and the routines that end in a scope.
void SetOptionScope(OptionScope scope);

// Sets the scope for the life of the guard and puts back the one before on every way out of
// the block, a failure included.
class OptionScopeGuard {
public:
    explicit OptionScopeGuard(OptionScope scope);
    ~OptionScopeGuard();
    OptionScopeGuard(const OptionScopeGuard&) = delete;
    OptionScopeGuard& operator=(const OptionScopeGuard&) = delete;

private:
    int32_t kept_;
};

// One per-database option set, registered once with its two stores: the settings file (Default
// scope) and the open database's tables (Current scope).
struct PerDatabaseOptionSet {
    void (*loadFromSettings)();
    void (*saveToSettings)();
    void (*loadFromDatabase)();
    void (*storeToDatabase)();
};

// The one place where the scope picks the store of a per-database set.
void LoadInScope(const PerDatabaseOptionSet& set);
void SaveInScope(const PerDatabaseOptionSet& set);

}  // namespace tolvi
