// Interprets the system's fixed shell commands by their effect on the
// simulated board. Nothing is handed to a host shell: a command the board
// does not know fails with status 127.
#pragma once

#include <string>
#include <vector>

class CVeltoSimBoard;

class CVeltoSimShell {
public:
    explicit CVeltoSimShell(CVeltoSimBoard& board);

    // Runs one command line; returns a wait status as system(3) does.
    int Run(const std::string& command);

    // Splits a command line into words as sh does for the quoting the system
    // uses ('...', "...", backslash); a "> FILE" redirection is returned
    // separately. False on unbalanced quotes.
    static bool Split(const std::string& line, std::vector<std::string>& words,
                      std::string& redirect);

private:
    int Echo(const std::vector<std::string>& args, const std::string& redirect);
    int MountCmd(const std::vector<std::string>& args);
    int UmountCmd(const std::vector<std::string>& args);
    int Mkdosfs(const std::vector<std::string>& args);
    int MkdirCmd(const std::vector<std::string>& args);
    int RmCmd(const std::vector<std::string>& args);
    int Killall(const std::vector<std::string>& args);
    int NandFormat(const std::vector<std::string>& args);
    int RunProgram(const std::string& hostPath, const std::vector<std::string>& words);
    std::string Host(const std::string& boardPath);

    CVeltoSimBoard& m_board;
    std::string m_strRoot;
};
