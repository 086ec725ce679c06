#include "toolkit/tk_control.h"

namespace VeltoTk {

void RegisterBuiltinControl(const char* name, WNDPROC proc) {
    WNDCLASS wc{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    RegisterClass(&wc);
    if (CWindowClass* c = FindClass(name)) {
        c->builtin = true;
    }
}

}  // namespace VeltoTk
