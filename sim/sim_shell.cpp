#include "sim/sim_shell.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "sim/sim_board.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_emulator.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"

namespace {

int Status(int exitCode) {
    return (exitCode & 0xff) << 8;
}

std::string BaseName(const std::string& p) {
    size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// Positional arguments after the options (words beginning with '-'); the
// value of "-t"/"-o"/"-F" is consumed with its option.
std::vector<std::string> Positional(const std::vector<std::string>& args, std::string* type) {
    std::vector<std::string> pos;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-t" || a == "-o" || a == "-F") {
            if (i + 1 < args.size()) {
                if (a == "-t" && type != nullptr) {
                    *type = args[i + 1];
                }
                ++i;
            }
        } else if (!a.empty() && a[0] == '-') {
            continue;
        } else if (!a.empty()) {
            pos.push_back(a);
        }
    }
    return pos;
}

}  // namespace

CVeltoSimShell::CVeltoSimShell(CVeltoSimBoard& board) : m_board(board), m_strRoot(board.Root()) {}

std::string CVeltoSimShell::Host(const std::string& boardPath) {
    return m_board.MapPath(boardPath);
}

bool CVeltoSimShell::Split(const std::string& line, std::vector<std::string>& words,
                           std::string& redirect) {
    words.clear();
    redirect.clear();
    bool redirectNext = false;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i >= line.size()) {
            break;
        }
        if (line[i] == '>') {
            redirectNext = true;
            ++i;
            continue;
        }
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '>') {
            char c = line[i];
            if (c == '\'' || c == '"') {
                size_t close = line.find(c, i + 1);
                if (close == std::string::npos) {
                    return false;
                }
                word += line.substr(i + 1, close - i - 1);
                i = close + 1;
            } else if (c == '\\' && i + 1 < line.size()) {
                word += line[i + 1];
                i += 2;
            } else {
                word += c;
                ++i;
            }
        }
        if (redirectNext) {
            redirect = word;
            redirectNext = false;
        } else {
            words.push_back(word);
        }
    }
    return !redirectNext;
}

int CVeltoSimShell::Run(const std::string& command) {
    std::vector<std::string> words;
    std::string redirect;
    if (!Split(command, words, redirect) || words.empty()) {
        fprintf(stderr, "sim-sh: syntax error: %s\n", command.c_str());
        return Status(2);
    }
    const std::string name = BaseName(words[0]);
    if (name == "echo") {
        return Echo(words, redirect);
    }
    if (name == "mount") {
        return MountCmd(words);
    }
    if (name == "umount") {
        return UmountCmd(words);
    }
    if (name == "mkdosfs" || name == "mkfs.vfat") {
        return Mkdosfs(words);
    }
    if (name == "mkdir") {
        return MkdirCmd(words);
    }
    if (name == "rm") {
        return RmCmd(words);
    }
    if (name == "killall") {
        return Killall(words);
    }
    if (name == "sync") {
        m_board.Sync();
        return 0;
    }
    if (words[0] == "/usr/velto/nandformat") {
        return NandFormat(words);
    }
    // A program of the board's own: the main program in the run directory, or
    // one installed below /usr/velto (splash).
    if (words[0].find('/') != std::string::npos) {
        std::string hostPath = Host(words[0]);
        struct stat st;
        if (::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(hostPath.c_str(), X_OK) == 0) {
            return RunProgram(hostPath, words);
        }
    }
    fprintf(stderr, "sim-sh: %s: not found\n", words[0].c_str());
    return Status(127);
}

int CVeltoSimShell::Echo(const std::vector<std::string>& args, const std::string& redirect) {
    std::string text;
    for (size_t i = 1; i < args.size(); ++i) {
        text += (i > 1 ? " " : "") + args[i];
    }
    text += "\n";
    if (redirect.empty()) {
        fputs(text.c_str(), stdout);
        return 0;
    }
    std::string hostPath = Host(redirect);
    // Exporting a GPIO line makes its directory appear, as the kernel does.
    if (redirect == "/sys/class/gpio/export") {
        int line = atoi(text.c_str());
        std::string dir = Host("/sys/class/gpio/gpio" + std::to_string(line));
        if (!VeltoSim::IsDir(Host("/sys/class/gpio"))) {
            return Status(1);
        }
        if (!VeltoSim::IsDir(dir)) {
            VeltoSim::MakeDirs(dir);
            std::string value = "0";
            if (line == 62) {
                value = VeltoSim::ReadLine(m_board.SimFile("tvcable"), "0");
            }
            VeltoSim::WriteText(dir + "/value", value + "\n");
            VeltoSim::WriteText(dir + "/direction", "in\n");
        }
        return 0;
    }
    size_t slash = hostPath.find_last_of('/');
    if (slash != std::string::npos && !VeltoSim::IsDir(hostPath.substr(0, slash))) {
        fprintf(stderr, "sim-sh: can't create %s: nonexistent directory\n", redirect.c_str());
        return Status(1);
    }
    if (!VeltoSim::WriteText(hostPath, text)) {
        return Status(1);
    }
    // The camera port's USB reset line: the head leaves the bus while it is
    // low and enumerates again after it goes high.
    if (redirect == "/sys/class/gpio/gpio71/value") {
        VeltoSimCameraResetLine(m_strRoot, atoi(text.c_str()) != 0);
    }
    return 0;
}

