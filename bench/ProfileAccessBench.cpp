// ProfileAccess GET and WRITE against a real file: the program's own 7-key profile, a 10,000-line one
// (a profile shared with other programs' sections, or grown by hand) and a 50 MB one (a log pasted into it).
//
// The store keeps the parsed file while it is unchanged, so a GET on an unchanged file costs a stat. What a
// user waits for is the first read after the file changed: BM_LoadSevenSettings and BM_ConfigureOpening
// read the seven settings through a fresh store each time, against BM_ReadFileOnce, which only reads the
// file's bytes.

#include "core/runtime/Services.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfileAccess.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* kGlobal = "[GLOBAL]\r\nOWNER=Anna Berg\r\nCOMPANY=Vantrell\r\nADDR1=Main St 1\r\n"
                      "ADDR2=Springfield 12345\r\nADDR3=555-0100\r\nZIPDRIVE=/dev/sdb\r\nID_INDEX=100\r\n";
const char* kKeys[] = {"OWNER", "COMPANY", "ADDR1", "ADDR2", "ADDR3", "ZIPDRIVE", "ID_INDEX"};

// Argument of the benchmarks: the profile's shape.
enum Shape {
    SevenKeys = 0,
    TenThousandLines = 1, // other sections before GLOBAL
    LogAfter = 2,         // GLOBAL, then 50 MB of a kernel log (its "[ 12.345]" lines read as headers)
    LogInside = 3,        // 50 MB of a system log inside GLOBAL, before the program's keys
};

constexpr std::size_t kLogBytes = 50 * 1000 * 1000;

void writeLog(std::ofstream& out, bool kernelStyle) {
    std::size_t written = 0;
    for (long i = 0; written < kLogBytes; ++i) {
        std::string line =
            kernelStyle
                ? "[" + std::to_string(10000 + i) + ".123456] usb 1-1: new high-speed USB device number " +
                      std::to_string(i % 128) + " using xhci_hcd\r\n"
                : "May 12 10:" + std::to_string(i % 60) + ":01 host udisksd[812]: Mounted /dev/sdb1 at " +
                      "/media/anna/DISK" + std::to_string(i) + " (uid=1000)\r\n";
        out << line;
        written += line.size();
    }
}

class Profile {
public:
    explicit Profile(Shape shape) {
        std::string pattern = (fs::temp_directory_path() / "tessaline-bench-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        m_file = m_dir / "Tesslin1.ini";
        std::ofstream out(m_file, std::ios::binary);
        switch (shape) {
        case SevenKeys:
            out << kGlobal;
            break;
        case TenThousandLines:
            // Filler lines in other sections before GLOBAL, so that a lookup walks past them.
            for (int i = 0; i < 10000 - 8; ++i) {
                if (i % 20 == 0) {
                    out << "[Section" << i / 20 << "]\r\n";
                } else {
                    out << "Key" << i << "=some value of moderate length " << i << "\r\n";
                }
            }
            out << kGlobal;
            break;
        case LogAfter:
            out << kGlobal;
            writeLog(out, true);
            break;
        case LogInside:
            out << "[GLOBAL]\r\n";
            writeLog(out, false);
            out << (kGlobal + std::string_view(kGlobal).find('\n') + 1);
            break;
        }
        out.close();
        useFreshStore();
    }
    ~Profile() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    // A store that has parsed nothing yet, as after the file changed.
    void useFreshStore() const { m_services.profile = std::make_shared<IniProfileStore>(m_file); }
    const Services& services() const { return m_services; }
    const fs::path& file() const { return m_file; }
    std::uintmax_t size() const { return fs::file_size(m_file); }

private:
    fs::path m_dir;
    fs::path m_file;
    mutable Services m_services;
};

void BM_ProfileGet(benchmark::State& state) {
    const Profile profile(static_cast<Shape>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ProfileAccess(profile.services(), "GET", "GLOBAL", "ID_INDEX"));
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

void BM_ProfileWrite(benchmark::State& state) {
    const Profile profile(static_cast<Shape>(state.range(0)));
    std::int64_t n = 0;
    for (auto _ : state) {
        // A new value each time, so that every call really replaces the file.
        benchmark::DoNotOptimize(ProfileAccess(profile.services(), "WRITE", "GLOBAL", "ID_INDEX", ++n));
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

// The yardstick: open the file and read all of its bytes into memory, nothing more.
void BM_ReadFileOnce(benchmark::State& state) {
    const Profile profile(static_cast<Shape>(state.range(0)));
    for (auto _ : state) {
        const int fd = ::open(profile.file().c_str(), O_RDONLY | O_CLOEXEC);
        std::string buffer(static_cast<std::size_t>(profile.size()), '\0');
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const ssize_t got = ::read(fd, buffer.data() + filled, buffer.size() - filled);
            if (got <= 0) {
                break;
            }
            filled += static_cast<std::size_t>(got);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

// The seven GETs of LoadSettings, or of Configure's opening, on a file not parsed yet.
void BM_LoadSevenSettings(benchmark::State& state) {
    const Profile profile(static_cast<Shape>(state.range(0)));
    for (auto _ : state) {
        profile.useFreshStore();
        for (const char* key : kKeys) {
            benchmark::DoNotOptimize(ProfileAccess(profile.services(), "GET", "GLOBAL", key));
        }
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

// The configuration dialog's Save: seven keys in one replace of the file.
void BM_SaveSevenKeys(benchmark::State& state) {
    const Profile profile(static_cast<Shape>(state.range(0)));
    std::int64_t n = 0;
    for (auto _ : state) {
        std::vector<ProfileWrite> writes;
        for (const char* key : kKeys) {
            writes.push_back({"GLOBAL", key, std::string(key) + std::to_string(++n)});
        }
        benchmark::DoNotOptimize(ProfileWriteKeys(profile.services(), writes));
    }
    state.counters["file_bytes"] = static_cast<double>(profile.size());
}

} // namespace

BENCHMARK(BM_ProfileGet)->Arg(SevenKeys)->Arg(TenThousandLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProfileWrite)
    ->Arg(SevenKeys)
    ->Arg(TenThousandLines)
    ->Arg(LogAfter)
    ->Arg(LogInside)
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_ReadFileOnce)
    ->Arg(TenThousandLines)
    ->Arg(LogAfter)
    ->Arg(LogInside)
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_LoadSevenSettings)
    ->Arg(SevenKeys)
    ->Arg(TenThousandLines)
    ->Arg(LogAfter)
    ->Arg(LogInside)
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_SaveSevenKeys)
    ->Arg(SevenKeys)
    ->Arg(TenThousandLines)
    ->Arg(LogAfter)
    ->Arg(LogInside)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK_MAIN();
