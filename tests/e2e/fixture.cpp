#include "tests/e2e/fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/e2e/probe.h"

namespace vireo::e2e {

// --- files -------------------------------------------------------------------------
// Paths are Windows-1252 here and reach the system wide, so that the cases mean
// the same whatever this process's code page is.

std::string driverDir() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string p(buf, n);
    return p.substr(0, p.find_last_of("\\/") + 1);
}

std::wstring widen(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(1252, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(1252, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string narrow(std::wstring_view w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(1252, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, "?", nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(1252, 0, w.data(), static_cast<int>(w.size()), s.data(), n, "?", nullptr);
    return s;
}

void wipeTreeW(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            wipeTreeW(path + L"\\" + name);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

void wipeTree(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    wipeTreeW(widen(p));
    if (exists(p)) abortCase("could not remove " + show(p));
}

void makeDirs(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            std::string part = path.substr(0, i);
            if (!part.empty() && !exists(part) && !CreateDirectoryW(widen(part).c_str(), nullptr))
                abortCase("could not create folder " + show(part));
        }
    }
}

void writeFile(const std::string& path, std::string_view bytes) {
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) abortCase("could not create " + show(path));
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != bytes.size()) abortCase("could not write " + show(path));
}

std::optional<std::string> readFile(const std::string& path) {
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<FILETIME> modificationTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data.ftLastWriteTime;
}

bool sameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

static std::string wavBytes(double seconds, int rate) {
    auto samples = static_cast<uint32_t>(std::lround(seconds * rate));
    uint32_t dataSize = samples * 2;
    std::string b;
    auto u32 = [&b](uint32_t v) { for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF); };
    auto u16 = [&b](uint16_t v) { b += static_cast<char>(v & 0xFF); b += static_cast<char>(v >> 8); };
    b += "RIFF";
    u32(36 + dataSize);
    b += "WAVEfmt ";
    u32(16);
    u16(1);                                  // PCM
    u16(1);                                  // mono
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate) * 2);    // bytes per second
    u16(2);                                  // block align
    u16(16);                                 // bits per sample
    b += "data";
    u32(dataSize);
    for (uint32_t i = 0; i < samples; ++i) {
        auto v = static_cast<int16_t>(2000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * i / rate));
        u16(static_cast<uint16_t>(v));
    }
    return b;
}

void writeWav(const std::string& path, double seconds, int rate) { writeFile(path, wavBytes(seconds, rate)); }

void writeWavW(const std::wstring& path, double seconds, int rate) {
    std::string bytes = wavBytes(seconds, rate);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) abortCase("could not create " + show(narrow(path)));
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    if (written != bytes.size()) abortCase("could not write " + show(narrow(path)));
}

std::string fixtureFile(std::string_view name) {
    char dir[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("VIREO_E2E_FIXTURES", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string path(dir, n);
    if (path.back() != '\\') path += '\\';
    return path + std::string(name);
}

std::vector<std::wstring> musicEntriesW(const std::wstring& folder) {
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*.*";
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = fd.cFileName;
        const size_t dot = name.rfind(L'.');
        if (name == L"." || name == L".." || dot == std::wstring::npos) continue;
        std::wstring extension = name.substr(dot + 1);
        for (wchar_t& c : extension)
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
        for (const wchar_t* e : {L"wav", L"mp3", L"mid", L"wma", L"flac", L"m4a", L"aac"})
            if (extension == e) names.push_back(name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    // As Explorer shows them.
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        const int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS, a.c_str(),
                                      static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), nullptr,
                                      nullptr, 0);
        return r == CSTR_EQUAL ? a < b : r == CSTR_LESS_THAN;
    });
    return names;
}

std::vector<std::string> musicEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::wstring& name : musicEntriesW(widen(folder))) names.push_back(narrow(name));
    return names;
}

std::string preferencesLine(std::string_view folder) {
    return "Répertoire = " + std::string(folder) + "\r\n";
}

