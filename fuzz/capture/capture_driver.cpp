#include "fuzz/capture/capture_driver.h"

#include <linux/videodev2.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "camera/v4l2_uvcctrl.h"
#include "fuzz/common/velto_fuzz_bytes.h"
#include "sim/sim_board.h"
#include "sim/sim_files.h"
#include "sim/sim_scripted_v4l2.h"

// Input layout:
//   [0] start size  [1] frame rate  [2] operation count (low 2 bits)
//   [3] side-script length  [4] bytes of the first phase
//   per operation: kind, argument, bytes of its phase
//   then the main script, and the side script at the very end.
// Each phase lets the node read its bytes; the next operation begins once
// they are read (or after a bounded real-time wait).

namespace {

struct Size {
    int width, height;
};
// The firmware's two sizes, small and odd ones, and two without a frame
// queue. No larger one: its frame copies would take most of every run.
const Size kSizes[] = {{320, 240}, {640, 480}, {160, 120}, {176, 144},
                       {2, 1},     {352, 288}, {0, 240},   {320, 0}};
const int kSizeCount = sizeof kSizes / sizeof kSizes[0];
const int kPhaseWaitMs = 500;

using Reader = VeltoFuzz::CByteReader;

std::shared_ptr<CVeltoScriptedV4L2> Node() {
    static std::shared_ptr<CVeltoScriptedV4L2> node =
        std::make_shared<CVeltoScriptedV4L2>(CVeltoScriptedV4L2::Capture);
    return node;
}

// The camera's sysfs entry and device node below the current board root.
void PrepareBoard() {
    static std::string prepared;
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    std::string root = board.Root();
    if (root != prepared || !VeltoSim::Exists(root + "/dev/video1")) {
        VeltoSim::MakeDirs(root + "/sys/class/video4linux/video1");
        VeltoSim::WriteText(root + "/sys/class/video4linux/video1/name", "Scripted Camera\n");
        VeltoSim::MakeDirs(root + "/dev");
        VeltoSim::WriteText(root + "/dev/video1", "");
        VeltoSim::MakeDirs(root + "/proc/sys/vm");
        // No USB reset line: on a board made for tests, a reset would unplug
        // the simulated head's node, which the scripted one has replaced.
        VeltoSim::RemoveTree(root + "/sys/class/gpio");
        board.RegisterDevice("/dev/video1", Node());
        prepared = root;
    }
    // Every close drops the page cache through the shell, which logs it.
    unlink((root + "/sim/commands.log").c_str());
}

// Takes frames while the phase's bytes are read; "" or the fault seen.
std::string RunPhase(CV4L2_UVCCtrl& camera, const Size& size, CVeltoScriptedV4L2& node,
                     long& frames) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPhaseWaitMs);
    const int frame = size.width * size.height * 2;
    for (;;) {
        bool done = node.WaitArmedUsed(0);
        while (camera.WaitNewFrameData(0) == 0) {
            CDoubleBufferData* data = camera.PopFrameData();
            if (data == nullptr) {
                break;
            }
            int len = 0;
            char* p = data->GetData(len);
            // Touch the whole frame: it must all be inside the queue's buffer.
            volatile char sum = 0;
            for (int i = 0; i < len; i += 64) {
                sum = static_cast<char>(sum + p[i]);
            }
            if (len > 0) {
                sum = static_cast<char>(sum + p[len - 1]);
            }
            data->ReleaseData();
            camera.ReleaseFrameData(data);
            ++frames;
            if (len != frame) {
                return "a frame of " + std::to_string(len) + " bytes reached the queue, " +
                       std::to_string(frame) + " expected";
            }
        }
        if (done || std::chrono::steady_clock::now() > end) {
            return "";
        }
        node.WaitArmedUsed(2);
    }
}

}  // namespace

std::string VeltoCaptureFuzzRun(const uint8_t* data, size_t size, long* frames) {
    long taken = 0;
    PrepareBoard();
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    // Other nodes of the board (a test's) may be open all along.
    const int openBefore = board.OpenDeviceCount();
    CVeltoScriptedV4L2& node = *Node();

    Reader in(data, size);
    Size current = kSizes[in.Byte() % kSizeCount];
    uint32_t fps = in.Byte();
    int ops = in.Byte() & 3;
    size_t sideLen = in.Byte();
    size_t firstPhase = (in.Byte() + 1) * 4u;
    struct Op {
        uint8_t kind, arg;
        size_t bytes;
    } plan[3];
    for (int i = 0; i < ops; ++i) {
        plan[i].kind = in.Byte();
        plan[i].arg = in.Byte();
        plan[i].bytes = (in.Byte() + 1) * 4u;
    }
    sideLen = std::min(sideLen, in.Left());
    size_t mainLen = in.Left() - sideLen;
    node.SetScripts(in.Data(), mainLen, in.Data() + mainLen, sideLen);
    node.SetStepLimit(20000);
    // Enough for a reconnect or a few frames after the last scripted answer;
    // every frame more is a copy of up to 2.4 MB into fresh memory.
    node.SetTailSteps(32);

    std::string fault;
    {
        std::unique_ptr<CV4L2_UVCCtrl> camera(
            CV4L2_UVCCtrl::CreateNew(current.width, current.height, fps, V4L2_PIX_FMT_YUYV));
        if (!camera) {
            return "";  // no queue for that size: nothing to drive
        }
        node.Arm(firstPhase);
        camera->Start();
        fault = RunPhase(*camera, current, node, taken);
        for (int i = 0; i < ops && fault.empty(); ++i) {
            const Op& op = plan[i];
            switch (op.kind % 5) {
                case 0: {
                    const Size& s = kSizes[op.arg % kSizeCount];
                    // A size without a frame queue is refused before any call.
                    node.Arm(op.bytes, s.width <= 0 || s.height <= 0);
                    camera->ReSetUVCResolution(s.width, s.height);
                    if (s.width > 0 && s.height > 0) {
                        current = s;
                    }
                    break;
                }
                case 1:
                case 2: {
                    // The capture thread may wait in the node while holding
                    // the device lock that a control change takes: let it
                    // run (on healthy answers) until the change is done.
                    node.Release();
                    {
                        CVeltoScriptedV4L2::SideCalls side;
                        if (op.kind % 5 == 1) {
                            camera->ChangeBright(static_cast<int>(op.arg) - 20);
                        } else {
                            camera->SetColorOrBlack((op.arg & 1) != 0);
                        }
                    }
                    node.Arm(op.bytes, true);
                    break;
                }
                case 3:
                    node.Arm(op.bytes);
                    camera->Stop();
                    camera->Start();
                    break;
                default:
                    node.Arm(op.bytes, true);
                    break;
            }
            fault = RunPhase(*camera, current, node, taken);
        }
        node.Release();
        camera->Stop();
    }
    if (frames != nullptr) {
        *frames = taken;
    }
    if (!fault.empty()) {
        return fault;
    }
    if (board.OpenDeviceCount() != openBefore) {
        return "a descriptor of the camera node is still open";
    }
    if (node.LiveHandles() != 0) {
        return "a handle of the camera node is still alive";
    }
    if (node.LiveMappings() != 0) {
        return std::to_string(node.LiveMappings()) + " buffer mappings left behind";
    }
    if (node.BadUnmaps() != 0) {
        return "an unmap did not match a mapping";
    }
    return "";
}
