// Feeds arbitrary bytes as veltoscconf.xml through the store's public
// operations: start-up check, lookups by language, writes and language
// changes. Runs in a scratch directory on tmpfs.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <iterator>
#include <string>
#include <vector>

#include "fuzz/common/velto_fuzz_board.h"
#include "fuzz/common/velto_fuzz_common.h"
#include "settings/velto_SC_langtable.h"
#include "settings/velto_SC_setting.h"
#include "settings/velto_SC_xmlfile.h"

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Every save syncs; the fuzzer's scratch files need no durability.
    VeltoFuzz::FastBoard();
    VeltoFuzz::Initialize(argc, argv, "settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PutFile("veltoscconf.xml", data, size);
    unlink("veltoscconf.xml.bad");
    const bool loadable = CVeltoXMLFile("veltoscconf.xml").Load();
    // Every operation loads the whole file and most save it, so an input
    // runs the start-up check and one group of the operations after it; the
    // group follows from the size, which mutations change all the time.
    const size_t group = size % 4;

    CFuzzSetting setting;
    if (group == 0) {
        // The bytes as given, before the start-up check repairs them.
        setting.InitLanguageList();
        setting.GetXMLConfSettingsItemVal("language", "en");
        setting.GetXMLConfLangItemVal("en", TEXT_ID_YES, "Yes");
        PutFile("veltoscconf.xml", data, size);
    }
    // A file the store cannot load takes the same repair path whatever its
    // bytes (the defaults replace it): files of a byte or none keep that
    // path covered.
    if (loadable || size <= 1) {
        setting.InitConfigFile();
    }
    if (group == 1) {
        LanguageList list;
        setting.CopyLanguageList(list);
        // The first and the last language: every one more would only repeat
        // the same load, save and lookup of the whole file.
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it != list.begin() && std::next(it) != list.end()) {
                continue;
            }
            setting.SetLanguage(static_cast<int>(it->first));
            setting.GetXMLConfLangItemVal(TEXT_ID_MEDIA, "Media");
        }
    } else if (group == 2) {
        setting.SetColorful(!setting.GetColorful());
        setting.SaveXMLSettingItem("count", -1);
    } else if (group == 3) {
        setting.SaveXMLConfItemVal("Languages", "xx", TEXT_ID_NO, "No");
        setting.GetXMLConfLangItemVal(-1, TEXT_ID_NO, "No");
    }
    return 0;
}
