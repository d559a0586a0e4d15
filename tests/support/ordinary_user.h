#pragma once
// Within its scope the calling thread reaches files as an ordinary user would. A superuser (as
// in CI) takes the file-system identity of "nobody", which also drops the right to override
// permissions; anyone else is an ordinary user already. Only this thread is affected.
#include <sys/fsuid.h>
#include <unistd.h>

namespace tolvi::test {

class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (::geteuid() != 0) return;
        ::setfsgid(65534);
        ::setfsuid(65534);
        changed_ = true;
        // The call answers with the identity before it: a second one tells whether the first held.
        ordinary_ = ::setfsuid(65534) == 65534;
    }
    ~AsOrdinaryUser() {
        if (!changed_) return;
        ::setfsuid(0);
        ::setfsgid(0);
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

    // False where a superuser could not give up its rights here (tests then skip).
    bool Ordinary() const { return ordinary_; }

private:
    bool changed_ = false;
    bool ordinary_ = true;
};

}  // namespace tolvi::test
