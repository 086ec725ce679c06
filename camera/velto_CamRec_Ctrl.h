// The camera controller: owns the camera head and the AVI recorder, uses the
// process-wide PXP output, and runs the thread that carries every captured
// frame: pending rotate and zoom requests go to the PXP first, then the frame
// is shown, offered to the recorder and, when a picture was asked for,
// encoded as a JPEG file.
//
// The main controller (GUI thread) creates, starts and stops it and sets the
// request flags; each request only sets state, which the thread acts on with
// the next frame. Start, Stop and ChangeUVCResolution join the thread before
// they touch the camera.
#pragma once

#include <pthread.h>
#include <stdint.h>

#include <atomic>
#include <chrono>
#include <string>

#include "camera/v4l2_uvcctrl.h"

class CVeltoAVISaver;

// True while no menu or media screen covers the live view; written by the
// main controller, read by the controller thread.
extern std::atomic<bool> videoflag;

class CVeltoCamRecCtrl {
public:
    // A controller with its camera and recorder; null when the camera cannot
    // be made.
    static CVeltoCamRecCtrl* CreateNew();

    CVeltoCamRecCtrl();
    virtual ~CVeltoCamRecCtrl();  // Deinit

    CVeltoCamRecCtrl(const CVeltoCamRecCtrl&) = delete;
    CVeltoCamRecCtrl& operator=(const CVeltoCamRecCtrl&) = delete;

    bool Init();
    bool InitUVC();
    bool InitPXP();
    bool InitAVISaver();
    void Deinit();
    void DeinitPXP();
    void DeinitAVISaver();
    void DeinitUVC();

    // Starts the camera and the controller thread; false when either fails.
    bool Start();
    // Stops the thread and the camera, and hides the live video.
    void Stop();
    // Reopens the camera at width x height (first argument unused).
    void ChangeUVCResolution(bool unused, int width, int height);

    // A picture of the next 640 x 480 frame, in a new file named after the
    // second it is written (the next free second when that name is taken);
    // GetSavingImageStatus stays true until it is written or given up.
    bool SaveToImage();
    bool GetSavingImageStatus() const { return m_bIsSavingImage; }
    // Next display orientation, applied with the next streamed frame.
    bool RotateCW();
    // Zoom level 0 (whole picture) to 7 (centre 96 x 72); higher is 7.
    void ZoomPXP(unsigned char level);
    // True while a zoom request waits for the next frame.
    bool IsZoomSet() const { return m_bZoomSet; }
    // False stops feeding the display (while a picture is taken).
    void SetPictureStatus(bool finished);
    void SetColorOrBlack(bool color);
    // Camera-head light for a brightness in percent (clamped to 0..100, in
    // tenths): sets "led-pwm0" from the drive table. Always true.
    bool ChangeBright(int percent);

    // Starts recording into a new file named after the local time (the next
    // free second when that name is taken; no file is ever replaced); false
    // when there is no medium, no recorder or the camera is not streaming.
    bool StartRecordAVI();
    void StopRecordAVI();
    bool IsAVIRecording() const;
    UVC_STATUS GetUVCStatus() const;
    // True while the controller thread runs (the camera's own thread then
    // keeps looking for a head by itself).
    bool IsRunning() const { return m_bHasThread && !m_bExitThread; }

    // The recorder (tests and benchmarks read its counters); may be null.
    CVeltoAVISaver* GetAVISaver() const { return m_pAVISaver; }
    // Frames handed to the display since the controller was made.
    long long GetShownFrames() const { return m_nShownFrames; }

    // Drive level of the camera-head light for a brightness in percent.
    static unsigned char LightLevel(int percent);

private:
    bool StartThread();
    void StopThread();
    void thread_proc();
    static void* thread_start(void* self);

    void ManageDisplay();
    void HandleFrame(char* data, int length);
    // Writes the picture of one 640 x 480 frame.
    void SaveToJpg(char* data, int length);
    // Gives up a picture request that found no frame of the right size.
    void CheckPictureTimeout();

    CV4L2_UVCCtrl* m_pUVC;
    CVeltoAVISaver* m_pAVISaver;
    pthread_t m_pThreadID;
    bool m_bHasThread;
    std::atomic<bool> m_bExitThread;
    std::atomic<bool> m_bIsSavingImage;
    std::atomic<bool> m_bStartRotate;
    std::atomic<bool> m_bZoomSet;
    struct ZoomSize {
        std::atomic<uint16_t> width;
        std::atomic<uint16_t> height;
    } m_sZoomSize;
    std::atomic<bool> m_isFinishedPicture;
    // When the pending picture was asked for (monotonic).
    std::atomic<long long> m_nSaveRequestedMs;
    std::atomic<long long> m_nShownFrames;
    // Last attempt to start the PXP (controller thread only).
    long long m_nPxpAttemptMs = 0;
};
