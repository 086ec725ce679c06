// The levelled debug log shared by all programs. Every level is always
// written to standard output, prefixed by its tag and one blank; callers end
// their formats with "\n".
#pragma once

enum DEBUGLEVEL {
    DBG_LV_NORMAL = 0,
    DBG_LV_WARNING = 1,
    DBG_LV_ERROR = 2,
    DBG_LV_DEBUG = 3,
};

extern "C" int velto_printf(DEBUGLEVEL l, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The prefix written before a message of level l ("Warn:", "Error:" or "").
const char* VeltoDebugPrefix(DEBUGLEVEL l);
