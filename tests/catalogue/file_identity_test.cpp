// When a catalogue may trust a file's identity instead of its content.
#include "catalogue/file_identity.h"

#include <gtest/gtest.h>

namespace velsaro {
namespace {

constexpr std::int64_t second = 1'000'000'000;

TEST(FileIdentity, TrustsOnlyTimesWellBeforeTheKeyingAndWholeSecondsTwoSecondsBefore)
{
    const std::int64_t keyed = 1'700'000'000 * second + 500'000'000;
    const auto identity = [&](std::int64_t modified, std::int64_t changed) {
        return FileIdentity{1000, modified, changed, 7, 8, keyed};
    };
    const FileIdentity settled = identity(keyed - 30'000'000, keyed - 25'000'000);
    EXPECT_TRUE(settled.isUnchangedIn(settled));
    EXPECT_FALSE(identity(keyed - 5'000'000, keyed - 30'000'000).isUnchangedIn(identity(keyed - 5'000'000, keyed - 30'000'000)));
    // A file system that keeps whole seconds: a change in the same second leaves the time as it was.
    const FileIdentity coarse = identity(keyed - second / 2 - second, keyed - 3 * second - second / 2);
    EXPECT_FALSE(coarse.isUnchangedIn(coarse));
    FileIdentity changedSince = settled;
    changedSince.changed += 1;
    EXPECT_FALSE(settled.isUnchangedIn(changedSince));
}

TEST(FileIdentity, TrustsATimeAheadOfTheClockUntilTheClockReachesIt)
{
    const std::int64_t keyed = 1'700'000'000 * second + 500'000'000;
    const FileIdentity future{1000, keyed + 3600 * second + 123, keyed - second, 7, 8, keyed};
    FileIdentity examined = future;
    examined.keyed = keyed + 60 * second;
    EXPECT_TRUE(future.isUnchangedIn(examined));
    examined.keyed = future.modified;
    EXPECT_FALSE(future.isUnchangedIn(examined));
}

} // namespace
} // namespace velsaro
