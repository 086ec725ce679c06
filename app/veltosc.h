// The main program's entry and its process-wide globals.
#pragma once

#include "toolkit/winapi.h"

class CVeltoSCMain;

// The toolkit instance every screen is created with.
extern HINSTANCE m_hInst;
// The one main controller; null until WinMain made it.
extern CVeltoSCMain* m_pMain;

// Ends the process at once after the goodbye screen (a new video output was
// chosen: keeper restarts the program on it). Never returns.
[[noreturn]] void sig_int_handler(int);
