#include "tests/support/user_without_rights.h"

#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>

namespace velsaro::testing {

std::optional<UserIds> userWithoutRights()
{
    if (geteuid() != 0)
        return std::nullopt;
    const passwd* user = getpwnam("nobody");
    if (user == nullptr || user->pw_uid == 0)
        return std::nullopt;
    return UserIds{user->pw_uid, user->pw_gid};
}

bool UserWithoutRights::isPossible()
{
    return geteuid() != 0 || userWithoutRights().has_value();
}

UserWithoutRights::UserWithoutRights()
{
    const std::optional<UserIds> user = userWithoutRights();
    if (!user)
        return;
    // The group first: once the user is no longer root it may not change its group.
    if (setegid(user->gid) != 0)
        return;
    if (seteuid(user->uid) != 0) {
        if (setegid(0) != 0)
            std::abort();
        return;
    }
    switched_ = true;
}

UserWithoutRights::~UserWithoutRights()
{
    if (!switched_)
        return;
    // A test that could not become root again would run everything after it with the wrong rights.
    if (seteuid(0) != 0 || setegid(0) != 0)
        std::abort();
    // Changing identity made the process undumpable, which would keep LeakSanitizer from inspecting
    // it at exit.
    prctl(PR_SET_DUMPABLE, 1);
}

} // namespace velsaro::testing
