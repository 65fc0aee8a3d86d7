// Entry point of vireo_driver.exe: runs the named cases, one per call under ctest.
#include "tests/e2e/e2e.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>

#include "tests/e2e/fixture.h"

namespace vireo::e2e {
namespace {

struct CaseAbort {};

std::map<std::string, CaseFn>& cases() {
    static std::map<std::string, CaseFn> table;
    return table;
}

std::string g_case;
int g_failures = 0;
std::mutex g_outputLock;

struct CleanupEntry {
    int id;
    std::function<void()> fn;
};
std::mutex g_cleanupLock;
std::vector<CleanupEntry> g_cleanups;
int g_nextCleanup = 1;

void line(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_outputLock);
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Runs every pending clean-up, newest first; used by the watchdog.
void runAllCleanups() {
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(g_cleanupLock);
            if (g_cleanups.empty()) return;
            fn = std::move(g_cleanups.back().fn);
            g_cleanups.pop_back();
        }
        try {
            fn();
        } catch (...) {
        }
    }
}

// A hung case must not hang the run: ctest allows 180 s, so give up earlier,
// undo what the case changed and leave.
// The soak has its own budget of three minutes (ctest allows it 200 s).
constexpr DWORD kCaseLimitMs = 150000;
constexpr DWORD kSoakLimitMs = 180000;
HANDLE g_caseDone = nullptr;

DWORD WINAPI watchdog(void*) {
    DWORD limit = g_case.rfind("soak_", 0) == 0 ? kSoakLimitMs : kCaseLimitMs;
    if (WaitForSingleObject(g_caseDone, limit) == WAIT_OBJECT_0) return 0;
    line("FAIL  watchdog: case '" + g_case + "' still running after " + std::to_string(limit / 1000) + " s");
    runAllCleanups();
    std::fflush(stdout);
    ExitProcess(3);
}

}  // namespace

bool registerCase(const char* name, CaseFn fn) {
    cases()[name] = fn;
    return true;
}

const std::string& caseName() { return g_case; }

std::string format(const char* fmt, ...) {
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::string show(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
        else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else out += format("\\x%02X", c);
    }
    return out + "\"";
}

std::string show(std::wstring_view text) {
    std::string out = "L\"";
    for (wchar_t c : text) {
        if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
        else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else out += format("\\u%04X", static_cast<unsigned>(c));
    }
    return out + "\"";
}

bool check(bool condition, std::string_view what) {
    if (!condition) ++g_failures;
    line(std::string(condition ? "ok    " : "FAIL  ") + std::string(what));
    return condition;
}

bool checkEq(std::string_view expected, std::string_view actual, std::string_view what) {
    bool same = expected == actual;
    if (same) return check(true, std::string(what) + " = " + show(actual));
    return check(false, std::string(what) + ": expected " + show(expected) + ", got " + show(actual));
}

bool checkEq(std::wstring_view expected, std::wstring_view actual, std::string_view what) {
    if (expected == actual) return check(true, std::string(what) + " = " + show(actual));
    return check(false, std::string(what) + ": expected " + show(expected) + ", got " + show(actual));
}

bool checkEq(int64_t expected, int64_t actual, std::string_view what) {
    if (expected == actual) return check(true, std::string(what) + " = " + std::to_string(actual));
    return check(false, std::string(what) + ": expected " + std::to_string(expected) + ", got " +
                            std::to_string(actual));
}

bool checkNear(int64_t expected, int64_t actual, int64_t tolerance, std::string_view what) {
    bool within = actual >= expected - tolerance && actual <= expected + tolerance;
    return check(within, std::string(what) + ": expected " + std::to_string(expected) + " +/- " +
                           std::to_string(tolerance) + ", got " + std::to_string(actual));
}

void note(std::string_view text) { line("      " + std::string(text)); }

void abortCase(std::string_view why) {
    check(false, "case stopped: " + std::string(why));
    throw CaseAbort{};
}

int failureCount() { return g_failures; }

void sleepMs(DWORD ms) { Sleep(ms); }

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(stepMs);
    }
}

Cleanup::Cleanup(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(g_cleanupLock);
    id_ = g_nextCleanup++;
    g_cleanups.push_back({id_, std::move(fn)});
}

Cleanup::~Cleanup() { run(); }

void Cleanup::run() {
    std::function<void()> fn;
    {
        std::lock_guard<std::mutex> lock(g_cleanupLock);
        auto it = std::find_if(g_cleanups.begin(), g_cleanups.end(),
                               [this](const CleanupEntry& e) { return e.id == id_; });
        if (it == g_cleanups.end()) return;
        fn = std::move(it->fn);
        g_cleanups.erase(it);
    }
    try {
        fn();
    } catch (...) {
    }
}

}  // namespace vireo::e2e

int main(int argc, char** argv) {
    using namespace vireo::e2e;
    if (argc < 2 || std::string(argv[1]) == "--list") {
        for (auto& [name, fn] : cases()) std::printf("%s\n", name.c_str());
        return argc < 2 ? 2 : 0;
    }
    // An earlier run that was killed half-way may have left the platform folder renamed.
    restorePlatformFolderIfLeft();

    int failedCases = 0;
    for (int i = 1; i < argc; ++i) {
        g_case = argv[i];
        auto it = cases().find(g_case);
        if (it == cases().end()) {
            line("FAIL  no case named '" + g_case + "'");
            ++failedCases;
            continue;
        }
        line("== " + g_case);
        // Some cases run again on a system of another code page (wine-env.sh).
        if (GetACP() != 1252) note(format("the system's code page is %u", GetACP()));
        int before = g_failures;
        DWORD start = GetTickCount();
        g_caseDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE dog = CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
        try {
            it->second();
        } catch (const CaseAbort&) {
        } catch (const std::exception& e) {
            check(false, std::string("exception: ") + e.what());
        }
        runAllCleanups();
        SetEvent(g_caseDone);
        WaitForSingleObject(dog, INFINITE);
        CloseHandle(dog);
        CloseHandle(g_caseDone);
        bool passed = g_failures == before;
        if (!passed) ++failedCases;
        line(format("== %s: %s (%d failed checks, %.1f s)", g_case.c_str(), passed ? "PASSED" : "FAILED",
                    g_failures - before, (GetTickCount() - start) / 1000.0));
    }
    return failedCases == 0 ? 0 : 1;
}
