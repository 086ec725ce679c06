// Start-up shared by the fuzz targets: a scratch directory on tmpfs as the
// working directory (the simulated board lives in ./board), relative
// arguments anchored to the caller's directory first, quiet firmware
// (libFuzzer's -close_fd_mask=3 keeps its own and the sanitizers' reports).
// VELTO_FUZZ_VERBOSE=1 keeps the firmware's output.
#pragma once

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace VeltoFuzz {

inline std::string& ScratchDir() {
    static std::string dir;
    return dir;
}

inline int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    remove(path);
    return 0;
}

inline void RemoveScratch() {
    if (!ScratchDir().empty()) {
        nftw(ScratchDir().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
}

inline bool Verbose() {
    const char* v = getenv("VELTO_FUZZ_VERBOSE");
    return v != nullptr && *v != '\0' && strcmp(v, "0") != 0;
}

// Rewrites the arguments: relative corpus folders, -dict= and the artifact
// prefix point into the caller's directory, and the firmware is silenced
// unless asked otherwise.
inline void AnchorArguments(int* argc, char*** argv) {
    static std::vector<std::string> s_args;
    static std::vector<char*> s_argv;
    char* cwd = getcwd(nullptr, 0);
    if (cwd == nullptr) {
        abort();
    }
    std::string base = std::string(cwd) + "/";
    free(cwd);
    bool artifactPrefix = false, fdMask = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        // Not the program (libFuzzer refuses a changed argv[0]): fork and
        // merge modes start it again from the scratch directory, so they
        // need it by absolute path.
        if (i > 0 && !arg.empty() && arg[0] != '-' && arg[0] != '/') {
            arg = base + arg;
        } else if (arg.compare(0, 6, "-dict=") == 0 && arg.size() > 6 && arg[6] != '/') {
            arg = "-dict=" + base + arg.substr(6);
        } else if (arg.compare(0, 17, "-artifact_prefix=") == 0 && arg.size() > 17 &&
                   arg[17] != '/') {
            arg = "-artifact_prefix=" + base + arg.substr(17);
        }
        artifactPrefix = artifactPrefix || arg.compare(0, 17, "-artifact_prefix=") == 0;
        fdMask = fdMask || arg.compare(0, 15, "-close_fd_mask=") == 0;
        s_args.push_back(arg);
    }
    if (*argc > 0 && !artifactPrefix) {
        s_args.insert(s_args.begin() + 1, "-artifact_prefix=" + base);
    }
    if (*argc > 0 && !fdMask && !Verbose()) {
        s_args.insert(s_args.begin() + 1, "-close_fd_mask=3");
    }
    for (std::string& arg : s_args) {
        s_argv.push_back(&arg[0]);
    }
    s_argv.push_back(nullptr);
    *argc = static_cast<int>(s_args.size());
    *argv = s_argv.data();
}

// For LLVMFuzzerInitialize: anchors the arguments and changes into a fresh
// scratch directory (removed at exit).
inline void Initialize(int* argc, char*** argv, const char* name) {
    AnchorArguments(argc, argv);
    std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    tmpl += std::string("/velto-fuzz-") + name + "-XXXXXX";
    if (mkdtemp(&tmpl[0]) == nullptr || chdir(tmpl.c_str()) != 0) {
        abort();
    }
    ScratchDir() = tmpl;
    atexit(RemoveScratch);
}

}  // namespace VeltoFuzz
