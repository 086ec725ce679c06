// The PXP output device: shows the live camera picture (and played-back
// frames) as a colour-keyed hardware overlay beneath the user interface. The
// PXP takes a planar YUV 4:2:2 picture from its one mmap output buffer,
// scales it to the whole screen and lets it through wherever the framebuffer
// holds the colour key 0x010101. Zoom is a smaller source picture scaled up;
// orientation is set through the driver's rotation and flip controls.
//
// One instance per process. Rotation, zoom and frame output are serialised
// by the control lock, so a format change never lands in the middle of a
// frame conversion; they may come from the camera controller thread and from
// the GUI thread (the media player).
#pragma once

#include <stdint.h>

#include <atomic>
#include <mutex>

#include "camera/v4l2_videoctrl.h"

enum PXPRotateType : int32_t {
    PXP_ROTATE_Orig = 0,   // as captured
    PXP_ROTATE_HFlip = 1,  // mirrored left to right
    PXP_ROTATE_180 = 2,    // turned by 180 degrees
    PXP_ROTATE_VFlip = 3,  // mirrored top to bottom
};

class CV4L2_MXSPXPCTRL : public CV4L2_VideoCtrl {
public:
    // The process-wide device, made on first use, closed at process exit.
    static CV4L2_MXSPXPCTRL& GetInstance();

    // Opens the "PxP" node, sets it up for width x height pictures on the
    // whole screen (video hidden: output 1) and starts its stream with one
    // buffer. False, and closed, when there is no such node or a step fails.
    bool Start(unsigned width, unsigned height);

    // Shows one 320 x 240 YUYV frame at the current zoom: true when it was
    // queued to the PXP. False while not streaming, for a frame of any other
    // length, and (with a message) when the driver refuses the buffer; never
    // waits for a buffer the driver does not hold.
    bool EnqueuePXPBuf(char* yuyv, unsigned length);

    // Next orientation: Orig, HFlip, 180, VFlip, Orig...; false when the
    // device is not open or a control is refused.
    bool RotateCW();
    // Sets the three controls of type; the type is kept even when one fails.
    bool SetRotate(PXPRotateType type);

    // Shows the centred width x height part of the camera picture from the
    // next frame on (sizes are kept within 16..start width, 12..start height).
    void ZoomStep(unsigned short width, unsigned short height);
    // Changes the overlay window and output format only.
    void SetScaleTo(unsigned width, unsigned height);
    // Back to the whole picture.
    void SetZoomDefault();

    // The current output index (0: video visible, 1: hidden); -1 on failure.
    int GetPxPDispID();
    // Output 0 when show, else output 1.
    void ChangeToPXP(bool show);

    void Lock() { m_mCtrlLock.lock(); }
    void Unlock() { m_mCtrlLock.unlock(); }
    unsigned GetDispWidth() const { return m_nCurWidth; }
    unsigned GetDispHeight() const { return m_nCurHeight; }
    PXPRotateType GetRotate() const { return m_curRotateType; }

private:
    CV4L2_MXSPXPCTRL();
    ~CV4L2_MXSPXPCTRL() override;

    // Format, overlay window, framebuffer flags, crop and output 1.
    bool InitV4L2Params();
    // Window and output format for a zoom size; the caller holds the lock.
    void ApplyScaleLocked(unsigned width, unsigned height);
    void ClampZoom(unsigned& width, unsigned& height) const;

    std::mutex m_mCtrlLock;
    std::atomic<PXPRotateType> m_curRotateType;
    std::atomic<uint16_t> m_nCurWidth;
    std::atomic<uint16_t> m_nCurHeight;
    std::atomic<bool> m_bRefusing{false};      // the last frame offered was refused
    std::atomic<bool> m_bQueueFailing{false};  // the last frame's queue failed
};
