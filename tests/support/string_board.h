#pragma once
// The kernel's string board as the tests read it.
#include <optional>
#include <string>

#include "kernel/kernel.h"

namespace tolvi::test {

// The string under key, or nothing when the board has none.
inline std::optional<std::string> Board(const std::string& key) {
    const char* p = E_GetString(key.c_str());
    return p ? std::optional<std::string>(p) : std::nullopt;
}

}  // namespace tolvi::test
