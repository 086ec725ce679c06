// chargeled: started once at boot; forks so that the boot goes on, and the
// child drives the charger LEDs for as long as the device runs.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "chargeled/velto_chargeled_monitor.h"
#include "platform/velto_SC_utils.h"

int main() {
    // Read through pipes and logs: lines must not wait in a buffer.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    pid_t pid;
    while ((pid = fork()) < 0) {
        sleep(1);
    }
    if (pid > 0) {
        printf("Monitor fork successfully.\n");
        return 0;
    }
    printf("Charger led monitor is running.\n");
    // The monitor does not run on boards of revision 5.
    if (Velto::GetHwVersion() == 5) {
        printf("Hardware version 5: the charger LEDs are not ours, exiting.\n");
        return 0;
    }
    CVeltoChargeLedMonitor monitor;
    for (;;) {
        monitor.Pass();
        sleep(1);
    }
}
