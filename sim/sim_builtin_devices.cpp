#include "sim/sim_builtin_devices.h"

#include "sim/sim_basic_devices.h"
#include "sim/sim_board.h"
#include "sim/sim_camera.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_pxp.h"

void VeltoSimRegisterBuiltinDevices(CVeltoSimBoard& board) {
    board.RegisterDevice("/dev/fsl_otg", VeltoSimCreateOtgDevice());
    board.RegisterDevice("/dev/rtc0", VeltoSimCreateRtcDevice());
    board.RegisterDevice("/dev/watchdog", VeltoSimCreateWatchdogDevice());
    board.RegisterDevice(kVeltoSimPxpNode, CVeltoSimPxp::GetInstance());
    board.RegisterDevice(kVeltoSimCameraNode, CVeltoSimCamera::GetInstance());
    board.RegisterDevice("/dev/fb0", CVeltoSimFramebuffer::GetInstance());
}
