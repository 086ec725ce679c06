// Which medium's free space the main controller weighs, against the
// simulated board.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/velto_SC_Main.h"
#include "sim/sim_board_state.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "support/sim_test.h"

// The program's exit, which the settings screens linked here may call.
void sig_int_handler(int) {
    _exit(42);
}

namespace {

class AvailSpaceTest : public CVeltoSimBoardTest {
protected:
    std::string Root() const { return m_strRunDir + "/board"; }
};

TEST_F(AvailSpaceTest, CardFirstThenInternalMediumAlsoWhileAPulledCardLingers) {
    VeltoSim::SetFreeKiB(Root(), "/media/nand", 30000);
    EXPECT_EQ(GetAvailSpace(), 30000);
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    VeltoSim::SetFreeKiB(Root(), "/media/sd-mmcblk0p1", 1000);
    EXPECT_EQ(GetAvailSpace(), 1000);  // a nearly full card counts as it is

    // Pulled, and the auto-mounter has not let it go yet: the mount entry
    // stays, the medium behind it answers no statfs. Not a full medium.
    VeltoSim::RemoveTree(VeltoSim::DiskDir(Root(), "/dev/mmcblk0p1"));
    EXPECT_EQ(GetAvailSpace(), 30000);
}

}  // namespace
