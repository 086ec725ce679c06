// keeper's test of the TV-out cable (GPIO line 62).
#pragma once

// True when the cable detector reads high. Exports the line when needed;
// reads once, without the debounce of the main program, and logs nothing.
bool CheckTVoutWire();
