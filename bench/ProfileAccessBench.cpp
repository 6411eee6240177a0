// ProfileAccess GET and WRITE against a real file: the program's own 7-key profile and a 10,000-line one
// (a profile shared with other programs' sections, or grown by hand).

#include "core/runtime/Services.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfileAccess.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

const char* kGlobal = "[GLOBAL]\r\nOWNER=Anna Berg\r\nCOMPANY=Vantrell\r\nADDR1=Main St 1\r\n"
                      "ADDR2=Springfield 12345\r\nADDR3=555-0100\r\nZIPDRIVE=/dev/sdb\r\nID_INDEX=100\r\n";

class Profile {
public:
    // `filler` lines in other sections before GLOBAL, so that a lookup walks past them.
    explicit Profile(int filler) {
        std::string pattern = (fs::temp_directory_path() / "tessaline-bench-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        m_file = m_dir / "Tesslin1.ini";
        std::ofstream out(m_file, std::ios::binary);
        for (int i = 0; i < filler; ++i) {
            if (i % 20 == 0) {
                out << "[Section" << i / 20 << "]\r\n";
            } else {
                out << "Key" << i << "=some value of moderate length " << i << "\r\n";
            }
        }
        out << kGlobal;
        out.close();
        services.profile = std::make_shared<IniProfileStore>(m_file);
    }
    ~Profile() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    std::uintmax_t size() const { return fs::file_size(m_file); }

    Services services;

private:
    fs::path m_dir;
    fs::path m_file;
};

// Filler lines for the benchmark's argument: none, or enough for 10,000 lines with GLOBAL's eight.
int fillerFor(const benchmark::State& state) {
    return state.range(0) == 0 ? 0 : 10000 - 8;
}

void BM_ProfileGet(benchmark::State& state) {
    const Profile profile(fillerFor(state));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ProfileAccess(profile.services, "GET", "GLOBAL", "ID_INDEX"));
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

void BM_ProfileWrite(benchmark::State& state) {
    Profile profile(fillerFor(state));
    std::int64_t n = 0;
    for (auto _ : state) {
        // A new value each time, so that every call really replaces the file.
        benchmark::DoNotOptimize(ProfileAccess(profile.services, "WRITE", "GLOBAL", "ID_INDEX", ++n));
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

} // namespace

// Argument 0: the 7-key profile; 1: the 10,000-line profile.
BENCHMARK(BM_ProfileGet)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProfileWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
