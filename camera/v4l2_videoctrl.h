// One Video4Linux2 device node: finding it through sysfs, opening it and
// checking its capabilities, formats and frame rate, mmap stream buffers,
// queueing, streaming, controls, and the output-overlay settings of the PXP.
// Base of the camera head (CV4L2_UVCCtrl) and of the PXP output device.
//
// Every contact with the device goes through the board seam. Progress and
// errors are printed on standard output (control-query errors on standard
// error); nothing here is shown to the user.
#pragma once

#include <linux/videodev2.h>
#include <pthread.h>
#include <stdint.h>

#include <atomic>
#include <map>
#include <set>
#include <string>

// One driver buffer mapped into the process; unmapped by the destructor.
class CV4LMMAPDATABUF {
public:
    CV4LMMAPDATABUF(char* base, int32_t len) : m_pBase(base), m_nLen(len) {}
    ~CV4LMMAPDATABUF();

    CV4LMMAPDATABUF(const CV4LMMAPDATABUF&) = delete;
    CV4LMMAPDATABUF& operator=(const CV4LMMAPDATABUF&) = delete;

    char* m_pBase;   // start of the shared read/write mapping
    int32_t m_nLen;  // mapping length in bytes, as the driver reported it
};

class CV4L2_VideoCtrl {
public:
    // shouldHaveCap: capability bits of which the node must offer at least one.
    explicit CV4L2_VideoCtrl(uint32_t shouldHaveCap);
    virtual ~CV4L2_VideoCtrl();

    CV4L2_VideoCtrl(const CV4L2_VideoCtrl&) = delete;
    CV4L2_VideoCtrl& operator=(const CV4L2_VideoCtrl&) = delete;

    void SetWidth(uint32_t width) { m_nWidth = width; }
    void SetHeight(uint32_t height) { m_nHeight = height; }
    void SetFramerate(uint32_t fps) { m_nFramerate = fps; }
    void SetReqFormat(uint32_t fourcc) { m_nRequestFormat = fourcc; }
    uint32_t GetWidth() const { return m_nWidth; }
    uint32_t GetHeight() const { return m_nHeight; }
    uint32_t GetFramerate() const { return m_nFramerate; }
    uint32_t GetReqFormat() const { return m_nRequestFormat; }
    int GetVideoID() const { return m_nVideo_ID; }
    const std::string& GetDevName() const { return m_strDevName; }
    int GetFd() const { return m_nV4L2_fd; }

    // Opens the first /dev/videoN whose sysfs name contains name (any node
    // when name is empty) and that offers the required capabilities and
    // streaming; non-blocking unless block. False when none qualifies.
    bool Open(const std::string& name, bool block);
    // Opens /dev/video<id> and checks its capabilities; false (and closed,
    // with an empty device name) when it cannot be used.
    bool InitV4LVideoDevice(int id, bool block);
    bool IsOpened() const { return m_nV4L2_fd >= 0; }
    // Stops the stream if needed, closes the node, drops the page cache and
    // waits 100 ms. Safe to call when closed.
    void Close();
    bool IsStreaming() const { return m_bIsstreaming; }

    // Sets width, height, pixel format and field for a capture, output or
    // private buffer type. A size the driver rounds is stored as granted
    // (still true); false when the driver refuses.
    virtual bool SetV4L2PixFormat(v4l2_buf_type type, const v4l2_pix_format& pix);
    // Sets the window rectangle and field of an overlay or output-overlay
    // format, keeping its other members; false when the driver refuses.
    bool SetV4L2WinFormat(v4l2_buf_type type, const v4l2_window& win);
    // Asks for fps frames per second on the capture stream; false on refusal.
    virtual bool SetV4L2Framerate(unsigned fps);

    // Requests count mmap buffers and maps every granted one; true when at
    // least one is mapped.
    virtual bool RequestV4L2StreamBuffer(const v4l2_buf_type& type, const unsigned& count);
    // Takes ownership of buf under driver index; replaces (unmaps) an entry
    // with the same index.
    void AddStreamBufferList(int index, CV4LMMAPDATABUF* buf);
    // Unmaps and removes every buffer.
    void ClearStreamBufferList();
    int GetStreamBufferSize();
    // The mapping of driver buffer index, or null.
    CV4LMMAPDATABUF* GetStreamBufferListAt(unsigned index);
    void LockStreamBufferList();
    void UnlockStreamBufferList();

