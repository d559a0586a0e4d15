#pragma once

namespace tolvi::test {
// Puts every module's shared state back to its initial values. Called before each test.
void ResetAllState();
}  // namespace tolvi::test
