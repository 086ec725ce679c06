// Arbitrary bytes as a picture on the card: decode as PNG, GIF or JPEG, whole
// and for an explorer cell (which may take the EXIF preview), and touch every
// pixel of what comes back; the head reader must keep its spans inside the
// bytes. Any crash, hang, leak or read outside a buffer is a finding.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "fuzz/common/velto_fuzz_common.h"
#include "toolkit/tk_image.h"
#include "toolkit/tk_jpeg_head.h"
#include "toolkit/tk_surface.h"
#include "toolkit/winapi.h"

namespace {

uint32_t Touch(PSD psd) {
    uint32_t sum = 0;
    if (!psd) {
        return 0;
    }
    for (int y = 0; y < psd->yres; ++y) {
        const uint32_t* row = VeltoTk::Row32(psd, y);
        for (int x = 0; x < psd->xres; ++x) {
            sum += row[x];
        }
    }
    GdFreeSurface(psd);
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    VeltoFuzz::AnchorArguments(argc, argv);
    // The device's own picture size: larger ones take the refusal path the
    // device takes past 2048, and an input never costs more than a photo's
    // decode (a few crafted 2048-pixel pictures in the corpus took most of
    // the time).
    VeltoTk::SetImageSideLimit(640);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VeltoTk::JpegHead head = VeltoTk::ReadJpegHead(data, size);
    if (head.thumbLength > 0 &&
        (head.thumbOffset > size || head.thumbLength > size - head.thumbOffset)) {
        abort();
    }
    uint32_t sum = Touch(GdLoadImageFromMemory(data, size));
    sum += Touch(GdLoadImageFromMemoryAtLeast(data, size, 94, 68));
    return int(sum & 0);
}
