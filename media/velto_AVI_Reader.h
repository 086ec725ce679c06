// Reads recorded AVI files for the media player and the file explorer: opens
// a file with its frame index, reports the video properties and reads frames
// by position.
#pragma once

#include <string>

#include "media/velto_avi.h"

// Pixel format a caller asks for; accepted and not used (frames come as
// stored).
enum VeltoPixelFormat {
    Velto_PIX_FMT_NONE = -1,
    Velto_PIX_FMT_YUV420P = 0,
    Velto_PIX_FMT_YUYV422 = 1,
    Velto_PIX_FMT_RGB24 = 2,
    Velto_PIX_FMT_BGR24 = 3,
    Velto_PIX_FMT_YUV422P = 4,
    Velto_PIX_FMT_YUV444P = 5,
    Velto_PIX_FMT_YUV410P = 6,
    Velto_PIX_FMT_YUV411P = 7,
    Velto_PIX_FMT_GRAY8 = 8,
    Velto_PIX_FMT_MONOWHITE = 9,
    Velto_PIX_FMT_MONOBLACK = 10,
};

enum VeltoMediaType {
    MEDIA_UNKNOWN = -1,
    MEDIA_VIDEO = 0,
    MEDIA_AUDIO = 1,
};

class CVeltoAVIReader {
public:
    // A reader with the file open; null when it cannot be opened.
    static CVeltoAVIReader* CreateNew(std::string path, VeltoPixelFormat format);

    CVeltoAVIReader();
    virtual ~CVeltoAVIReader();  // Close

    CVeltoAVIReader(const CVeltoAVIReader&) = delete;
    CVeltoAVIReader& operator=(const CVeltoAVIReader&) = delete;

    // Opens path with its frame index, closing the previous file first.
    // False for an empty path (the open file stays open) or when the file is
    // not a readable AVI with video.
    bool Open(std::string path, VeltoPixelFormat format);
    void Close();
    bool IsOpen() const { return m_pAVIReader != nullptr; }

    // Properties; -1 (null for the compressor) when no file is open.
    long GetVideoFrames();
    long GetTotalFrames();
    int GetVideoWidth();
    int GetVideoHeight();
    double GetVideoFrameRate();
    // Four-character compression code of the bitmap header, e.g. "YUY2".
    const char* GetVideoCompressor();
    // Largest frame in bytes. A frame buffer needs the larger of this and
    // width x height x 4 (room for its RGB32 conversion).
    long GetVideoMaxChunk();
    // Bytes a caller's frame buffer must hold; -1 when closed.
    long GetFrameBufferSize();

    // Reads the frame at the current position and advances. Bytes read, or
    // -1 (closed, past the end, read error). The buffer must hold
    // GetVideoMaxChunk() bytes; the media type is not written.
    long ReadFrame(char* buffer, int& keyframe, VeltoMediaType& type);
    long ReadFrame(char* buffer, int& keyframe);
    // The same with the buffer's size: a frame that does not fit is refused
    // (-1) and the position stays.
    long ReadFrame(char* buffer, long bufferSize, int& keyframe);
    // Reads frame n without moving the current position. -1 as above.
    long ReadOneFrame(char* buffer, long n);
    long ReadOneFrame(char* buffer, long bufferSize, long n);

    // The next frame to be read; -1 when closed.
    long GetCurrentFramePos();
    // Positions at n, clamped to 0 .. total frames (the total makes the next
    // read return -1). -1 when closed.
    int SetFramePosition(long n);
    void ResetFrame();

private:
    avi_t* m_pAVIReader;
};
