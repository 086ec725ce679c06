// keeper's process runner: the platform services' runner with the pipe
// descriptors held inside the call.
#pragma once

// Runs command without a shell and waits for it; its standard output goes
// into result (when not null), terminated, with its length in *reslen.
// 0 on success, -1 on any failure, a nonzero exit code or output that did not
// fit into ressize bytes among them.
int run_program(const char* command, char* result, unsigned ressize, unsigned* reslen);
