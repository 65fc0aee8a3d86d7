#include "library/storage_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "core/modal_win32.h"
#include "core/system_dlls_win32.h"

namespace vireo {

namespace {

class Win32OpenFile : public OpenFile {
public:
    explicit Win32OpenFile(HANDLE h) : h_(h) {}
    ~Win32OpenFile() override { CloseHandle(h_); }
    Win32OpenFile(const Win32OpenFile&) = delete;
    Win32OpenFile& operator=(const Win32OpenFile&) = delete;

    bool readAll(std::string& bytes) override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(h_, &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) return false;
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(h_, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) return false;
            if (got == 0) break;  // shorter than its size said: keep what was read
            done += got;
        }
        bytes.resize(done);
        return true;
    }

    bool rewrite(std::string_view bytes) override {
        if (SetFilePointer(h_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
            return false;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD put = 0;
            if (!WriteFile(h_, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr) || put == 0) {
                return false;
            }
            done += put;
        }
        return SetEndOfFile(h_) != FALSE;
    }

private:
    HANDLE h_;
};

static_assert((BIF_NEWDIALOGSTYLE | BIF_EDITBOX) == 0x50);

using BrowseForFolderA = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOA);
using GetPathFromIDListA = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPSTR);
using GetPathFromIDListW = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);

template <typename F>
F Export(HMODULE module, const char* name, const char* fallback) {
    FARPROC f = GetProcAddress(module, name);
    if (!f) f = GetProcAddress(module, fallback);
    return reinterpret_cast<F>(reinterpret_cast<void*>(f));
}

int CALLBACK OnBrowserEvent(HWND window, UINT message, LPARAM, LPARAM data) {
    const char* initial = reinterpret_cast<const char*>(data);
    if (message == BFFM_INITIALIZED && initial && *initial) {
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The short form of a path the code page cannot spell; "" when there is none.
std::string ShortAnsiPath(GetPathFromIDListW pathW, PCIDLIST_ABSOLUTE item) {
    if (!pathW) return {};
    wchar_t wide[MAX_PATH + 1] = {};
    if (!pathW(item, wide)) return {};
    wchar_t shortWide[MAX_PATH + 1] = {};
    DWORD n = GetShortPathNameW(wide, shortWide, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    char ansi[MAX_PATH * 2 + 1] = {};
    BOOL lossy = FALSE;
    int len = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortWide, -1, ansi, sizeof ansi, nullptr, &lossy);
    if (len <= 0 || lossy) return {};
    return ansi;
}

}  // namespace

std::unique_ptr<OpenFile> Win32Files::open(const std::string& path, FileAccess access, FileShare share,
                                           FileCreation creation) {
    DWORD desired = access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    DWORD sharing = share == FileShare::Read ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disposition = creation == FileCreation::OpenExisting ? OPEN_EXISTING
                        : creation == FileCreation::OpenAlways ? OPEN_ALWAYS
                                                               : CREATE_ALWAYS;
    HANDLE h = CreateFileA(path.c_str(), desired, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32OpenFile>(h);
}

ListResult Win32Directories::list(const std::string& pattern, std::vector<DirEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? ListResult::NoEntries : ListResult::CannotStart;
    }
    do {
        entries.push_back({data.cFileName, data.cAlternateFileName});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return ListResult::Listed;
}

FoundEntry Win32Directories::find(const std::string& name) {
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(name.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    FindClose(find);
    FoundEntry e;
    e.found = true;
    e.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return e;
}

std::string Win32FolderRequester::browse(std::string_view prompt, std::string_view initialFolder) {
    // Loaded on first use and kept: the player does not link the shell, and
    // unloading it after every browse would load it afresh, caches and all, the next time.
    static HMODULE shell = nullptr;  // one thread: no guard needed
    if (!shell) shell = SystemDll(L"shell32.dll");
    if (!shell) return {};
    auto browseA = Export<BrowseForFolderA>(shell, "SHBrowseForFolderA", "SHBrowseForFolder");
    auto pathA = Export<GetPathFromIDListA>(shell, "SHGetPathFromIDListA", "SHGetPathFromIDList");
    auto pathW = Export<GetPathFromIDListW>(shell, "SHGetPathFromIDListW", "SHGetPathFromIDListW");
    std::string result;
    if (browseA && pathA) {
        std::string title(prompt);
        std::string initial(initialFolder);
        char displayName[MAX_PATH + 1] = {};
        BROWSEINFOA info{};
        PIDLIST_ABSOLUTE item = nullptr;
        {
            ModalScope modal;
            info.hwndOwner = modal.owner();
            info.pidlRoot = nullptr;
            info.pszDisplayName = displayName;
            info.lpszTitle = title.c_str();
            info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;  // 0x50, nothing else
            info.lpfn = OnBrowserEvent;
            info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
            item = browseA(&info);
        }
        if (item) {
            char path[MAX_PATH + 1] = {};
            if (pathA(item, path)) {
                result = path;
                // Characters outside the code page come back as "?": take the short path.
                if (result.find('?') != std::string::npos || !Exists(result.c_str())) {
                    std::string shortPath = ShortAnsiPath(pathW, item);
                    if (!shortPath.empty()) result = shortPath;
                }
            }
            CoTaskMemFree(item);
        }
    }
    return result;
}

}  // namespace vireo
