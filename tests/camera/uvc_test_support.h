// Shared set-up of the camera head tests: a fresh board with the simulated
// head plugged, and helpers to wait for states and read frames.
#pragma once

#include <linux/videodev2.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "camera/v4l2_uvcctrl.h"
#include "sim/sim_board.h"
#include "sim/sim_camera.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_camera_scene.h"
#include "tests/support/sim_test.h"

class UvcCameraTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        CVeltoSimCamera::GetInstance()->ResetFaults();
    }

    void TearDown() override {
        m_pCamera.reset();  // stops the thread, closes the device
        CVeltoSimCamera::GetInstance()->ResetFaults();
        EXPECT_EQ(CVeltoSimBoard::GetInstance().OpenDeviceCount(), 0) << "descriptor leaked";
        EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), 0) << "mapping leaked";
        CVeltoSimBoardTest::TearDown();
    }

    CV4L2_UVCCtrl& MakeCamera(uint32_t width = 320, uint32_t height = 240) {
        m_pCamera.reset(CV4L2_UVCCtrl::CreateNew(width, height, 25, V4L2_PIX_FMT_YUYV));
        return *m_pCamera;
    }

    void SetPlugged(bool plugged) {
        ASSERT_TRUE(VeltoSimCameraSetPlugged(CVeltoSimBoard::GetInstance().Root(), plugged));
    }

    static bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    bool WaitForState(UVC_STATUS status, int timeoutMs) {
        return WaitFor([&] { return m_pCamera->GetUVCStatus() == status; }, timeoutMs);
    }

    // Pops the next frame within timeoutMs; its number (-1 when unreadable)
    // and length. The frame is released unless keep is given.
    long NextFrame(int timeoutMs, int* length = nullptr, CDoubleBufferData** keep = nullptr,
                   uint32_t width = 320, uint32_t height = 240) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (m_pCamera->WaitNewFrameData(50) != 0) {
                continue;
            }
            CDoubleBufferData* data = m_pCamera->PopFrameData();
            if (data == nullptr) {
                continue;
            }
            int len = 0;
            char* p = data->GetData(len);
            long n = len >= int(width * height * 2)
                         ? VeltoSimReadSceneNumberYUYV(reinterpret_cast<uint8_t*>(p), width, height)
                         : -1;
            if (length != nullptr) {
                *length = len;
            }
            if (keep != nullptr) {
                *keep = data;
            } else {
                data->ReleaseData();
                m_pCamera->ReleaseFrameData(data);
            }
            return n;
        }
        return -2;
    }

    std::unique_ptr<CV4L2_UVCCtrl> m_pCamera;
};
