// Arbitrary bytes as a picture on the card: decode as PNG, GIF or JPEG and
// touch every pixel of what comes back. Any crash, hang, leak or read
// outside a buffer is a finding.
#include <stddef.h>
#include <stdint.h>

#include "fuzz/common/velto_fuzz_common.h"
#include "toolkit/tk_surface.h"
#include "toolkit/winapi.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    VeltoFuzz::AnchorArguments(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PSD psd = GdLoadImageFromMemory(data, size);
    if (!psd) {
        return 0;
    }
    uint32_t sum = 0;
    for (int y = 0; y < psd->yres; ++y) {
        const uint32_t* row = VeltoTk::Row32(psd, y);
        for (int x = 0; x < psd->xres; ++x) {
            sum += row[x];
        }
    }
    GdFreeSurface(psd);
    return int(sum & 0);
}
