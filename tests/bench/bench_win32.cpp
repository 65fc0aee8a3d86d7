// Runs the player and the floor programs interleaved and prints each figure's
// median, min and max for both, and their ratio.
//   vireo_bench ROUNDS SECONDS WORKDIR [baseline]
// WORKDIR (a Windows path) holds, made by tools/bench.sh:
//   floor.exe, floor_common.exe, vireo-one\Vireo.exe + Vireo.ini (naming one\: one
//   long WAV), vireo-big\Vireo.exe + Vireo.ini (naming big\: 10,000 entries,
//   5,000 titles); with "baseline", base-one\ and base-big\ the same for a second
//   build, run in the same rounds.
// Another process's CPU time and private bytes read 0 through the Win32 calls
// under Wine: they come from the Linux process's /proc files instead.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

double NowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "vireo_bench: %s\n", what.c_str());
    std::exit(1);
}

std::string ReadWhole(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string s;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
    CloseHandle(h);
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The Linux process running `exe`: Wine shows the Windows path in its command line.
int LinuxPid(const std::string& exe) {
    std::string want = Lower(exe.substr(exe.find_last_of('\\') + 1));
    std::string folder = Lower(exe.substr(0, exe.find_last_of('\\')));
    folder = folder.substr(folder.find_last_of('\\') + 1);
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA("Z:\\proc\\*", &fd);
    if (f == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
        if (fd.cFileName[0] < '1' || fd.cFileName[0] > '9') continue;
        std::string cmd = ReadWhole(std::string("Z:\\proc\\") + fd.cFileName + "\\cmdline");
        cmd = Lower(cmd.substr(0, cmd.find('\0')));
        if (cmd.size() >= want.size() && cmd.compare(cmd.size() - want.size(), want.size(), want) == 0 &&
            cmd.find(folder) != std::string::npos) {
            found = std::atoi(fd.cFileName);
            break;
        }
    } while (FindNextFileA(f, &fd));
    FindClose(f);
    return found;
}

// CPU time of every thread of the process, in ns (schedstat: time on the CPU).
double CpuNs(int pid) {
    std::string dir = "Z:\\proc\\" + std::to_string(pid) + "\\task\\";
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA((dir + "*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) Fail("cannot list " + dir);
    double ns = 0;
    do {
        if (fd.cFileName[0] < '1' || fd.cFileName[0] > '9') continue;
        ns += std::atof(ReadWhole(dir + fd.cFileName + "\\schedstat").c_str());
    } while (FindNextFileA(f, &fd));
    FindClose(f);
    return ns;
}

// utime + stime of the process from its stat line, in clock ticks (1/100 s).
long long CpuTicks(int pid) {
    std::string stat = ReadWhole("Z:\\proc\\" + std::to_string(pid) + "\\stat");
    size_t at = stat.rfind(')');
    if (at == std::string::npos) Fail("no stat for pid " + std::to_string(pid));
    // Fields after the name: state is field 3; utime and stime are 14 and 15.
    const char* p = stat.c_str() + at + 2;
    long long field[16] = {};
    for (int i = 3; i <= 15 && *p; ++i) {
        field[i] = std::atoll(p);
        p = std::strchr(p, ' ');
        if (!p) break;
        ++p;
    }
    return field[14] + field[15];
}

double PrivateMiB(int pid) {
    std::string s = ReadWhole("Z:\\proc\\" + std::to_string(pid) + "\\smaps_rollup");
    double kb = 0;
    for (const char* key : {"Private_Clean:", "Private_Dirty:"}) {
        size_t at = s.find(key);
        if (at == std::string::npos) Fail("no " + std::string(key) + " for pid " + std::to_string(pid));
        kb += std::atof(s.c_str() + at + std::strlen(key));
    }
    return kb / 1024.0;
}

struct Found {
    DWORD pid;
    std::vector<HWND> visible;
};

BOOL CALLBACK CollectVisible(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == f->pid && IsWindowVisible(h)) f->visible.push_back(h);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid) {
    Found f{pid, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&f));
    return f.visible;
}

struct Running {
    PROCESS_INFORMATION pi{};
    double startMs = 0;     // until both windows were visible
    double startCpuMs = 0;  // CPU time the process had used by then
    std::vector<HWND> windows;
    int linuxPid = 0;
    std::string exe;
};

Running Launch(const std::string& exe, const std::string& args, const std::string& dir) {
    Running r;
    r.exe = exe;
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    double t0 = NowMs();
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &r.pi))
        Fail("cannot start " + exe);
    for (;;) {
        r.windows = VisibleWindows(r.pi.dwProcessId);
        if (r.windows.size() >= 2) break;
        if (NowMs() - t0 > 20000 || WaitForSingleObject(r.pi.hProcess, 0) == WAIT_OBJECT_0)
            Fail(exe + ": its two windows never showed");
        Sleep(1);
    }
    r.startMs = NowMs() - t0;
    r.linuxPid = LinuxPid(exe);
    if (!r.linuxPid) Fail("no Linux process for " + exe);
    // Read at once: the idle pass adds well under a millisecond meanwhile.
    r.startCpuMs = CpuNs(r.linuxPid) / 1e6;
    return r;
}

