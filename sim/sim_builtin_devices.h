// Registers every simulated device node of the board with the board.
#pragma once

class CVeltoSimBoard;

void VeltoSimRegisterBuiltinDevices(CVeltoSimBoard& board);
