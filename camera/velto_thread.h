// The worker threads of the camera side (capture, camera controller,
// recorder) all start the same way: with a requested stack of 8,192 bytes.
#pragma once

#include <pthread.h>

// pthread_create with the workers' stack request; its result (0 on success).
// Below the C library's minimum the request is refused and the default
// stack is used, which is what we want then.
int VeltoCreateWorker(pthread_t* id, void* (*fn)(void*), void* arg);
