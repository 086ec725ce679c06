#include "camera/velto_thread.h"

namespace {

const size_t kWorkerStackSize = 8192;

}  // namespace

int VeltoCreateWorker(pthread_t* id, void* (*fn)(void*), void* arg) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kWorkerStackSize);
    int rc = pthread_create(id, &attr, fn, arg);
    pthread_attr_destroy(&attr);
    return rc;
}
