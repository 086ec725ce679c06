// Identifiers of every timer of the application, and the periods that
// belong to no single control.
#pragma once

constexpr unsigned int TIMERID_BRIGHT_SCROLLBAR = 1010;         // hides the brightness slider
constexpr unsigned int TIMERID_FOCUS_SCROLLBAR = 1011;          // hides the zoom slider
constexpr unsigned int TIMERID_TimeDate = 0x10000001;           // clock display, 1 s
constexpr unsigned int TIMERID_BATTERY = 0x10000002;            // battery icon, 2 s
constexpr unsigned int TIMERID_RECORD_VIDEO = 0x10000003;       // record time, 1 s
constexpr unsigned int TIMERID_SDCHECKER = 0x10000004;          // SD card icon, 2.5 s
constexpr unsigned int TIMERID_Main_StateMachine = 0x10000005;  // main tick, 200 ms
constexpr unsigned int TIMERID_MediaPlayer_Video = 0x10000006;
constexpr unsigned int TIMERID_MediaExplore_SM = 0x10000007;
constexpr unsigned int TIMERID_WarnBox_GENERAL = 0x10000008;  // warning screens, 1 s
constexpr unsigned int TIMERID_Mediplayer_delyreader = 0x10000009;
constexpr unsigned int TIMERID_Reserved = 0x10000010;  // kept free

// The sliders hide themselves this long after the last arrow key.
constexpr unsigned int TIMEOUT_BRIGHT_SCRLBAR_DISP = 5000;
constexpr unsigned int TIMEOUT_FOCUS_SCRLBAR_DISP = 5000;
