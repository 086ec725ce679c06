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

    CFuzzSetting setting;
    setting.InitLanguageList();
    setting.GetXMLConfSettingsItemVal("language", "en");
    setting.GetXMLConfLangItemVal("en", TEXT_ID_YES, "Yes");

    // The first operations saw the bytes as given; now the full start-up. A
    // file the store cannot load takes the same repair path whatever its
    // bytes (the defaults replace it), at the cost of some fifty loads and
    // saves: files of a byte or none keep that path covered.
    PutFile("veltoscconf.xml", data, size);
    if (loadable || size <= 1) {
        setting.InitConfigFile();
    }
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
    setting.SetColorful(!setting.GetColorful());
    setting.SaveXMLSettingItem("count", -1);
    setting.SaveXMLConfItemVal("Languages", "xx", TEXT_ID_NO, "No");
    setting.GetXMLConfLangItemVal(-1, TEXT_ID_NO, "No");
    return 0;
}
