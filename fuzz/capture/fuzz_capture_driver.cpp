// The camera head's driver answers, played from arbitrary bytes. Any crash,
// hang, read outside a buffer, wrong frame or descriptor or mapping left
// behind is a finding.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "fuzz/capture/capture_driver.h"
#include "fuzz/common/velto_fuzz_board.h"
#include "fuzz/common/velto_fuzz_common.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    VeltoFuzz::FastBoard();
    VeltoFuzz::Initialize(argc, argv, "capture");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string fault = VeltoCaptureFuzzRun(data, size);
    if (!fault.empty()) {
        fprintf(stderr, "capture fuzz: %s\n", fault.c_str());
        abort();
    }
    return 0;
}
