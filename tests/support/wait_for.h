#pragma once
// Runs the event loop until `done` is true or `ms` milliseconds have passed; whether it became
// true. For tests that wait on sockets and other processes.
#include <functional>

namespace tolvi::test {

bool WaitFor(const std::function<bool()>& done, int ms = 3000);

}  // namespace tolvi::test
