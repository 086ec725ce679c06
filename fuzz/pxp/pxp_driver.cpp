#include "fuzz/pxp/pxp_driver.h"

#include <unistd.h>

#include <memory>
#include <vector>

#include "camera/v4l2_MXSPXPCtrl.h"
#include "fuzz/common/velto_fuzz_bytes.h"
#include "settings/velto_SC_screen.h"
#include "settings/velto_SC_setting.h"
#include "sim/sim_board.h"
#include "sim/sim_files.h"
#include "sim/sim_scripted_v4l2.h"

// Input layout:
//   [0] screen size  [1] start size  [2] operation count (up to 31)
//   per operation: kind, argument, argument
//   then the node's script.
// After the operations a frame is shown at every zoom level, each level at
// the next orientation, and the device is closed.

namespace {

struct Size {
    unsigned width, height;
};
const Size kScreens[] = {{320, 240}, {720, 576}, {640, 480}, {720, 480}};
const Size kStarts[] = {{320, 240}, {320, 240}, {640, 480}, {16, 12}, {1, 1}, {0, 0}};
const unsigned kFrameBytes = 320 * 240 * 2;

Size g_screen = kScreens[0];

int ScreenMetric(int index) {
    return static_cast<int>(index == 0 ? g_screen.width : g_screen.height);
}

using Reader = VeltoFuzz::CByteReader;

std::shared_ptr<CVeltoScriptedV4L2> Node() {
    static std::shared_ptr<CVeltoScriptedV4L2> node =
        std::make_shared<CVeltoScriptedV4L2>(CVeltoScriptedV4L2::Output);
    return node;
}

void PrepareBoard() {
    static std::string prepared;
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    std::string root = board.Root();
    if (root != prepared || !VeltoSim::Exists(root + "/dev/video0")) {
        VeltoSim::MakeDirs(root + "/sys/class/video4linux/video0");
        VeltoSim::WriteText(root + "/sys/class/video4linux/video0/name", "scripted PxP\n");
        VeltoSim::MakeDirs(root + "/dev");
        VeltoSim::WriteText(root + "/dev/video0", "");
        VeltoSim::MakeDirs(root + "/proc/sys/vm");
        board.RegisterDevice("/dev/video0", Node());
        Velto::SetScreenMetricsProc(ScreenMetric);
        // The store opens its own nodes on first use, which is not the PXP's.
        CVeltoSCSetting::GetInstance();
        prepared = root;
    }
    unlink((root + "/sim/commands.log").c_str());
}

std::vector<char>& Frame() {
    static std::vector<char> frame = [] {
        std::vector<char> f(kFrameBytes);
        for (size_t i = 0; i < f.size(); ++i) {
            f[i] = static_cast<char>(i * 7);
        }
        return f;
    }();
    return frame;
}

}  // namespace

std::string VeltoPxpFuzzRun(const uint8_t* data, size_t size) {
    PrepareBoard();
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    // Other nodes of the board (a test's) may be open all along.
    const int openBefore = board.OpenDeviceCount();
    CVeltoScriptedV4L2& node = *Node();
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();

    Reader in(data, size);
    g_screen = kScreens[in.Byte() % (sizeof kScreens / sizeof kScreens[0])];
    Size start = kStarts[in.Byte() % (sizeof kStarts / sizeof kStarts[0])];
    int ops = in.Byte() & 31;
    struct Op {
        uint8_t kind, a, b;
    } plan[31];
    for (int i = 0; i < ops; ++i) {
        plan[i].kind = in.Byte();
        plan[i].a = in.Byte();
        plan[i].b = in.Byte();
    }
    node.SetScripts(in.Data(), in.Left(), nullptr, 0);
    node.SetStepLimit(20000);
    node.Arm(in.Left());

    // The device is one per process: every input starts from the same state.
    pxp.Close();
    pxp.SetRotate(PXP_ROTATE_Orig);
    char* frame = Frame().data();

    pxp.Start(start.width, start.height);
    for (int i = 0; i < ops; ++i) {
        const Op& op = plan[i];
        switch (op.kind % 11) {
            case 0:
                pxp.EnqueuePXPBuf(frame, kFrameBytes);
                break;
            case 1:
                pxp.RotateCW();
                break;
            case 2:
                pxp.SetRotate(static_cast<PXPRotateType>(op.a % 4));
                break;
            case 3: {
                unsigned level = op.a % 8;
                pxp.ZoomStep(static_cast<unsigned short>(320 - 32 * level),
                             static_cast<unsigned short>(240 - 24 * level));
                break;
            }
            case 4:
                pxp.ZoomStep(static_cast<unsigned short>(op.a * 3),
                             static_cast<unsigned short>(op.b * 3));
                break;
            case 5:
                pxp.SetScaleTo(op.a * 5u, op.b * 5u);
                break;
            case 6:
                pxp.SetZoomDefault();
                break;
            case 7:
                pxp.ChangeToPXP((op.a & 1) != 0);
                break;
            case 8:
                pxp.GetPxPDispID();
                break;
            case 9:
                // A frame of another size must be refused, never read past.
                pxp.EnqueuePXPBuf(frame, op.a * 1000u);
                break;
            default:
                pxp.Close();
                pxp.Start(start.width, start.height);
                break;
        }
    }
    for (unsigned level = 0; level < 8; ++level) {
        pxp.RotateCW();
        pxp.ZoomStep(static_cast<unsigned short>(320 - 32 * level),
                     static_cast<unsigned short>(240 - 24 * level));
        pxp.EnqueuePXPBuf(frame, kFrameBytes);
    }
    pxp.Close();

    if (board.OpenDeviceCount() != openBefore) {
        return "a descriptor of the PXP node is still open";
    }
    if (node.LiveHandles() != 0) {
        return "a handle of the PXP node is still alive";
    }
    if (node.LiveMappings() != 0) {
        return std::to_string(node.LiveMappings()) + " buffer mappings left behind";
    }
    if (node.BadUnmaps() != 0) {
        return "an unmap did not match a mapping";
    }
    return "";
}
