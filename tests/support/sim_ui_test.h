// Fixture for tests of the window framework on a fresh simulated board: the
// toolkit open on an in-memory display of 320 x 240, on virtual time.
#pragma once

#include "support/sim_test.h"
#include "toolkit/tk_host.h"

class CVeltoSimUiTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        MwSelectDisplay("memory", 320, 240);
        MwClockSetVirtual(true, true);
        ASSERT_TRUE(MwOpen());
    }
    void TearDown() override {
        MwClose();
        MwClockSetVirtual(false);
        MwSelectDisplay("auto");
        CVeltoSimBoardTest::TearDown();
    }
};