int CVeltoSimShell::MountCmd(const std::vector<std::string>& args) {
    std::string type = "vfat";
    std::vector<std::string> pos = Positional(args, &type);
    if (pos.size() != 2) {
        fprintf(stderr, "mount: bad usage\n");
        return Status(1);
    }
    return Status(VeltoSim::Mount(m_strRoot, pos[0], pos[1], type));
}

int CVeltoSimShell::UmountCmd(const std::vector<std::string>& args) {
    std::vector<std::string> pos = Positional(args, nullptr);
    if (pos.size() != 1) {
        fprintf(stderr, "umount: bad usage\n");
        return Status(1);
    }
    return Status(VeltoSim::Umount(m_strRoot, pos[0]));
}

int CVeltoSimShell::Mkdosfs(const std::vector<std::string>& args) {
    std::vector<std::string> pos = Positional(args, nullptr);
    if (pos.size() != 1 || !VeltoSim::Exists(Host(pos[0]))) {
        fprintf(stderr, "mkdosfs: %s: no such device\n", pos.empty() ? "" : pos[0].c_str());
        return Status(1);
    }
    std::string disk = VeltoSim::DiskDir(m_strRoot, pos[0]);
    VeltoSim::MakeDirs(disk);
    return VeltoSim::ClearDir(disk) ? 0 : Status(1);
}

int CVeltoSimShell::MkdirCmd(const std::vector<std::string>& args) {
    bool parents = std::find(args.begin(), args.end(), "-p") != args.end();
    int status = 0;
    for (const std::string& dir : Positional(args, nullptr)) {
        std::string host = Host(dir);
        bool ok = parents ? VeltoSim::MakeDirs(host) : ::mkdir(host.c_str(), 0755) == 0;
        if (!ok) {
            status = Status(1);
        }
    }
    return status;
}

int CVeltoSimShell::RmCmd(const std::vector<std::string>& args) {
    bool force = false;
    bool recursive = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (!args[i].empty() && args[i][0] == '-') {
            force = force || args[i].find('f') != std::string::npos;
            recursive = recursive || args[i].find('r') != std::string::npos;
        }
    }
    int status = 0;
    for (const std::string& p : Positional(args, nullptr)) {
        std::string host = Host(p);
        bool ok = recursive ? VeltoSim::RemoveTree(host)
                            : (::unlink(host.c_str()) == 0 || (force && errno == ENOENT));
        if (!ok) {
            status = Status(1);
        }
    }
    return status;
}

int CVeltoSimShell::Killall(const std::vector<std::string>& args) {
    // Only processes this board started are ever signalled.
    std::vector<std::string> pos = Positional(args, nullptr);
    if (pos.size() != 1) {
        return Status(1);
    }
    bool killed = false;
    for (const auto& child : m_board.Children()) {
        if (child.first == BaseName(pos[0])) {
            killed = ::kill(child.second, SIGTERM) == 0 || killed;
        }
    }
    if (!killed) {
        fprintf(stderr, "%s: no process killed\n", pos[0].c_str());
    }
    return killed ? 0 : Status(1);
}

int CVeltoSimShell::NandFormat(const std::vector<std::string>& args) {
    // The device's script rebuilds the FAT image of the internal medium and
    // mounts it again.
    std::vector<std::string> pos = Positional(args, nullptr);
    std::string verb = pos.empty() ? "" : pos[0];
    if (verb == "stop") {
        VeltoSim::MountEntry m;
        for (const VeltoSim::MountEntry& e : VeltoSim::ReadMounts(m_strRoot)) {
            if (e.device == "/dev/loop0") {
                VeltoSim::Umount(m_strRoot, e.dir);
            }
        }
        return 0;
    }
    if (verb == "start") {
        VeltoSim::MakeDirs(Host("/mnt/ubifs"));
        VeltoSim::WriteText(Host("/mnt/ubifs/backing_file"), "");
        std::string disk = VeltoSim::DiskDir(m_strRoot, "/dev/loop0");
        VeltoSim::MakeDirs(disk);
        VeltoSim::ClearDir(disk);
        VeltoSim::MakeDirs(Host("/media/nand"));
        return Status(VeltoSim::Mount(m_strRoot, "/dev/loop0", "/media/nand", "vfat"));
    }
    fprintf(stderr, "nandformat: usage: nandformat start|stop\n");
    return Status(1);
}

int CVeltoSimShell::RunProgram(const std::string& hostPath, const std::vector<std::string>& words) {
    // Everything is mapped before fork: the caller may be threaded (keeper
    // runs its main program while its cable thread runs), so the child may
    // only exec.
    std::vector<std::string> mapped;
    for (const std::string& w : words) {
        mapped.push_back(m_board.MapPath(w));
    }
    // In a cross build the program runs through the build's emulator.
    std::string file;
    std::vector<std::string> args = VeltoSim::ExecArgv(hostPath, mapped, &file);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(&a[0]);
    }
    argv.push_back(nullptr);
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        execv(file.c_str(), argv.data());
        _exit(127);
    }
    const std::string name = BaseName(words[0]);
    {
        std::lock_guard<std::mutex> lock(m_board.m_mutex);
        m_board.m_children.emplace_back(name, pid);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard<std::mutex> lock(m_board.m_mutex);
        auto& c = m_board.m_children;
        c.erase(
            std::remove_if(c.begin(), c.end(), [pid](const auto& e) { return e.second == pid; }),
            c.end());
    }
    return status;
}
