// The USB (UVC) camera head: finds the camera among the video nodes,
// configures it, and runs a capture thread that follows it through plug,
// unplug and stream failures and copies every frame into a two-frame queue
// for the camera controller.
#pragma once

#include <pthread.h>
#include <stdint.h>

#include <atomic>
#include <mutex>

#include "camera/doublebuffer.h"
#include "camera/v4l2_videoctrl.h"

enum UVC_STATUS {
    UVC_STATUS_DISCONNECTED = 0,  // no camera opened
    UVC_STATUS_CONNECTED = 1,     // opened and configured, not streaming
    UVC_STATUS_STREAMING = 2,     // stream on, frames flowing
};

class CV4L2_UVCCtrl : public CV4L2_VideoCtrl {
public:
    // A camera for frames of width x height at fps in the given fourcc; null
    // when the frame queue cannot be made. Does not open the device.
    static CV4L2_UVCCtrl* CreateNew(uint32_t width, uint32_t height, uint32_t fps, uint32_t format);

    CV4L2_UVCCtrl();
    ~CV4L2_UVCCtrl() override;  // Stop, Deinit

    // Stores the parameters and makes the frame queue; false when the queue
    // cannot be made.
    bool Init(uint32_t width, uint32_t height, uint32_t fps, uint32_t format);
    bool InitBuffer();
    void DeinitBuffer();
    void Deinit();

    // (Re)opens the camera and starts the capture thread, which keeps
    // looking for the camera when it is absent. False when the thread cannot
    // be started.
    bool Start();
    // Stops the capture thread and closes the camera.
    void Stop();
    // Switches the frame size: stops, makes a queue for the new size, reopens
    // and restarts the capture thread (also when no camera is found).
    void ReSetUVCResolution(int width, int height);

    UVC_STATUS GetUVCStatus() const { return m_curUVCStatus; }
    bool IsConnected() const { return m_curUVCStatus > UVC_STATUS_DISCONNECTED; }

    // Consumer side of the frame queue; without a queue there is never a
    // frame (the wait returns 1, the size 0, the pop null).
    int WaitNewFrameData(int timeoutMs);
    int GetFrameBufferSize();
    CDoubleBufferData* PopFrameData();
    void ReleaseFrameData(CDoubleBufferData* data);

    // Sets the image brightness to percent of the control's range; the
    // control's answer, -1 when the range cannot be read or no head is open.
    // Safe from any thread: the capture thread may be reopening the head.
    int ChangeBright(int percent);
    // Colour restores the default saturation; monochrome sets the minimum.
    // Nothing happens while no head is open. Safe from any thread.
    void SetColorOrBlack(bool color);

    static const char* GetStateString(UVC_STATUS status);

private:
    bool Restart();
    // The control changes themselves; the caller holds m_mDeviceLock.
    int ApplyBright(int percent);
    void ApplyColorOrBlack(bool color);
    // Close under m_mDeviceLock, for the capture thread.
    void CloseLocked();
    bool CheckIsUVC(int id);
    bool InitV4L2Params();
    bool GrabFrame();
    void AddNewFrameData(char* data, int len);
    bool StartStream();
    bool StopStream();
    bool StartThread();
    void StopThread();
    void thread_proc();
    static void* thread_start(void* self);
    void ChangeNewState(UVC_STATUS status);
    void PrintAllParams();
    // Sleeps up to ms milliseconds, less when a stop is requested.
    void PauseUnlessStopped(int ms);

    pthread_t m_pThreadID;
    bool m_bHasThread;
    std::atomic<bool> m_bExitThread;
    CDoubleBuffer* m_pDataBuffer;
    std::atomic<UVC_STATUS> m_curUVCStatus;
    // Held while the capture thread opens or closes the node, and by control
    // changes from other threads, so that a control never reaches a
    // descriptor that was closed or reused by a reconnect.
    std::mutex m_mDeviceLock;
};
