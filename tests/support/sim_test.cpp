#include "tests/support/sim_test.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "sim/sim_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_files.h"

void CVeltoSimBoardTest::SetUp() {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    m_strOldDir = cwd;
    char tmpl[] = "/tmp/velto-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_strRunDir = tmpl;
    ASSERT_EQ(chdir(m_strRunDir.c_str()), 0);
    ASSERT_TRUE(VeltoSim::InitBoard(m_strRunDir + "/board"));
    CVeltoSimBoard::GetInstance().ClearFaults();
}

void CVeltoSimBoardTest::TearDown() {
    CVeltoSimBoard::GetInstance().ClearFaults();
    if (!m_strOldDir.empty()) {
        EXPECT_EQ(chdir(m_strOldDir.c_str()), 0);
    }
    if (!m_strRunDir.empty()) {
        VeltoSim::RemoveTree(m_strRunDir);
    }
}

std::string CVeltoSimBoardTest::HostPath(const std::string& boardPath) const {
    return m_strRunDir + "/board" + boardPath;
}

std::string CVeltoSimBoardTest::ReadFile(const std::string& hostPath) {
    return VeltoSim::ReadText(hostPath);
}

void CVeltoSimBoardTest::WriteFile(const std::string& hostPath, const std::string& text) {
    size_t slash = hostPath.find_last_of('/');
    if (slash != std::string::npos) {
        VeltoSim::MakeDirs(hostPath.substr(0, slash));
    }
    ASSERT_TRUE(VeltoSim::WriteText(hostPath, text)) << hostPath;
}

std::string CVeltoSimBoardTest::Commands() const {
    return VeltoSim::ReadText(m_strRunDir + "/board/sim/commands.log");
}
