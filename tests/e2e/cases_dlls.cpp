// DLLs planted beside the exe, as a download folder may hold them: the player
// takes every DLL it loads from the system folder, never from its own.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

enum Id { PlayButton = 2, StopButton = 3, TitleCombo = 5, SelectFolderButton = 6, CountDisplay = 9,
          AboutButton = 17, HelpButton = 18 };

struct SystemDll {
    const char* name;
    const char* kind;
};
#define KNOWN(name) {name, "KnownDLL"},
#define WITH(name) {name, "loaded with the KnownDLLs"},
const SystemDll kSystemDlls[] = {
#include "tests/known_dlls.inc"
};
#undef KNOWN
#undef WITH

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

const char* systemKind(const std::string& name) {
    for (const SystemDll& d : kSystemDlls)
        if (name == d.name) return d.kind;
    return nullptr;
}

// The modules loaded in `process` now: file name (lower case) -> full path; empty
// when the list could not be read (it may change while it is read).
std::map<std::string, std::string> loadedModules(HANDLE process) {
    std::vector<HMODULE> mods(1024);
    DWORD needed = 0;
    std::map<std::string, std::string> out;
    if (!EnumProcessModulesEx(process, mods.data(), static_cast<DWORD>(mods.size() * sizeof(HMODULE)), &needed,
                              LIST_MODULES_ALL))
        return out;
    mods.resize(std::min(mods.size(), static_cast<size_t>(needed / sizeof(HMODULE))));
    for (HMODULE m : mods) {
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameExW(process, m, path, MAX_PATH);
        if (n == 0) continue;
        std::string full = lower(narrow(std::wstring_view(path, n)));
        out[full.substr(full.find_last_of('\\') + 1)] = full;
    }
    return out;
}

// Every module seen in a process, with the step during which it first showed. A
// thread reads the list every few milliseconds, so that the DLLs a step loads and
// frees again (the MCI driver between Play and Stop) are seen too.
class Census {
public:
    struct Seen {
        std::string step, path;
    };
    explicit Census(HANDLE process) : process_(process), reader_([this] { read(); }) {}
    ~Census() { stop(); }
    // Starts the next step once the list has been read twice more: what the last
    // step loaded counts for it.
    void step(const char* name) {
        unsigned reads = reads_;
        waitUntil([&] { return reads_ >= reads + 2; }, 1000, 1);
        std::lock_guard<std::mutex> hold(lock_);
        step_ = name;
    }
    std::map<std::string, Seen> stop() {
        done_ = true;
        if (reader_.joinable()) reader_.join();
        return seen_;
    }

private:
    void read() {
        while (!done_) {
            auto now = loadedModules(process_);
            std::lock_guard<std::mutex> hold(lock_);
            for (const auto& [name, path] : now) seen_.emplace(name, Seen{step_, path});
            ++reads_;
            Sleep(5);
        }
    }
    HANDLE process_;
    std::mutex lock_;
    std::string step_ = "start-up";
    std::map<std::string, Seen> seen_;
    std::atomic<bool> done_{false};
    std::atomic<unsigned> reads_{0};
    std::thread reader_;
};

// --- what a user does ------------------------------------------------------------------
// Each step returns what went wrong, or nothing. Steps give up as soon as the
// player has ended (a planted DLL ends it with 42).

bool until(const Player& p, const std::function<bool()>& condition, DWORD timeoutMs) {
    return waitUntil([&] { return !p.running() || condition(); }, timeoutMs) && p.running() && condition();
}

// A WAV and an MP3, each format with its MCI driver, and a FLAC, which Media
// Foundation plays.
constexpr size_t kTitles = 3;

std::string startUp(Player& p) {
    if (!p.waitWindows(15000)) return "the strip is not shown";
    if (!until(p, [&] { return comboItems(p.control(TitleCombo)).size() == kTitles; }, 5000))
        return "the titles are not listed";
    if (!p.settle()) return "the player does not answer";  // in its loop: MCI polled once
    return {};
}

