// velto-avi: inspect, verify and repair AVI recordings.
//
//   velto-avi info FILE        size, compressor, frames, fps, index, key frames
//   velto-avi verify FILE      exit 0 only when every indexed frame reads and
//                              the header agrees with the index
//   velto-avi repair FILE OUT  writes every readable frame into a properly
//                              closed file with its index
//
// Exit codes: 0 success, 1 the check or repair failed, 2 usage.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "media/velto_avi.h"

namespace {

const char* IndexTypeName(int type) {
    switch (type) {
        case 1:
            return "idx1, absolute offsets";
        case 2:
            return "idx1, movi-relative offsets";
        default:
            return "none (rebuilt from the data)";
    }
}

avi_t* OpenOrSay(const char* path) {
    avi_t* avi = AVI_open_input_file(path, 1);
    if (!avi) {
        fprintf(stderr, "%s: %s\n", path, AVI_strerror());
    }
    return avi;
}

int Info(const char* path) {
    avi_t* avi = OpenOrSay(path);
    if (!avi) {
        return 1;
    }
    int keys = 0;
    for (int i = 0; i < avi->video_frames; i++) {
        keys += (avi->video_index[i].key & AVI_KEYFRAME) ? 1 : 0;
    }
    printf("file:        %s\n", path);
    printf("file size:   %lld bytes\n", (long long)avi->file_size);
    printf("video:       %dx%d\n", avi->width, avi->height);
    printf("compressor:  %.4s (stream handler %.4s)\n", avi->compressor2, avi->compressor);
    printf("frames:      %d (header %d, stream %d)\n", avi->video_frames, avi->header_frames,
           avi->stream_length);
    printf("fps:         %.3f\n", avi->fps);
    printf("index:       %s\n", IndexTypeName(avi->idx_type));
    printf("key frames:  %d\n", keys);
    printf("max frame:   %u bytes\n", avi->max_len);
    AVI_close(avi);
    return 0;
}

int Verify(const char* path) {
    avi_t* avi = OpenOrSay(path);
    if (!avi) {
        return 1;
    }
    int problems = 0;
    if (avi->idx_type == 0) {
        printf("%s: no usable index (the recording was not finished)\n", path);
        problems++;
    }
    if (avi->header_frames != avi->video_frames || avi->stream_length != avi->video_frames) {
        printf("%s: header says %d frames (stream %d), index has %d\n", path, avi->header_frames,
               avi->stream_length, avi->video_frames);
        problems++;
    }
    std::vector<char> frame(avi->max_len + 1);
    for (int i = 0; i < avi->video_frames; i++) {
        int key = 0;
        AVI_set_video_position(avi, i);
        if (AVI_read_frame_sized(avi, frame.data(), long(frame.size()), &key) < 0) {
            printf("%s: frame %d cannot be read: %s\n", path, i, AVI_strerror());
            problems++;
        }
    }
    AVI_close(avi);
    if (problems == 0) {
        printf("%s: ok\n", path);
    }
    return problems == 0 ? 0 : 1;
}

int Repair(const char* path, const char* outPath) {
    if (strcmp(path, outPath) == 0) {
        fprintf(stderr, "repair: OUT must differ from FILE\n");
        return 2;
    }
    avi_t* in = OpenOrSay(path);
    if (!in) {
        return 1;
    }
    avi_t* out = AVI_open_output_file(outPath);
    if (!out) {
        fprintf(stderr, "%s: %s\n", outPath, AVI_strerror());
        AVI_close(in);
        return 1;
    }
    // Keep what the file said about its stream; a missing rate is the
    // camera's 25 fps.
    double fps = in->fps >= 0.001 ? in->fps : 25.0;
    int result = AVI_set_video(out, in->width, in->height, fps, in->compressor2) == 0 ? 0 : 1;
    std::vector<char> frame(in->max_len + 1);
    int written = 0, lost = 0;
    for (int i = 0; i < in->video_frames && result == 0; i++) {
        int key = 0;
        long len = AVI_read_frame_sized(in, frame.data(), long(frame.size()), &key);
        if (len < 0) {
            lost++;
            continue;
        }
        if (AVI_write_frame(out, frame.data(), len, key) != 0) {
            fprintf(stderr, "%s: frame %d: %s\n", outPath, i, AVI_strerror());
            result = 1;
        } else {
            written++;
        }
    }
    AVI_close(in);
    if (AVI_close(out) != 0) {
        fprintf(stderr, "%s: %s\n", outPath, AVI_strerror());
        result = 1;
    }
    printf("%s: %d frames written to %s, %d unreadable\n", path, written, outPath, lost);
    return result;
}

int Usage() {
    fprintf(stderr,
            "usage: velto-avi info FILE\n"
            "       velto-avi verify FILE\n"
            "       velto-avi repair FILE OUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "info") == 0) {
        return Info(argv[2]);
    }
    if (argc == 3 && strcmp(argv[1], "verify") == 0) {
        return Verify(argv[2]);
    }
    if (argc == 4 && strcmp(argv[1], "repair") == 0) {
        return Repair(argv[2], argv[3]);
    }
    return Usage();
}
