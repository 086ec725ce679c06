// keeper: started once at boot in the folder that holds veltosc; never returns.
#include <stdio.h>

#include "keeper/velto_keeper.h"

int main() {
    // Read through pipes and logs: lines must not wait in a buffer.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    CVeltoKeeper& keeper = CVeltoKeeper::GetInstance();
    keeper.Init();
    for (;;) {
        keeper.Pass();
    }
}
