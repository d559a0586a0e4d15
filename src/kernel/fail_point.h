// Fault injection for tests (KernelFailNextForTests): a flat function that can fail starts with
// KERNEL_FAIL_POINT(failure value). Unarmed it costs one test of a global flag.
#pragma once

namespace tolvi::kernel {

inline bool gFailArmed = false;
// True (and disarmed) when the armed name is `function`.
bool FailHere(const char* function);

}  // namespace tolvi::kernel

#define KERNEL_FAIL_POINT(value)                                                              \
    do {                                                                                      \
        if (::tolvi::kernel::gFailArmed && ::tolvi::kernel::FailHere(__func__)) return value; \
    } while (0)