// Each title in turn: chosen, played a second long, stopped.
std::string play(Player& p) {
    auto items = comboItems(p.control(TitleCombo));
    for (const char* name : {"Un.wav", "Deux.mp3", "Trois.flac"}) {
        if (mpegPlaysBroken() && std::string_view(name) == "Deux.mp3") continue;  // tests/e2e/probe.h
        int title = static_cast<int>(std::find(items.begin(), items.end(), name) - items.begin());
        sendA(p.control(TitleCombo), CB_SETCURSEL, title);
        click(p.control(PlayButton));
        std::string which = std::string(name) + " ";
        // Bounds for three players decoding at once on a busy machine.
        if (!until(p, [&] { return IsWindowEnabled(p.control(StopButton)) != FALSE; }, 10000))
            return which + "does not start";
        // The count advances only while the sound reaches the sink.
        if (!until(p, [&] { return text(p.control(CountDisplay)) == "1"; }, 8000)) return which + "does not reach 1 s";
        click(p.control(StopButton));
        if (!until(p, [&] { return IsWindowEnabled(p.control(PlayButton)) && text(p.control(CountDisplay)) == "0"; },
                   5000))
            return which + "does not stop";
    }
    return {};
}

std::string requester(Player& p) {
    click(p.control(SelectFolderButton));
    HWND browser = nullptr;
    if (!until(p, [&] { return (browser = findBrowser(p.pid())) != nullptr; }, 10000)) return "it does not open";
    if (!pressDialogButton(browser, IDCANCEL)) return "Cancel does not close it";
    if (!p.settle() || comboItems(p.control(TitleCombo)).size() != kTitles)
        return "the titles are not listed after Cancel";
    return {};
}

std::string box(Player& p, int button, const std::string& title) {
    click(p.control(button));
    std::optional<Box> b;
    if (!until(p, [&] { return (b = findBox(p.pid())).has_value(); }, 5000)) return "no box";
    if (b->title != title) return "the box is titled " + show(b->title);
    if (!pressDialogButton(b->hwnd, IDOK)) return "OK does not close it";
    return {};
}

struct Step {
    const char* name;
    std::string (*run)(Player&);
};
const Step kSteps[] = {
    {"start-up", startUp},
    {"Play", play},
    {"folder requester", requester},
    {"Help", [](Player& p) { return box(p, HelpButton, "Utilisation de ce lecteur"); }},
    {"About", [](Player& p) { return box(p, AboutButton, "A propos"); }},
};

// A scratch folder with a copy of the exe and the titles in its stored folder.
std::unique_ptr<Scratch> scratchWithTitles(const std::string& name) {
    auto s = std::make_unique<Scratch>(name);
    std::string music = s->folder("Musique");
    writeWav(music + "Un.wav", 3.2);
    for (const auto& [fixture, title] : {std::pair{"tone-3.2s.mp3", "Deux.mp3"}, std::pair{"tone-3.2s.flac", "Trois.flac"}}) {
        const std::string from = fixtureFile(fixture);
        if (!CopyFileA(from.c_str(), (music + title).c_str(), FALSE))
            abortCase("could not copy the fixture (made by tests/e2e/wine-env.sh) " + show(from));
    }
    s->writeIni(preferencesLine(music));
    return s;
}

// Runs every step, then closes the player; "" when all went well. `before` hears
// of each step as it begins. Checks nothing itself: it also runs on other threads.
std::string session(Player& p, const std::function<void(const char*)>& before = [](const char*) {}) {
    for (const Step& step : kSteps) {
        before(step.name);
        std::string wrong = step.run(p);
        if (!p.running()) {
            auto code = p.waitExit(1000);
            return format("%s: the player ended, exit code %ld", step.name, code ? static_cast<long>(*code) : -1L);
        }
        if (!wrong.empty()) return std::string(step.name) + ": " + wrong;
    }
    before("close");
    PostMessageA(p.backdrop(), WM_CLOSE, 0, 0);
    auto code = p.waitExit(5000);
    if (code != DWORD{0}) return format("close: exit code %ld", code ? static_cast<long>(*code) : -1L);
    return {};
}

