#pragma once
// The manager keeps files, modules and the bus's peers open at once; the usual soft limit of
// 1024 descriptors is far below what the system allows it.

namespace tolvi::platform {

// Raises the soft limit on open descriptors to the hard one; false when that failed.
bool RaiseDescriptorLimit();

}  // namespace tolvi::platform
