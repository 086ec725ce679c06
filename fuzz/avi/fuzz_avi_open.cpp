// Arbitrary bytes as an AVI file: open with the frame index and read every
// frame. Any crash, hang, leak or read outside a buffer is a finding.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <vector>

#include "fuzz/common/velto_fuzz_board.h"
#include "fuzz/common/velto_fuzz_common.h"
#include "media/velto_avi.h"

namespace {

// In the scratch directory, on tmpfs.
const char kInputPath[] = "input.avi";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    VeltoFuzz::FastBoard();
    VeltoFuzz::Initialize(argc, argv, "avi");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = fopen(kInputPath, "wb");
    if (!f) {
        return 0;
    }
    fwrite(data, 1, size, f);
    fclose(f);

    for (int getIndex = 0; getIndex < 2; getIndex++) {
        avi_t* avi = AVI_open_input_file(kInputPath, getIndex);
        if (!avi) {
            continue;
        }
        // Exactly the size the module promises is enough.
        std::vector<char> frame(size_t(AVI_max_video_chunk(avi)));
        int key = 0;
        // Until the first failure: past the end, or no index at all.
        while (AVI_read_frame(avi, frame.data(), &key) >= 0) {
        }
        AVI_set_video_position(avi, -1);
        AVI_read_frame_sized(avi, frame.data(), long(frame.size()) / 2, &key);
        AVI_close(avi);
    }
    return 0;
}