// Makes Wine search the program's folder first for these DLLs, as Windows does
// for every DLL outside KnownDLLs, in the programs of these names, for the life of
// the guard. Wine reads WINEDLLOVERRIDES from the Unix environment a process
// inherits, which the driver cannot change for its children; the per-program key
// of the registry it reads at every load.
class NativeFirst {
public:
    NativeFirst(const std::vector<std::string>& programs, const std::vector<std::string>& dlls) : programs_(programs) {
        remove(programs_);
        for (const std::string& program : programs_) {
            HKEY key = nullptr;
            std::string path = keyOf(program);
            require(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr) == ERROR_SUCCESS,
                    "HKCU\\" + path + " created");
            for (const std::string& dll : dlls) {
                // Wine's name for a DLL: without ".dll", other extensions kept.
                bool plain = dll.size() > 4 && dll.compare(dll.size() - 4, 4, ".dll") == 0;
                std::string name = plain ? dll.substr(0, dll.size() - 4) : dll;
                RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
            }
            RegCloseKey(key);
        }
    }
    ~NativeFirst() { undo_.run(); }

private:
    static std::string keyOf(const std::string& program) {
        return "Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides";
    }
    static void remove(const std::vector<std::string>& programs) {
        for (const std::string& program : programs) RegDeleteKeyA(HKEY_CURRENT_USER, keyOf(program).c_str());
    }
    std::vector<std::string> programs_;
    Cleanup undo_{[this] { remove(programs_); }};
};

struct Planted {
    std::string dll;
    bool loadsAnyway = false;  // loaded in the reference program too
    std::string wrong;         // what went wrong in the reference run
    std::string loadedBy;      // the program that loaded the copy beside the player
};

void copyDriverFile(const std::string& from, const std::string& to) {
    if (!CopyFileA((driverDir() + from).c_str(), to.c_str(), FALSE))
        abortCase("could not copy " + from + " to " + show(to));
}

// The reference program (tests/e2e/reference_program.c) with the planted DLL
// beside it. Under Wine some DLLs load there all the same: Wine's own KnownDLLs
// import or load them as they start (its user32 imports version and zlib1 and
// loads uxtheme), and a DLL's delayed imports are looked for along Wine's old
// search path, which ignores the restriction (its comctl32 delay-loads uxtheme).
// Windows takes a known DLL's dependencies from the system folder and applies the
// restriction to every load that names no folder, so these are Wine's doing:
// such a DLL is not planted beside the player.
void runReference(Planted& t) {
    try {
        Scratch s(caseName() + "_" + t.dll);
        copyDriverFile("planted.dll", s.path(t.dll));
        copyDriverFile("reference.exe", s.path("reference.exe"));
        Player reference(s.path("reference.exe"));
        auto code = reference.waitExit(30000);
        if ((t.loadsAnyway = readFile(s.path(t.dll + ".mark")).has_value())) return;
        if (code != DWORD{0})
            t.wrong = format("the reference program ended with %ld", code ? static_cast<long>(*code) : -1L);
    } catch (...) {
        t.wrong = "the reference program could not be started";
    }
}

}  // namespace

