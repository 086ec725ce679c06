#include "tests/support/veltosc_process.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "tests/support/png_rgb.h"

CVeltoscProcess::CVeltoscProcess(std::string runDir) : m_strRunDir(std::move(runDir)) {}

CVeltoscProcess::~CVeltoscProcess() {
    Stop();
}

bool CVeltoscProcess::PrepareRunDir() {
    const std::string bin = VELTO_BIN_DIR;
    const std::string copy = "cp -r '" + bin + "/img' '" + bin + "/fonts' '" + m_strRunDir + "'";
    const std::string board = m_strRunDir + "/board";
    return system(copy.c_str()) == 0 &&
           VeltoSim::WriteText(m_strRunDir + "/veltoscconf.xml",
                               VeltoSim::ReadText(VELTO_SOURCE_DIR "/assets/veltoscconf.xml")) &&
           VeltoSim::MakeDirs(board + "/usr/velto/img") &&
           VeltoSim::WriteText(
               board + "/usr/velto/img/bye.png",
               VeltoSim::ReadText(VELTO_SOURCE_DIR "/assets/usr_velto_img/bye.png"));
}

bool CVeltoscProcess::Start() {
    // Everything the child needs is made before fork: the caller may be
    // threaded.
    const std::string cmd = std::string("unset DISPLAY WAYLAND_DISPLAY; exec ") +
                            VELTO_TEST_EMULATOR " " VELTO_BIN_DIR "/veltosc > veltosc.log 2>&1";
    const std::string dir = m_strRunDir;
    m_nPid = fork();
    if (m_nPid == 0) {
        if (chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return m_nPid > 0;
}

void CVeltoscProcess::Stop() {
    if (m_nPid > 0) {
        kill(m_nPid, SIGKILL);
        waitpid(m_nPid, nullptr, 0);
        m_nPid = -1;
    }
}

bool CVeltoscProcess::Running() {
    if (m_nPid <= 0) {
        return false;
    }
    if (waitpid(m_nPid, nullptr, WNOHANG) == 0) {
        return true;
    }
    // Ended and reaped: its number may soon be another process's.
    m_nPid = -1;
    return false;
}

std::string CVeltoscProcess::Ask(const std::string& request) {
    std::string reply;
    int rc = VeltoSimControlRequest(VeltoSimControlSocketPath(m_strRunDir), request, reply, 15000);
    return rc == 0 ? (reply.empty() ? "OK" : reply) : "";
}

std::vector<uint8_t> CVeltoscProcess::Screenshot(const std::string& name, int* width, int* height) {
    std::string file = m_strRunDir + "/" + name + ".png";
    *width = *height = 0;
    if (Ask("screenshot " + file) != "OK") {
        return {};
    }
    return VeltoTest::ReadPngRgb(file, width, height);
}

int CVeltoscProcess::MiddleRowColours() {
    int width = 0, height = 0;
    std::vector<uint8_t> px = Screenshot("shot", &width, &height);
    if (px.empty()) {
        return -1;
    }
    std::set<uint32_t> colours;
    const uint8_t* row = &px[static_cast<size_t>(height / 2) * width * 3];
    for (int x = 0; x < width; ++x) {
        colours.insert(row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2]);
    }
    return static_cast<int>(colours.size());
}
