// Operations on a simulated board directory, shared by velto-board, the
// launcher and the tests. root is the board root (RUNDIR/board). Each returns
// false, with a message on stderr, when the board cannot be changed.
#pragma once

#include <string>

namespace VeltoSim {

// A fresh board: internal medium mounted at /media/nand (/dev/loop0, vfat),
// no SD card, battery 3700 mV, no charger, LCD selected, no power-off
// request, camera plugged. An existing board below root is replaced.
bool InitBoard(const std::string& root);

bool SetBatteryMillivolts(const std::string& root, long mv);
bool SetBatteryCurrent(const std::string& root, long ua);
bool SetCharger(const std::string& root, bool on);
bool SetHwVersion(const std::string& root, long version);
bool InsertSdCard(const std::string& root);
bool RemoveSdCard(const std::string& root);
bool ConnectPc(const std::string& root, bool connected);
bool RequestPowerOff(const std::string& root);
bool SetTvCable(const std::string& root, bool plugged);
// Brightness of an LED, or -1 when the LED does not exist.
long LedValue(const std::string& root, const std::string& name);

// A readable summary of the whole board.
std::string Summary(const std::string& root);

}  // namespace VeltoSim
