// veltosc: the main program. The toolkit's main opens the screen and calls
// WinMain, which runs the main controller's window for the program's life.
#include "app/veltosc.h"

#include <stdio.h>
#include <stdlib.h>

#include "app/velto_SC_Main.h"
#include "browser/velto_UI_DlgWarning.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_UI_Ctrl_DateTime.h"
#include "status/velto_newedit.h"
#include "status/velto_scrlbar1.h"

HINSTANCE m_hInst = nullptr;
CVeltoSCMain* m_pMain = nullptr;

int WinMain(HINSTANCE hInstance, HINSTANCE, PSTR, int) {
    m_hInst = hInstance;
    Velto::SetLEDValue("led-pwm0", 0);
    MwInitializeDialogs(m_hInst);
    MwSetTextCoding(1);
    MwRegisterVeltoScrollbar1Control(nullptr);
    MwRegisterVeltoNewEditControl(nullptr);
    m_pMain = CVeltoSCMain::CreateNew(m_hInst);
    // The live view's timers rest while the date screen sets the clock.
    CVeltoUICtrlDateTime::SetClockHooks(
        [] {
            if (m_pMain) {
                m_pMain->StopAllTimer();
            }
        },
        [] {
            if (m_pMain) {
                m_pMain->StartAllTimer();
            }
        });
    m_pMain->DoModel();
    if (m_pMain) {
        delete m_pMain;
    }
    return 0;
}

void sig_int_handler(int) {
    printf("Veltosc exit program\n");
    Velto::SetLEDValue("LCD_backlight", 0);
    Velto::SetLEDValue("led-pwm0", 0);
    if (m_pMain) {
        delete m_pMain;
        m_pMain = nullptr;  // the goodbye screen's loop still runs
    }
    CVeltoUIDlgWarning* warning = CVeltoUIDlgWarning::CreateNew(m_hInst, nullptr);
    if (warning) {
        warning->DoModal(WARNBOX_EXIT);
        delete warning;
    }
    Board().Sync();
    fflush(stdout);
    exit(0);
}
