// Cost of the settings store: every lookup parses the whole file, so the
// start-up check and one text lookup are compared with parsing the same
// bytes once with nothing else done.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <tinyxml2.h>

#include <fstream>
#include <sstream>
#include <string>

#include "settings/velto_SC_langtable.h"
#include "settings/velto_SC_setting.h"

namespace {

class CBenchSetting : public CVeltoSCSetting {
public:
    CBenchSetting() = default;
    ~CBenchSetting() = default;
};

std::string ReadShipped() {
    std::ifstream in(VELTO_SOURCE_DIR "/assets/veltoscconf.xml", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string g_strRunDir;

void RemoveRunDir() {
    unlink((g_strRunDir + "/veltoscconf.xml").c_str());
    rmdir(g_strRunDir.c_str());
}

// Runs in a scratch directory holding only the shipped file.
void PrepareRunDir(const std::string& shipped) {
    if (g_strRunDir.empty()) {
        char tmpl[] = "/tmp/velto-settings-bench-XXXXXX";
        if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0) {
            abort();
        }
        g_strRunDir = tmpl;
        atexit(RemoveRunDir);
    }
    std::ofstream("veltoscconf.xml", std::ios::binary | std::ios::trunc) << shipped;
}

void BM_ParseOnly(benchmark::State& state) {
    std::string shipped = ReadShipped();
    for (auto _ : state) {
        tinyxml2::XMLDocument doc;
        benchmark::DoNotOptimize(doc.Parse(shipped.data(), shipped.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * shipped.size()));
}
BENCHMARK(BM_ParseOnly);

void BM_CheckXMLConfFile(benchmark::State& state) {
    std::string shipped = ReadShipped();
    PrepareRunDir(shipped);
    CBenchSetting setting;
    for (auto _ : state) {
        setting.CheckXMLConfFile();
    }
}
BENCHMARK(BM_CheckXMLConfFile)->Unit(benchmark::kMillisecond);

void BM_TextLookup(benchmark::State& state) {
    std::string shipped = ReadShipped();
    PrepareRunDir(shipped);
    CBenchSetting setting;
    setting.CheckXMLConfFile();
    setting.SetLanguage(3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(setting.GetXMLConfLangItemVal(TEXT_ID_CHECK_TV_WIRE, "x"));
    }
}
BENCHMARK(BM_TextLookup)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
