// Driver answers that no healthy driver gives, played by a scripted node:
// the camera code must stay bounded, inside the control's range and leave
// nothing mapped.
#include <gtest/gtest.h>
#include <linux/videodev2.h>
#include <stdint.h>

#include <chrono>
#include <climits>
#include <memory>

#include "camera/v4l2_uvcctrl.h"
#include "sim/sim_board.h"
#include "sim/sim_files.h"
#include "sim/sim_scripted_v4l2.h"
#include "tests/support/sim_test.h"

namespace {

// Selector bytes of the scripted node.
const uint8_t kHealthy = 0;
const uint8_t kOdd = 200;

class DriverAnswersTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
        std::string root = board.Root();
        // The scripted node takes the simulated head's place; no USB reset
        // line, whose use would unplug the head's node.
        VeltoSim::RemoveTree(root + "/sys/class/gpio");
        VeltoSim::WriteText(root + "/sys/class/video4linux/video1/name", "Scripted Camera\n");
        VeltoSim::WriteText(root + "/dev/video1", "");
        m_pNode = std::make_shared<CVeltoScriptedV4L2>(CVeltoScriptedV4L2::Capture);
        board.RegisterDevice("/dev/video1", m_pNode);
        board.SetInstantSleeps(true);
    }
    void TearDown() override {
        m_pCamera.reset();
        EXPECT_EQ(m_pNode->LiveHandles(), 0);
        EXPECT_EQ(m_pNode->LiveMappings(), 0);
        EXPECT_EQ(m_pNode->BadUnmaps(), 0);
        CVeltoSimBoard::GetInstance().SetInstantSleeps(false);
        CVeltoSimBoardTest::TearDown();
    }

    void Play(const std::vector<uint8_t>& script) {
        m_pNode->SetScripts(script.data(), script.size(), nullptr, 0);
        m_pNode->Arm(script.size());
    }

    // Opens the head without starting its capture thread.
    CV4L2_UVCCtrl& OpenCamera() {
        m_pCamera.reset(CV4L2_UVCCtrl::CreateNew(320, 240, 25, V4L2_PIX_FMT_YUYV));
        EXPECT_TRUE(m_pCamera->Open("Camera", false));
        return *m_pCamera;
    }

    static void PutWord(std::vector<uint8_t>& s, uint32_t w) {
        for (int i = 0; i < 4; ++i) {
            s.push_back(static_cast<uint8_t>(w >> (8 * i)));
        }
    }

    std::shared_ptr<CVeltoScriptedV4L2> m_pNode;
    std::unique_ptr<CV4L2_UVCCtrl> m_pCamera;
};

}  // namespace

// A driver that grants four billion buffers: at most VIDEO_MAX_FRAME are
// queried and mapped, at once, and all are unmapped again on close.
TEST_F(DriverAnswersTest, AbsurdBufferCountIsCapped) {
    std::vector<uint8_t> script = {kHealthy, kHealthy, kOdd};  // open, querycap, reqbufs
    PutWord(script, 0xFFFFFFFFu);
    Play(script);
    CV4L2_UVCCtrl& camera = OpenCamera();
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(camera.RequestV4L2StreamBuffer(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(camera.GetStreamBufferSize(), VIDEO_MAX_FRAME);
    EXPECT_EQ(m_pNode->LiveMappings(), VIDEO_MAX_FRAME);
    camera.Close();
    EXPECT_EQ(m_pNode->LiveMappings(), 0);
}

// A brightness control spanning the whole int range: half way is the
// middle of the range, not a wrapped-around value; beyond 100 % is the top.
TEST_F(DriverAnswersTest, BrightnessOfAFullRangeControlStaysInRange) {
    for (int percent : {50, 250}) {
        std::vector<uint8_t> script = {kHealthy, kHealthy};  // open, querycap
        for (int query = 0; query < 2; ++query) {
            // The range query, once for the range and once before the write.
            script.push_back(kOdd);
            PutWord(script, V4L2_CTRL_TYPE_INTEGER);
            PutWord(script, static_cast<uint32_t>(INT_MIN));
            PutWord(script, static_cast<uint32_t>(INT_MAX));
            PutWord(script, 0);   // default
            PutWord(script, 0);   // flags
            script.push_back(0);  // empty name
            if (query == 0) {
                script.push_back(kHealthy);  // the current value
            }
        }
        Play(script);
        CV4L2_UVCCtrl& camera = OpenCamera();
        EXPECT_EQ(camera.ChangeBright(percent), 0);
        int32_t value = m_pNode->ControlValue(V4L2_CID_BRIGHTNESS);
        if (percent == 50) {
            EXPECT_NEAR(static_cast<double>(value), 0.0, 2.0);
        } else {
            EXPECT_EQ(value, INT_MAX);
        }
        m_pCamera.reset();
    }
}
