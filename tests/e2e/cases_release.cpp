// The exe of the release archive as a user gets it: unpacked by
// tests/release/check.sh into a fresh folder, beside a Vireo.ini that names the
// demo folder. That script passes what the exe must show in VIREO_RELEASE_*.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

std::string setting(const char* name) {
    char value[1024] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) abortCase(std::string(name) + " is not set (tests/release/check.sh sets it)");
    return value;
}

std::string joined(const std::vector<std::string>& items) {
    std::string all;
    for (const std::string& item : items) all += (all.empty() ? "" : " | ") + item;
    return all;
}

std::string versionString(const std::vector<char>& info, const char* key) {
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040C04E4\\") + key;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "<missing>";
    return std::string(value);
}

std::string dotted(DWORD ms, DWORD ls) {
    return format("%u.%u.%u.%u", HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls));
}

}  // namespace

VIREO_E2E_MANUAL_CASE(release_package) {
    const std::string dir = setting("VIREO_RELEASE_DIR");  // ends with a backslash
    const std::string exe = dir + "Vireo.exe";
    require(exists(exe), "Vireo.exe unpacked: " + exe);

    // The version resource carries the project's version.
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    require(size > 0, "Vireo.exe has a version resource");
    std::vector<char> info(size);
    require(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()) != 0, "version resource read");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    require(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
            "fixed version information");
    const std::string version = setting("VIREO_RELEASE_VERSION");
    checkEq(version, dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), "FILEVERSION");
    checkEq(version, dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), "PRODUCTVERSION");
    const std::string shown = setting("VIREO_RELEASE_VERSION_TEXT");
    checkEq(shown, versionString(info, "FileVersion"), "FileVersion string");
    checkEq(shown, versionString(info, "ProductVersion"), "ProductVersion string");

    // It starts and lists the demo folder that Vireo.ini names.
    const std::string music = dir + "Musique\\";
    const std::vector<std::string> titles = musicEntries(music);
    require(!titles.empty(), "the demo folder holds titles");
    Player player(exe);
    require(player.waitWindows(), "both windows are visible");
    check(!findBox(player.pid()).has_value(), "no message box at start");
    waitUntil([&] { return comboItems(player.control(5)) == titles; }, 5000);
    checkEq(joined(titles), joined(comboItems(player.control(5))), "the demo titles in TitleCombo");
    checkEq(music, text(player.control(4)), "FolderPathField");
    checkEq(format(" Contenu : %zu titres", titles.size()), text(player.control(15)), "ContentLabel");

    // The About box dates the build by the commit.
    click(player.control(17));
    auto box = waitBox(player.pid(), 5000);
    require(box.has_value(), "the About box appears");
    checkEq("A propos", box->title, "About box title");
    const std::string line =
        "Dernière compilation :  le " + setting("VIREO_RELEASE_DATE") + " à " + setting("VIREO_RELEASE_TIME");
    check(box->text.find(line) != std::string::npos, "About shows " + show(line) + " in " + show(box->text));
    check(pressDialogButton(box->hwnd, IDOK), "OK closes the About box");
    player.closeAndCheck();
}