// The Vireo.exe the cases run: VIREO_E2E_EXE (a Windows path) when set, so that a
// case can be run on an earlier build too, else the one built beside the driver.
static std::string playerExe() {
    char path[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("VIREO_E2E_EXE", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : driverDir() + "Vireo.exe";
}

Scratch::Scratch(const std::string& name) {
    dir_ = "C:\\vireo-e2e\\" + name + "\\";
    wipeTree(dir_);
    makeDirs(dir_.substr(0, dir_.size() - 1));
    std::string source = playerExe();
    if (!CopyFileW(widen(source).c_str(), widen(exe()).c_str(), FALSE))
        abortCase("could not copy " + show(source) + " into the scratch folder");
}

std::string Scratch::folder(std::string_view relative) const {
    std::string p = path(relative);
    while (!p.empty() && p.back() == '\\') p.pop_back();
    makeDirs(p);
    return p + "\\";
}

// --- the platform folder -----------------------------------------------------------

namespace {
const char* const kPlatformFolder = "C:\\Program Files (x86)";
const char* const kPlatformBackup = "C:\\vireo-e2e-program-files-x86.moved";

bool isDirectory(const char* path) {
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool restorePlatformFolder() {
    if (!isDirectory(kPlatformBackup)) return isDirectory(kPlatformFolder);
    DWORD a = GetFileAttributesA(kPlatformFolder);
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(kPlatformFolder, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kPlatformFolder);
    }
    if (!MoveFileA(kPlatformBackup, kPlatformFolder)) return false;
    return isDirectory(kPlatformFolder);
}
}  // namespace

void restorePlatformFolderIfLeft() {
    if (isDirectory(kPlatformBackup)) {
        bool ok = restorePlatformFolder();
        note(std::string("restored ") + kPlatformFolder + " left moved by an earlier run: " + (ok ? "done" : "FAILED"));
    }
}

PlatformFolderGuard::PlatformFolderGuard(Mode mode) {
    restorePlatformFolderIfLeft();
    require(isDirectory(kPlatformFolder), std::string(kPlatformFolder) + " is a folder before the case");
    restore_ = std::make_unique<Cleanup>([] {
        bool ok = restorePlatformFolder();
        check(ok, std::string(kPlatformFolder) + " restored as a folder");
    });
    if (!MoveFileA(kPlatformFolder, kPlatformBackup)) abortCase(format("could not move the platform folder away (error %lu)", GetLastError()));
    active_ = true;
    if (mode == Mode::PlainFile) writeFile(kPlatformFolder, "not a folder\r\n");
}

PlatformFolderGuard::~PlatformFolderGuard() { restore_->run(); }

namespace {
void removeLogPixels() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "LogPixels");
    RegCloseKey(key);
}
}  // namespace

DisplayScale::DisplayScale(int dpi) : dpi_(dpi) {
    restore_ = std::make_unique<Cleanup>(removeLogPixels);
    if (dpi == 96) {
        removeLogPixels();
        return;
    }
    HKEY key = nullptr;
    const DWORD value = static_cast<DWORD>(dpi);
    require(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) == ERROR_SUCCESS &&
                RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                    ERROR_SUCCESS,
            format("LogPixels set to %d", dpi));
    RegCloseKey(key);
}

DisplayScale::~DisplayScale() { restore_->run(); }

bool startsAtTheMonitorsScale(const Player& p, int dpi) {
    if (dpi == 96 || wineMajor() < 10) return false;
    const RECT r = screenRect(p.main());
    checkEq("795x70", format("%ldx%ld", r.right - r.left, r.bottom - r.top),
            format("under Wine %d, the strip at its monitor's scale (96 dpi), not the system's (%d)", wineMajor(), dpi));
    note(format("Wine %d keeps a monitor's scale from the session's start: the strip at %d dpi from its start is left "
                "out here, and checked through a move to a monitor of that scale",
                wineMajor(), dpi));
    return true;
}

// --- the player process ------------------------------------------------------------

Player::Player(const std::string& exe, const std::string& workDir) : Player(widen(exe), widen(workDir)) {}

