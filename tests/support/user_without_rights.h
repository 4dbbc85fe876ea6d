// Running part of a test as a user whom a file's permissions stop. Root reads any file whatever its
// permissions, so a test run as root takes the effective identity of "nobody" for a while; its real
// identity stays root, which lets it take its rights back afterwards. Child processes started in the
// meantime run as "nobody" too.
#pragma once

#include <sys/types.h>

#include <optional>

namespace velsaro::testing {

struct UserIds {
    uid_t uid;
    gid_t gid;
};

// The ids a root process takes to lose its rights ("nobody"); none if this process is not root (its
// own permissions already apply) or there is no such user.
std::optional<UserIds> userWithoutRights();

class UserWithoutRights {
public:
    // Whether permissions can stop this process: it is not root, or root can become "nobody".
    static bool isPossible();

    // Becomes "nobody" if the process is root; otherwise changes nothing.
    UserWithoutRights();
    ~UserWithoutRights();
    UserWithoutRights(const UserWithoutRights&) = delete;
    UserWithoutRights& operator=(const UserWithoutRights&) = delete;

private:
    bool switched_ = false;
};

} // namespace velsaro::testing
