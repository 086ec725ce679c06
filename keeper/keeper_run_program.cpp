#include "keeper/keeper_run_program.h"

#include <stddef.h>

#include "platform/velto_SC_utils.h"

int run_program(const char* command, char* result, unsigned ressize, unsigned* reslen) {
    Velto::RunProgramPipe pipe;
    size_t len = 0;
    int rc = Velto::run_program(pipe, command, result, ressize, &len);
    if (reslen != nullptr && result != nullptr && ressize > 0) {
        *reslen = static_cast<unsigned>(len);
    }
    return rc;
}
