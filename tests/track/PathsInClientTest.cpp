// Paths followed in a running client, as tracking files are: the position
// and the map key of a player from one opening of the client.

#include "tests/support/Sanitizer.h"
#include "tests/support/ShortestPointerPath.h"
#include "tests/support/StandInClient.h"
#include "track/PathsInClient.h"

#include <gtest/gtest.h>

namespace {

TEST(PathsInClientTest, ATrackedPlayersPathsLandInItsClientUntilItEnds)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    StandInClient client("--chained --seconds 60");
    ASSERT_NE(client.address, 0u);
    const std::optional<PointerPath> path = ShortestPointerPath(ProcessReader(std::int32_t(client.processId)), client.address);
    ASSERT_TRUE(path);

    TrackedPlayer player;
    player.path = *path;
    TrackedPlayerPlaces places = ResolveTrackedPlayer(std::int32_t(client.processId), player);
    EXPECT_EQ(places.position.address, client.address) << places.position.failure;
    EXPECT_FALSE(places.mapKey); // none kept, none looked for

    player.mapKey = TrackedMapKey{*path, MapKeyForm::Number16};
    player.mapKey->path.offsets.back() += 2; // two bytes on: where y is kept
    places = ResolveTrackedPlayer(std::int32_t(client.processId), player);
    ASSERT_TRUE(places.mapKey);
    EXPECT_EQ(places.mapKey->address, client.address + 2) << places.mapKey->failure;

    const std::int32_t ended = std::int32_t(client.processId);
    client.End();
    const PathsInClient gone(ended);
    EXPECT_TRUE(gone.Refused());
    EXPECT_EQ(gone.Failure(), "The process has ended.");
    places = ResolveTrackedPlayer(ended, player);
    EXPECT_EQ(places.position.address, std::nullopt);
    EXPECT_EQ(places.position.failure, "The process has ended.");
    ASSERT_TRUE(places.mapKey);
    EXPECT_EQ(places.mapKey->failure, "The process has ended.");
}

} // namespace
