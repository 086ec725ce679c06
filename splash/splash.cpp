// splash: the goodbye screen, started at power-off by the main program.
#include "splash/velto_UI_Dlg_Pwf.h"
#include "toolkit/winapi.h"

int WinMain(HINSTANCE hInstance, HINSTANCE, PSTR, int) {
    MwInitializeDialogs(hInstance);
    MwSetTextCoding(0);
    CVeltoUIDlgPwf* dlg = CVeltoUIDlgPwf::CreateNew(hInstance, nullptr);
    if (dlg) {
        dlg->DoModal(WARNBOX_EXIT);
        delete dlg;
    }
    return 0;
}
