#pragma once
// Packaging preferences: how component names, pinout texts and description texts are generated
// when components are packaged or repacked. Settings file only, whatever the option scope.
#include <array>
#include <cstdint>

namespace tolvi {

// Indexed from 1 (element 0 unused): switches, choices and 1-based text-size positions.
inline std::array<int32_t, 5> gPrefCompName{};      // "PREFCOMPNAME", 4 fields
inline std::array<int32_t, 7> gPrefPinout{};        // "PREFPINOUT", 6 fields
inline std::array<int32_t, 11> gPrefDescription{};  // "PREFDESCRIPTION", 10 fields

void ResetPackagingState();

// Section "PACKAGING". A value with fewer fields leaves the later elements as they were.
void LoadPackagingPrefs();
void SavePackagingPrefs();

}  // namespace tolvi
