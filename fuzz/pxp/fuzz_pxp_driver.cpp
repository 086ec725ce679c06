// The PXP output driver answers, played from arbitrary bytes. Any crash,
// hang, access outside a buffer, or descriptor or mapping left behind is a
// finding.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "fuzz/common/velto_fuzz_board.h"
#include "fuzz/common/velto_fuzz_common.h"
#include "fuzz/pxp/pxp_driver.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    VeltoFuzz::FastBoard();
    VeltoFuzz::Initialize(argc, argv, "pxp");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string fault = VeltoPxpFuzzRun(data, size);
    if (!fault.empty()) {
        fprintf(stderr, "pxp fuzz: %s\n", fault.c_str());
        abort();
    }
    return 0;
}
