// Feeds arbitrary bytes as veltoscconf.xml through the store's public
// operations: start-up check, lookups by language, writes and language
// changes. Runs in a scratch directory; the store's messages go to
// /dev/null to keep the fuzzer's output readable.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings/velto_SC_langtable.h"
#include "settings/velto_SC_setting.h"

namespace {

class CFuzzSetting : public CVeltoSCSetting {
public:
    CFuzzSetting() = default;
    ~CFuzzSetting() = default;
};

void PutFile(const char* path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (f == nullptr) {
        abort();
    }
    if (size > 0 && fwrite(data, 1, size, f) != size) {
        abort();
    }
    fclose(f);
}

std::string g_strScratch;

void RemoveScratch() {
    for (const char* name : {"veltoscconf.xml", "veltoscconf.xml.bad", "veltoscconf.xml.tmp"}) {
        unlink((g_strScratch + "/" + name).c_str());
    }
    rmdir(g_strScratch.c_str());
}

// The harness leaves the caller's directory, so relative corpus folders,
// the dictionary and crash artifacts are anchored to it first.
void AnchorArguments(int* argc, char*** argv) {
    static std::vector<std::string> s_args;
    static std::vector<char*> s_argv;
    char* cwd = getcwd(nullptr, 0);
    if (cwd == nullptr) {
        abort();
    }
    std::string base = std::string(cwd) + "/";
    free(cwd);
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        if (i > 0 && !arg.empty() && arg[0] != '-' && arg[0] != '/') {
            arg = base + arg;
        } else if (arg.compare(0, 6, "-dict=") == 0 && arg.size() > 6 && arg[6] != '/') {
            arg = "-dict=" + base + arg.substr(6);
        }
        artifactPrefix = artifactPrefix || arg.compare(0, 17, "-artifact_prefix=") == 0;
        s_args.push_back(arg);
    }
    if (!artifactPrefix) {
        s_args.insert(s_args.begin() + 1, "-artifact_prefix=" + base);
    }
    for (std::string& arg : s_args) {
        s_argv.push_back(&arg[0]);
    }
    s_argv.push_back(nullptr);
    *argc = static_cast<int>(s_args.size());
    *argv = s_argv.data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AnchorArguments(argc, argv);
    // Every save syncs; on tmpfs that costs nothing and the fuzzer runs faster.
    std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    tmpl += "/velto-settings-fuzz-XXXXXX";
    if (mkdtemp(&tmpl[0]) == nullptr || chdir(tmpl.c_str()) != 0) {
        abort();
    }
    g_strScratch = tmpl;
    atexit(RemoveScratch);
    if (freopen("/dev/null", "w", stdout) == nullptr) {
        abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutFile("veltoscconf.xml", data, size);
    unlink("veltoscconf.xml.bad");

    CFuzzSetting setting;
    setting.InitLanguageList();
    setting.GetXMLConfSettingsItemVal("language", "en");
    setting.GetXMLConfLangItemVal("en", TEXT_ID_YES, "Yes");

    // The first operations saw the bytes as given; now the full start-up.
    PutFile("veltoscconf.xml", data, size);
    setting.InitConfigFile();
    LanguageList list;
    setting.CopyLanguageList(list);
    for (const auto& entry : list) {
        setting.SetLanguage(static_cast<int>(entry.first));
        setting.GetXMLConfLangItemVal(TEXT_ID_MEDIA, "Media");
    }
    setting.SetColorful(!setting.GetColorful());
    setting.SaveXMLSettingItem("count", -1);
    setting.SaveXMLConfItemVal("Languages", "xx", TEXT_ID_NO, "No");
    setting.GetXMLConfLangItemVal(-1, TEXT_ID_NO, "No");
    return 0;
}
