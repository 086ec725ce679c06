// Fixture for tests against a fresh simulated board: each test runs in its own
// temporary directory holding a board made by the same code as
// "velto-board init", and the directory is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

class CVeltoSimBoardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Host path of a board path ("/sys/..." -> "<tmp>/board/sys/...").
    std::string HostPath(const std::string& boardPath) const;
    // Whole content of a host file, empty when missing.
    static std::string ReadFile(const std::string& hostPath);
    static void WriteFile(const std::string& hostPath, const std::string& text);
    // Lines of board/sim/commands.log written since the test began.
    std::string Commands() const;

    std::string m_strRunDir;  // the test's working directory

private:
    std::string m_strOldDir;
};
