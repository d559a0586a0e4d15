#include "platform/descriptor_limit.h"

#include <sys/resource.h>

namespace tolvi::platform {

bool RaiseDescriptorLimit() {
    rlimit r{};
    if (::getrlimit(RLIMIT_NOFILE, &r) != 0) return false;
    if (r.rlim_cur == r.rlim_max) return true;
    r.rlim_cur = r.rlim_max;
    return ::setrlimit(RLIMIT_NOFILE, &r) == 0;
}

}  // namespace tolvi::platform
