// The edit window class "VeltoNewEDIT" of the date and time screen.
#pragma once

#include "toolkit/winapi.h"

// Registers "VeltoNewEDIT" (TRUE when the class exists afterwards). For now
// its windows only keep and show their text on white.
BOOL MwRegisterVeltoNewEditControl(HINSTANCE hInstance);
