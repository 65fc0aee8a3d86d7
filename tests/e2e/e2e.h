// The end-to-end driver's small test framework: named cases, checks that print
// "ok"/"FAIL" with expected and actual values, bounded waits, and clean-ups that
// run however a case ends (failure, exception or the watchdog).
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo::e2e {

using CaseFn = void (*)();
bool registerCase(const char* name, CaseFn fn);

// The name of the case being run (used for scratch folders and screenshots).
const std::string& caseName();

// Checks. Each prints one line and counts failures; the driver exits non-zero
// when any check of the case failed.
bool check(bool condition, std::string_view what);
bool checkEq(std::string_view expected, std::string_view actual, std::string_view what);
bool checkEq(std::wstring_view expected, std::wstring_view actual, std::string_view what);
bool checkEq(int64_t expected, int64_t actual, std::string_view what);
bool checkNear(int64_t expected, int64_t actual, int64_t tolerance, std::string_view what);
void note(std::string_view text);
// Stops the case: counted as a failure, clean-ups run.
[[noreturn]] void abortCase(std::string_view why);
inline void require(bool condition, std::string_view what) {
    if (!check(condition, what)) abortCase("cannot go on after: " + std::string(what));
}
int failureCount();

// Bytes in a readable form: printable ASCII as is, the rest as \xNN, CR as \r.
std::string show(std::string_view bytes);
// UTF-16 in a readable form: ASCII as is, every other unit as \uXXXX.
std::string show(std::wstring_view text);
std::string format(const char* fmt, ...);

// Polls `condition` every `stepMs` until it holds or `timeoutMs` has passed.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 20);
void sleepMs(DWORD ms);

// A clean-up that runs when the guard goes out of scope, or from the watchdog
// when the case hangs. Guards are undone in reverse order of creation.
class Cleanup {
public:
    explicit Cleanup(std::function<void()> fn);
    ~Cleanup();
    void run();  // run now (once)
    Cleanup(const Cleanup&) = delete;
    Cleanup& operator=(const Cleanup&) = delete;

private:
    int id_;
};

}  // namespace vireo::e2e

// Declares a case; e2e.cmake turns every line that starts with this macro into a
// ctest test "e2e.<name>". Names are lower case, digits and underscores.
#define VIREO_E2E_CASE(name)                                                                    \
    static void vireo_e2e_case_##name();                                                        \
    [[maybe_unused]] static const bool vireo_e2e_registered_##name =                            \
        ::vireo::e2e::registerCase(#name, &vireo_e2e_case_##name);                              \
    static void vireo_e2e_case_##name()

// A case that ctest does not run (e2e.cmake lists only VIREO_E2E_CASE lines): it
// needs files and settings its caller prepares, and is run by name.
#define VIREO_E2E_MANUAL_CASE(name) VIREO_E2E_CASE(name)