    // Queues driver buffer index; false (errno kept) on failure.
    bool v4l2_QBUF(v4l2_buf_type type, unsigned index, v4l2_buffer& buf);
    // Dequeues a filled buffer into buf; false (errno kept, EAGAIN when none
    // is ready on a non-blocking node) on failure. On a blocking node this
    // waits while the stream runs, for ever when nothing is queued: see
    // QueuedBufferCount.
    bool v4l2_DQBUF(v4l2_buf_type type, v4l2_buffer& buf);
    // Queues every mapped buffer the driver does not hold yet; failures are
    // printed and make the result false (the buffer stays with us).
    bool v4l2_ClearBuf(v4l2_buf_type type, int count);
    // Mapped buffers queued to the driver and not dequeued since.
    int QueuedBufferCount();
    // The lowest mapped buffer the driver does not hold, or -1.
    int HeldBufferIndex();
    // Requests, maps and queues buffers and starts the stream (the request is
    // tried up to four times). True when already streaming. A buffer that
    // could not be queued is reported and left for the caller to queue.
    bool EnableStream(v4l2_buf_type type, unsigned count);
    // Stops the stream and unmaps and frees the buffers; always true.
    bool DisableStream(v4l2_buf_type type, unsigned count);
    // ioctl through the board seam, repeated when interrupted by a signal.
    int v4l2_ioctl(int fd, unsigned long request, void* arg);

    // -1 when the control is missing or disabled, 0 for an integer control,
    // 1 for a boolean or menu control; q receives the query.
    int isv4l2Control(int id, v4l2_queryctrl* q);
    // 0 with the current value, -1 on failure.
    int GetControlValue(int id, int& value);
    // Writes value and reads the control back into it: 0 on success; 0 and
    // nothing written when value is outside the control's range; -1 on
    // failure.
    int SetControlValue(int id, int& value);
    // Writes the control's default value: 0, or -1 on failure.
    int ResetControl(int id);
    // The control's range; false when it cannot be read.
    bool GetControlValueMaxMin(int id, int& max, int& min);

    // Current output index; 0 when the node is not open, -1 when the query
    // fails.
    int GetOutput();
    // Selects output n; false when not open or refused.
    bool SetOutput_ID(int n);
    // Turns on the framebuffer overlay with chroma keying; false on refusal.
    bool SetFBuf_Overlay();
    // Sets the output-overlay window; true only when the driver keeps every
    // value asked.
    bool SetOutput_Overlay(const v4l2_window& win);
    // Sets the output-overlay crop rectangle; false when refused.
    bool SetOutput_Crop(const v4l2_crop& crop);

protected:
    // VIDIOC_S_CTRL without a query first, for driver-private controls that
    // a driver does not list: 0, or -1 with errno set.
    int WriteControl(int id, int value);

    int m_nVideo_ID;
    uint32_t m_nRequestFormat;
    int m_nV4L2_fd;
    v4l2_capability m_v4l2_Capability;
    std::string m_strDevName;
    uint32_t m_nShouldHaveCap;
    v4l2_format m_v4l2_Format;
    uint32_t m_nWidth;
    uint32_t m_nHeight;
    uint32_t m_nFramerate;
    std::atomic<bool> m_bIsstreaming;
    pthread_mutex_t* m_pBufferListMutex;
    std::map<uint32_t, CV4LMMAPDATABUF*> m_lBufferList;
    // Indices the driver holds; guarded by the buffer map's mutex.
    std::set<uint32_t> m_lQueuedBufs;
    v4l2_buf_type m_v4l_buf_type;

private:
    void CloseDescriptor();
    // VIDIOC_G_FMT of the given type into fmt; false on failure.
    bool ReadFormat(v4l2_buf_type type, v4l2_format& fmt);
    // Makes a capture driver that composes (scales into a rectangle of the
    // buffer) fill the whole granted frame. Drivers without composing, as a
    // UVC head, are left as they are.
    void ComposeWholeFrame(const v4l2_pix_format& granted);
    // VIDIOC_G_CTRL, printing its failure.
    bool ReadControl(int id, int& value);
};
