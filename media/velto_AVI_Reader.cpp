#include "media/velto_AVI_Reader.h"

#include <stdio.h>

CVeltoAVIReader* CVeltoAVIReader::CreateNew(std::string path, VeltoPixelFormat format) {
    CVeltoAVIReader* reader = new CVeltoAVIReader();
    if (!reader->Open(path, format)) {
        delete reader;
        return nullptr;
    }
    return reader;
}

CVeltoAVIReader::CVeltoAVIReader() : m_pAVIReader(nullptr) {}

CVeltoAVIReader::~CVeltoAVIReader() {
    Close();
}

bool CVeltoAVIReader::Open(std::string path, VeltoPixelFormat format) {
    if (path.empty()) {
        return false;
    }
    Close();
    m_pAVIReader = AVI_open_input_file(path.c_str(), 1);
    if (!m_pAVIReader) {
        printf("Error:(%s) open avi file %s\n", AVI_strerror(), path.c_str());
        return false;
    }
    return true;
}

void CVeltoAVIReader::Close() {
    if (m_pAVIReader) {
        AVI_close(m_pAVIReader);
        m_pAVIReader = nullptr;
    }
}

long CVeltoAVIReader::GetVideoFrames() {
    return m_pAVIReader ? AVI_video_frames(m_pAVIReader) : -1;
}

long CVeltoAVIReader::GetTotalFrames() {
    return GetVideoFrames();
}

int CVeltoAVIReader::GetVideoWidth() {
    return m_pAVIReader ? AVI_video_width(m_pAVIReader) : -1;
}

int CVeltoAVIReader::GetVideoHeight() {
    return m_pAVIReader ? AVI_video_height(m_pAVIReader) : -1;
}

double CVeltoAVIReader::GetVideoFrameRate() {
    return m_pAVIReader ? AVI_frame_rate(m_pAVIReader) : -1.0;
}

const char* CVeltoAVIReader::GetVideoCompressor() {
    return m_pAVIReader ? AVI_video_compressor(m_pAVIReader) : nullptr;
}

long CVeltoAVIReader::GetVideoMaxChunk() {
    return m_pAVIReader ? AVI_max_video_chunk(m_pAVIReader) : -1;
}

long CVeltoAVIReader::GetFrameBufferSize() {
    if (!m_pAVIReader) {
        return -1;
    }
    long rgb = long(GetVideoWidth()) * GetVideoHeight() * 4;
    long chunk = GetVideoMaxChunk();
    return rgb > chunk ? rgb : chunk;
}

long CVeltoAVIReader::ReadFrame(char* buffer, long bufferSize, int& keyframe) {
    if (!m_pAVIReader) {
        return -1;
    }
    return AVI_read_frame_sized(m_pAVIReader, buffer, bufferSize, &keyframe);
}

long CVeltoAVIReader::ReadFrame(char* buffer, int& keyframe) {
    return ReadFrame(buffer, GetVideoMaxChunk(), keyframe);
}

long CVeltoAVIReader::ReadFrame(char* buffer, int& keyframe, VeltoMediaType& type) {
    return ReadFrame(buffer, keyframe);
}

long CVeltoAVIReader::ReadOneFrame(char* buffer, long bufferSize, long n) {
    if (!m_pAVIReader) {
        return -1;
    }
    long saved = GetCurrentFramePos();
    SetFramePosition(n);
    int keyframe = 0;
    long len = ReadFrame(buffer, bufferSize, keyframe);
    SetFramePosition(saved);
    return len;
}

long CVeltoAVIReader::ReadOneFrame(char* buffer, long n) {
    return ReadOneFrame(buffer, GetVideoMaxChunk(), n);
}

long CVeltoAVIReader::GetCurrentFramePos() {
    return m_pAVIReader ? m_pAVIReader->video_pos : -1;
}

int CVeltoAVIReader::SetFramePosition(long n) {
    if (!m_pAVIReader) {
        return -1;
    }
    long total = GetTotalFrames();
    n = n < 0 ? 0 : (n > total ? total : n);
    return AVI_set_video_position(m_pAVIReader, n);
}

void CVeltoAVIReader::ResetFrame() {
    SetFramePosition(0);
}
