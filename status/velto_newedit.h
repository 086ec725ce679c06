// The edit window class "VeltoNewEDIT" of the date and time screen.
#pragma once

#include "toolkit/winapi.h"

// Registers "VeltoNewEDIT" (TRUE when the class exists afterwards): a field
// that shows its text centred on black, orange while enabled (the field being
// edited) and grey while disabled.
BOOL MwRegisterVeltoNewEditControl(HINSTANCE hInstance);