namespace {
// The driver's environment with `overrides` ("NAME=value") put in, as a block.
std::wstring environmentWith(const std::vector<std::wstring>& overrides) {
    std::vector<std::wstring> vars;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* v = block; v && *v; v += wcslen(v) + 1) vars.emplace_back(v);
    FreeEnvironmentStringsW(block);
    auto nameOf = [](const std::wstring& v) { return v.substr(0, v.find(L'=', 1)); };
    for (const std::wstring& o : overrides) {
        std::erase_if(vars, [&](const std::wstring& v) { return _wcsicmp(nameOf(v).c_str(), nameOf(o).c_str()) == 0; });
        vars.push_back(o);
    }
    std::wstring out;
    for (const std::wstring& v : vars) out += v + L'\0';
    return out + L'\0';
}
}  // namespace

Player::Player(const std::wstring& exe, const std::wstring& workDir, const std::vector<std::wstring>& environment) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    std::wstring dir = workDir.empty() ? exe.substr(0, exe.find_last_of(L'\\') + 1) : workDir;
    std::wstring env = environment.empty() ? std::wstring() : environmentWith(environment);
    // Wine now and then fails a start with an internal error while the server is
    // still busy with the previous case's processes: try again a moment later.
    DWORD error = ERROR_INTERNAL_ERROR;
    for (int attempt = 0; attempt < 3 && error == ERROR_INTERNAL_ERROR; ++attempt) {
        if (attempt) Sleep(500);
        error = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                               env.empty() ? nullptr : env.data(), dir.c_str(), &si, &pi)
                    ? ERROR_SUCCESS
                    : GetLastError();
    }
    if (error != ERROR_SUCCESS)
        abortCase(format("CreateProcessW failed for %s (error %lu)", show(exe).c_str(), error));
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    HANDLE proc = process_;
    killer_ = std::make_unique<Cleanup>([proc] {
        if (WaitForSingleObject(proc, 0) == WAIT_TIMEOUT) {
            TerminateProcess(proc, 99);
            WaitForSingleObject(proc, 5000);
        }
    });
}

Player::~Player() {
    killer_->run();
    if (process_) CloseHandle(process_);
}

bool Player::running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

namespace {
struct FindCtx {
    DWORD pid;
    HWND backdrop = nullptr;
    HWND main = nullptr;
};
BOOL CALLBACK findPlayerWindows(HWND h, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != ctx->pid) return TRUE;
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (std::strcmp(cls, "VireoBackdrop") == 0) ctx->backdrop = h;
    if (std::strcmp(cls, "VireoMain") == 0) ctx->main = h;
    return TRUE;
}
}  // namespace

void Player::findWindows() {
    FindCtx ctx{pid_};
    EnumWindows(findPlayerWindows, reinterpret_cast<LPARAM>(&ctx));
    backdrop_ = ctx.backdrop;
    main_ = ctx.main;
}

bool Player::waitWindows(DWORD timeoutMs) {
    return waitUntil(
        [this] {
            if (!running()) return true;
            findWindows();
            return backdrop_ && main_ && IsWindowVisible(backdrop_) && IsWindowVisible(main_);
        },
        timeoutMs) && running();
}

bool Player::settle(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return main_ && SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

HWND Player::control(int id) const { return main_ ? GetDlgItem(main_, id) : nullptr; }

std::optional<DWORD> Player::waitExit(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

bool Player::checkExitsCleanly(DWORD timeoutMs) {
    auto code = waitExit(timeoutMs);
    if (!code) {
        check(false, format("player ends within %lu ms", timeoutMs));
        kill();
        return false;
    }
    return checkEq(0, static_cast<int64_t>(*code), "exit code");
}

bool Player::closeAndCheck(DWORD timeoutMs) {
    if (!running()) return check(false, "player still running before it is closed");
    if (!backdrop_) findWindows();
    if (!backdrop_) {
        check(false, "BackdropWindow found to close");
        kill();
        return false;
    }
    PostMessageA(backdrop_, WM_CLOSE, 0, 0);
    return checkExitsCleanly(timeoutMs);
}

void Player::kill() { killer_->run(); }

}  // namespace vireo::e2e