// Close request to the first window, then the time until the process has ended.
double Close(Running& r) {
    double t0 = NowMs();
    PostMessageA(r.windows.front(), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(r.pi.hProcess, 20000) != WAIT_OBJECT_0) Fail(r.exe + " did not exit");
    double ms = NowMs() - t0;
    CloseHandle(r.pi.hThread);
    CloseHandle(r.pi.hProcess);
    return ms;
}

// Percent of one core over `seconds`.
double CpuPercent(const Running& r, double seconds) {
    double c0 = CpuNs(r.linuxPid), t0 = NowMs();
    Sleep(static_cast<DWORD>(seconds * 1000));
    double c1 = CpuNs(r.linuxPid), t1 = NowMs();
    return 100.0 * (c1 - c0) / 1e6 / (t1 - t0);
}

HWND MainWindowOf(const Running& r) {
    for (HWND h : r.windows) {
        if (GetDlgItem(h, 2)) return h;
    }
    Fail("no main window in " + r.exe);
}

bool WaitUntil(bool (*done)(HWND), HWND h, double ms) {
    double t0 = NowMs();
    while (NowMs() - t0 < ms) {
        if (done(h)) return true;
        Sleep(10);
    }
    return false;
}

struct Series {
    const char* name;
    const char* unit;
    std::vector<double> runs[3];  // floor, Vireo, the baseline Vireo
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool g_baseline = false;

void Print(const Series& s) {
    auto cell = [](const std::vector<double>& v) {
        if (v.empty()) return std::string("-");
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f (%.2f-%.2f)", Median(v), *std::min_element(v.begin(), v.end()),
                      *std::max_element(v.begin(), v.end()));
        return std::string(buf);
    };
    double floor = Median(s.runs[0]);
    std::printf("| %-48s | %-26s | %-26s | %6.2f |", (std::string(s.name) + ", " + s.unit).c_str(),
                cell(s.runs[1]).c_str(), cell(s.runs[0]).c_str(), floor > 0 ? Median(s.runs[1]) / floor : 0.0);
    if (g_baseline)
        std::printf(" %-26s | %6.2f |", cell(s.runs[2]).c_str(),
                    floor > 0 && !s.runs[2].empty() ? Median(s.runs[2]) / floor : 0.0);
    std::printf("\n");
    std::fflush(stdout);
}