// Lists the DLLs the player loads along a user's path (start-up, Play of a WAV,
// an MP3 and a FLAC, the folder requester, Help, About); then plants a DLL of each name that the system does not
// take from its own folder anyway beside a copy of the exe, makes Wine look there
// first, and checks that none is loaded and that the player still does all of it.
// All are planted at once: a DLL that loads ends the player and names itself by
// its mark, and is taken away for the next start, so that every one that loads is
// named and the last start shows the player working beside the rest.
VIREO_E2E_CASE(planted_dlls) {
    if (mpegPlaysBroken())
        noteMpegLeftOut("Deux.mp3 is not played here, and the DLLs of its path are not planted");
    std::map<std::string, Census::Seen> seen;
    {
        auto scratch = scratchWithTitles(caseName());
        Player player(scratch->exe());
        Census census(player.process());
        std::string wrong = session(player, [&](const char* step) { census.step(step); });
        seen = census.stop();
        require(checkEq("", wrong, "the player's path with nothing planted"), "the path runs");
    }
    require(check(seen.size() > 10, format("modules seen: %zu", seen.size())), "the modules are listed");

    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    std::string systemDir = lower(std::string(system, n)) + "\\";
    std::string elsewhere;
    std::vector<Planted> plants;
    for (const auto& [name, where] : seen) {
        if (where.path.rfind(systemDir, 0) != 0 && name != "vireo.exe") elsewhere += " " + where.path;
        if (name != "vireo.exe" && !systemKind(name)) plants.emplace_back().dll = name;
    }
    checkEq("", elsewhere, "modules from outside the system folder");
    std::vector<std::string> names;
    for (const Planted& t : plants) names.push_back(t.dll);
    for (const char* dll : {"winmm.dll", "mfplay.dll", "mfplat.dll"})
        check(std::find(names.begin(), names.end(), dll) != names.end(), std::string(dll) + " is among the planted");
    // Media Foundation comes with the first title that needs it, never at start-up.
    checkEq("Play", seen["mfplay.dll"].step, "the step that first loaded mfplay.dll");
    NativeFirst nativeFirst({"Vireo.exe", "reference.exe"}, names);

    // The reference runs are short: a few at once.
    DWORD start = GetTickCount();
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w)
        workers.emplace_back([&] {
            for (size_t i; (i = next++) < plants.size();) runReference(plants[i]);
        });
    for (std::thread& w : workers) w.join();
    DWORD referenceMs = GetTickCount() - start;

    auto scratch = scratchWithTitles(caseName() + "_all");
    size_t planted = 0;
    std::string referenceWrong;
    for (const Planted& t : plants) {
        if (!t.wrong.empty()) referenceWrong += " " + t.dll + ": " + t.wrong + ";";
        if (t.loadsAnyway) continue;
        copyDriverFile("planted.dll", scratch->path(t.dll));
        ++planted;
    }
    checkEq("", referenceWrong, "what went wrong in the reference runs");
    std::string wrong;
    int starts = 0;
    for (bool marked = true; marked; ++starts) {
        Player p(scratch->exe());
        wrong = session(p);
        marked = false;
        for (Planted& t : plants) {
            std::string mark = scratch->path(t.dll + ".mark");
            auto by = readFile(mark);
            if (!by) continue;
            t.loadedBy = narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(by->data()),
                                                  by->size() / sizeof(wchar_t)));
            DeleteFileA(scratch->path(t.dll).c_str());
            DeleteFileA(mark.c_str());
            marked = true;
        }
    }
    std::map<std::string, std::string> kinds;
    for (const auto& [name, where] : seen) kinds[name] = systemKind(name) ? systemKind(name) : "";
    // Wine 10's loader looks for the imports of mfplay.dll, which the player
    // loads from the system folder, in the program's folder first; Windows
    // keeps the search of those imports to the system folder too, once the
    // program has limited it so (as Wine 8 does).
    const bool wine10Imports = wineMajor() >= 10;
    for (const Planted& t : plants) {
        kinds[t.dll] = t.loadsAnyway ? "Wine's own (loaded in the reference program too)" : "planted";
        if (t.loadsAnyway) continue;
        if (!t.loadedBy.empty() && wine10Imports && (t.dll == "mfplat.dll" || t.dll == "propsys.dll" || t.dll == "rtworkq.dll")) {
            note(t.dll + " planted: loaded by Wine " + std::to_string(wineMajor()) +
                 "'s loader for an import of mfplay.dll, which Windows takes from the system folder: not counted here");
            continue;
        }
        check(t.loadedBy.empty(), t.dll + " planted: " + (t.loadedBy.empty() ? "never loaded" : "LOADED by " + show(t.loadedBy)));
    }
    size_t left = planted;
    for (const Planted& t : plants) left -= !t.loadedBy.empty();
    checkEq("", wrong,
            format("beside the %zu planted DLLs that did not load, the player lists, plays the three titles, cancels the "
                   "requester, shows Help and About",
                   left));
    note(format("reference runs in %.1f s, three at a time; %d start(s) of the player beside the %zu planted, "
                "in %.1f s; the DLLs the player loaded:",
                referenceMs / 1000.0, starts, planted, (GetTickCount() - start - referenceMs) / 1000.0));
    for (const auto& [name, kind] : kinds)
        if (name != "vireo.exe") note(format("  %-20s %-17s %s", name.c_str(), seen[name].step.c_str(), kind.c_str()));
}
