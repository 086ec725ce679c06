#include "app/velto_SC_Debug.h"

#include <stdarg.h>
#include <stdio.h>

const char* VeltoDebugPrefix(DEBUGLEVEL l) {
    switch (l) {
        case DBG_LV_NORMAL:
        case DBG_LV_WARNING:
            return "Warn:";
        case DBG_LV_ERROR:
            return "Error:";
        default:
            return "";
    }
}

extern "C" int velto_printf(DEBUGLEVEL l, const char* format, ...) {
    // Relies on stdout's own locking; the prefix and the message are two
    // writes, so lines of two threads may interleave between them.
    printf("%s ", VeltoDebugPrefix(l));
    va_list args;
    va_start(args, format);
    int n = vfprintf(stdout, format, args);
    va_end(args);
    return n;
}