// Starts the player in `dir`, presses Play and waits for the "Tout lire" run to
// end (Play enabled again, Stop not), then closes it.
int PlayAll(const std::string& dir) {
    Running r = Launch(dir + "\\Vireo.exe", "", dir);
    HWND main = MainWindowOf(r);
    double t0 = NowMs();
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 2)));
    if (!WaitUntil([](HWND m) { return IsWindowEnabled(GetDlgItem(m, 3)) != FALSE; }, main, 10000))
        Fail("Play did not start a title");
    if (!WaitUntil([](HWND m) { return IsWindowEnabled(GetDlgItem(m, 2)) && !IsWindowEnabled(GetDlgItem(m, 3)); },
                   main, 120000))
        Fail("the run did not end");
    std::printf("the run took %.0f ms from Play\n", NowMs() - t0);
    Close(r);
    return 0;
}

}  // namespace

// Start-up and exit of the player in `dir`, `times` times: to look into one figure.
int StartAndExit(const std::string& dir, int times) {
    for (int i = 0; i < times; ++i) {
        Running r = Launch(dir + "\\Vireo.exe", "", dir);
        Sleep(1000);
        double startMs = r.startMs;
        std::printf("start-up %.1f ms, exit %.1f ms\n", startMs, Close(r));
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "playall") == 0) return PlayAll(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "startexit") == 0) return StartAndExit(argv[2], std::atoi(argv[3]));
    if (argc < 4) Fail("usage: vireo_bench ROUNDS SECONDS WORKDIR [baseline] | playall FOLDER | startexit FOLDER TIMES");
    int rounds = std::atoi(argv[1]);
    double seconds = std::atof(argv[2]);
    std::string work = argv[3];
    if (!work.empty() && work.back() == '\\') work.pop_back();
    std::string floorExe = work + "\\floor.exe";
    std::string wav = work + "\\one\\long.wav";
    std::string flac = work + "\\flac\\long.flac";
    std::string big = work + "\\big";
    std::string commonExe = work + "\\floor_common.exe";
    // Player folders: the build measured and, when given, a baseline build.
    const char* prefix[3] = {nullptr, "\\vireo-", "\\base-"};
    g_baseline = argc > 4 && std::strcmp(argv[4], "baseline") == 0;
    const int programs = g_baseline ? 3 : 2;

    Series idle{"CPU idle, no title open", "% of one core", {}};
    Series ticks{"CPU idle by utime+stime (stat)", "ticks/s", {}};
    Series playing{"CPU while a WAV plays", "% of one core", {}};
    Series playingFlac{"CPU while a FLAC plays (Media Foundation)", "% of one core", {}};
    Series start{"start-up to both windows visible", "ms", {}};
    Series startCpu{"CPU time used by both windows visible", "ms", {}};
    Series startBig{"start-up, 10,000 entries / 5,000 titles", "ms", {}};
    Series startBigCpu{"CPU time used, 10,000 entries / 5,000 titles", "ms", {}};
    Series memory{"private memory after start-up", "MiB", {}};
    Series exitMs{"exit after a close request", "ms", {}};
    // The player figures again, against a floor that also loads the common controls.
    Series commonStart{"start-up, floor with common controls", "ms", {}};
    Series commonCpu{"start-up CPU, floor with common controls", "ms", {}};
    Series commonMemory{"private memory, floor with common controls", "MiB", {}};

    auto launchPlayer = [&](int which, const char* folder) {
        std::string dir = work + prefix[which] + folder;
        return Launch(dir + "\\Vireo.exe", "", dir);
    };

    // The first start of each loads what later starts find in the page cache.
    for (int which = 0; which < programs; ++which) {
        Running r = which == 0 ? Launch(floorExe, "windows", work) : launchPlayer(which, "one");
        Sleep(300);
        Close(r);
    }

    for (int round = 1; round <= rounds; ++round) {
        for (int which = 0; which < programs; ++which) {
            const bool player = which != 0;
            // Start-up, memory, idle CPU, exit.
            Running r = player ? launchPlayer(which, "one") : Launch(floorExe, "windows", work);
            start.runs[which].push_back(r.startMs);
            startCpu.runs[which].push_back(r.startCpuMs);
            Sleep(1000);
            double mib = PrivateMiB(r.linuxPid);
            memory.runs[which].push_back(mib);
            if (player) {
                commonStart.runs[which].push_back(r.startMs);
                commonCpu.runs[which].push_back(r.startCpuMs);
                commonMemory.runs[which].push_back(mib);
            }
            long long k0 = CpuTicks(r.linuxPid);
            double t0 = NowMs();
            idle.runs[which].push_back(CpuPercent(r, seconds));
            ticks.runs[which].push_back(static_cast<double>(CpuTicks(r.linuxPid) - k0) * 1000.0 / (NowMs() - t0));
            exitMs.runs[which].push_back(Close(r));

            // Playing, through each engine; a baseline that lists no FLAC plays none.
            for (const bool foundation : {false, true}) {
                if (foundation && which == 2) continue;
                r = player ? launchPlayer(which, foundation ? "flac" : "one")
                           : Launch(floorExe, (foundation ? "foundation \"" + flac : "play \"" + wav) + "\"", work);
                if (player) {
                    HWND main = MainWindowOf(r);
                    PostMessageA(main, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(main, 2)));
                    if (!WaitUntil([](HWND m) { return IsWindowEnabled(GetDlgItem(m, 3)) != FALSE; }, main, 10000))
                        Fail("Play did not start the title");
                }
                Sleep(1000);
                (foundation ? playingFlac : playing).runs[which].push_back(CpuPercent(r, seconds));
                Close(r);
            }

            // The big folder.
            r = player ? launchPlayer(which, "big") : Launch(floorExe, "list \"" + big + "\"", work);
            startBig.runs[which].push_back(r.startMs);
            startBigCpu.runs[which].push_back(r.startCpuMs);
            Sleep(300);
            Close(r);
        }
        Running c = Launch(commonExe, "windows", work);
        commonStart.runs[0].push_back(c.startMs);
        commonCpu.runs[0].push_back(c.startCpuMs);
        Sleep(1000);
        commonMemory.runs[0].push_back(PrivateMiB(c.linuxPid));
        Close(c);
        std::fprintf(stderr, "round %d of %d done\n", round, rounds);
    }

    std::printf("%d interleaved rounds (floor, Vireo%s), %.1f s per CPU reading; medians (min-max).\n", rounds,
                g_baseline ? ", baseline" : "", seconds);
    std::printf("CPU time: the sum over the Linux process's threads of /proc/PID/task/TID/schedstat (time on a CPU);\n"
                "the stat row is utime+stime of /proc/PID/stat. Memory: Private_Clean + Private_Dirty of\n"
                "/proc/PID/smaps_rollup. Under Wine the Win32 calls read 0 for another process.\n\n");
    std::printf("| %-48s | %-26s | %-26s | %6s |", "figure", "Vireo.exe", "floor", "ratio");
    if (g_baseline) std::printf(" %-26s | %6s |", "baseline Vireo.exe", "ratio");
    std::printf("\n|%s|%s|%s|%s|", std::string(50, '-').c_str(), std::string(28, '-').c_str(),
                std::string(28, '-').c_str(), std::string(8, '-').c_str());
    if (g_baseline) std::printf("%s|%s|", std::string(28, '-').c_str(), std::string(8, '-').c_str());
    std::printf("\n");
    for (const Series* s :
         {&idle, &ticks, &playing, &playingFlac, &start, &startCpu, &startBig, &startBigCpu, &memory, &exitMs})
        Print(*s);
    std::printf("\nThe player loads the common controls (its progress bar, tooltips and subclassed buttons\n"
                "need them); the plain floor does not. The same player figures against a floor that does:\n\n");
    for (const Series* s : {&commonStart, &commonCpu, &commonMemory}) Print(*s);
    return 0;
}
