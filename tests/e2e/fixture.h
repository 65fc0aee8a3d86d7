// Scratch folders, generated files and the player process of one case.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/e2e.h"

namespace vireo::e2e {

// --- files -------------------------------------------------------------------

std::string driverDir();  // folder of vireo_driver.exe, with a final backslash
void wipeTree(const std::string& path);  // removes a file or folder tree; read-only bits too
void wipeTreeW(const std::wstring& path);  // the same, quietly, for any name
void makeDirs(const std::string& path);  // creates every missing level
void writeFile(const std::string& path, std::string_view bytes);
std::optional<std::string> readFile(const std::string& path);
bool exists(const std::string& path);
std::optional<FILETIME> modificationTime(const std::string& path);
bool sameTime(const FILETIME& a, const FILETIME& b);
// 16-bit mono PCM at `rate` Hz, exactly round(seconds * rate) samples of a soft tone.
void writeWav(const std::string& path, double seconds, int rate = 8000);
// Names of the music entries of `folder` as Explorer shows them (digits as
// numbers, the locale's order), filtered like the player filters them (the
// extension after the last dot, any kind of entry).
std::vector<std::string> musicEntries(const std::string& folder);
std::vector<std::wstring> musicEntriesW(const std::wstring& folder);
// The preferences line the player writes for `folder`.
std::string preferencesLine(std::string_view folder);

// A file made on the Linux side by wine-env.sh (VIREO_E2E_FIXTURES); empty when
// the environment names no such folder.
std::string fixtureFile(std::string_view name);

// Wide-name helpers for names outside Windows-1252.
std::wstring widen(std::string_view cp1252);
std::string narrow(std::wstring_view text);  // Windows-1252, '?' for the rest
void writeWavW(const std::wstring& path, double seconds, int rate = 8000);

// A scratch folder C:\vireo-e2e\<case>\ holding a fresh copy of Vireo.exe.
class Scratch {
public:
    explicit Scratch(const std::string& name = caseName());
    const std::string& dir() const { return dir_; }  // ends with a backslash
    std::string path(std::string_view relative) const { return dir_ + std::string(relative); }
    std::string exe() const { return path("Vireo.exe"); }
    std::string ini() const { return path("Vireo.ini"); }
    void writeIni(std::string_view bytes) const { writeFile(ini(), bytes); }
    // A folder under the scratch folder with these files; returns its path with a final backslash.
    std::string folder(std::string_view relative) const;

private:
    std::string dir_;
};

// Renames "C:\Program Files (x86)" away (or replaces it with a plain file) for the
// life of the guard; always puts it back, also from the watchdog.
class PlatformFolderGuard {
public:
    enum class Mode { Missing, PlainFile };
    explicit PlatformFolderGuard(Mode mode);
    ~PlatformFolderGuard();
    bool active() const { return active_; }

private:
    bool active_ = false;
    std::unique_ptr<Cleanup> restore_;
};
void restorePlatformFolderIfLeft();

// The display scale the players started during the life of the guard get: Wine
// hands the LogPixels value of HKCU\Control Panel\Desktop to every process it
// starts, and never stretches a window. Removed again, also from the watchdog.
class DisplayScale {
public:
    explicit DisplayScale(int dpi);
    ~DisplayScale();
    int dpi() const { return dpi_; }
    // A length of the 96-dpi layout at this scale, halves rounded up.
    int operator()(int length) const { return (length * dpi_ + 48) / 96; }

private:
    int dpi_;
    std::unique_ptr<Cleanup> restore_;
};

// Wine 10 gives a per-monitor-aware program the scale its monitor had when the
// session started, whatever LogPixels says since (only the system's scale
// follows it), as Windows gives the monitor's scale, not the system's: there
// a player started under a DisplayScale of another scale cannot be seen at it
// from its start. True then, after checking that the strip took its monitor's
// scale and saying so; the cases check the scaled strip through a move to a
// monitor of that scale instead.
class Player;
bool startsAtTheMonitorsScale(const Player& p, int dpi);

// --- the player process ----------------------------------------------------------

class Player {
public:
    // Starts `exe` with `workDir` as its current directory (the exe's folder when empty).
    explicit Player(const std::string& exe, const std::string& workDir = "");
    // The same with "NAME=value" settings put into its environment.
    Player(const std::wstring& exe, const std::wstring& workDir, const std::vector<std::wstring>& environment = {});
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_; }
    bool running() const;

    // Both windows found (by class) and visible.
    bool waitWindows(DWORD timeoutMs = 10000);
    HWND backdrop() const { return backdrop_; }
    HWND main() const { return main_; }
    HWND control(int id) const;
    // Looks the windows up again without waiting for them to be visible.
    void findWindows();

    // True once the player's thread answers a sent message: it has finished the
    // command it was running (a folder scan, a close after a dialog) and is back
    // in its loop or in a modal one.
    bool settle(DWORD timeoutMs = 5000) const;

    // Waits for the process to end; the exit code, or nothing on timeout.
    std::optional<DWORD> waitExit(DWORD timeoutMs);
    // Posts WM_CLOSE to BackdropWindow and checks that the process ends with code 0.
    bool closeAndCheck(DWORD timeoutMs = 5000);
    // Checks the process ends by itself with code 0 (after a click on CloseButton, say).
    bool checkExitsCleanly(DWORD timeoutMs = 5000);
    void kill();

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND backdrop_ = nullptr;
    HWND main_ = nullptr;
    std::unique_ptr<Cleanup> killer_;
};

}  // namespace vireo::e2e
