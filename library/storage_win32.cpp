#include "library/storage_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "core/modal_win32.h"
#include "core/names.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"

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

    // Only what is asked is read: an MPEG title's head, not its megabytes.
    bool readAt(int64_t offset, size_t most, std::string& bytes, int64_t& size) override {
        LARGE_INTEGER length{}, at{};
        at.QuadPart = offset;
        if (!GetFileSizeEx(h_, &length) || !SetFilePointerEx(h_, at, nullptr, FILE_BEGIN)) return false;
        size = length.QuadPart;
        bytes.assign(most, '\0');
        DWORD got = 0;
        if (!ReadFile(h_, bytes.data(), static_cast<DWORD>(most), &got, nullptr)) return false;
        bytes.resize(got);
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
        // On the disk before it takes the old file's place.
        return SetEndOfFile(h_) != FALSE && FlushFileBuffers(h_) != FALSE;
    }

private:
    HANDLE h_;
};

static_assert((BIF_NEWDIALOGSTYLE | BIF_EDITBOX) == 0x50);

using BrowseForFolderW = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
using GetPathFromIDListW = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);

int CALLBACK OnBrowserEvent(HWND window, UINT message, LPARAM, LPARAM data) {
    const wchar_t* initial = reinterpret_cast<const wchar_t*>(data);
    if (message == BFFM_INITIALIZED && initial && *initial) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

}  // namespace

std::unique_ptr<OpenFile> Win32Files::open(const std::u16string& path, FileAccess access, FileShare share,
                                           FileCreation creation) {
    DWORD desired = access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    DWORD sharing = share == FileShare::Read ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disposition = creation == FileCreation::OpenExisting ? OPEN_EXISTING
                        : creation == FileCreation::OpenAlways ? OPEN_ALWAYS
                                                               : CREATE_ALWAYS;
    HANDLE h = CreateFileW(Wide(path), desired, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32OpenFile>(h);
}

namespace {

// Refusals that another program's open of the file explains, and that end
// when it lets go; the old file or the new one has vanished since it was
// looked at, which the next try sees. Any other refusal of ReplaceFile leaves
// both files under their names: the volume cannot replace.
ReplaceResult Refusal(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return ReplaceResult::Busy;
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return ReplaceResult::Displaced;
    default:
        return ReplaceResult::Unsupported;
    }
}

}  // namespace

ReplaceResult Win32Files::replace(const std::u16string& from, const std::u16string& to, const std::u16string& backup) {
    const DWORD attributes = GetFileAttributesW(Wide(to));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return Refusal(error);
        // Nothing to keep: a rename, which fails rather than overwrite a file
        // that has appeared since.
        return rename(from, to, false) ? ReplaceResult::Replaced : Refusal(GetLastError());
    }
    // The user's own protection, never worked around.
    if (attributes & FILE_ATTRIBUTE_READONLY) return ReplaceResult::Refused;
    // A rename over the old file would need it closed by every other program
    // (the indexer, a scanner, a sync client) and would lose its attributes,
    // access rights and creation time; ReplaceFile keeps them, and works
    // while others hold it sharing deletion. With a backup name it never
    // loses the old file: whatever fails, it is still there by one name.
    if (ReplaceFileW(Wide(to), Wide(from), Wide(backup), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return ReplaceResult::Replaced;
    return Refusal(GetLastError());
}

bool Win32Files::rename(const std::u16string& from, const std::u16string& to, bool over) {
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_WRITE_THROUGH | (over ? MOVEFILE_REPLACE_EXISTING : 0)) != FALSE;
}

void Win32Files::wait(unsigned ms) { Sleep(ms); }

bool Win32Files::remove(const std::u16string& path) { return DeleteFileW(Wide(path)) != FALSE; }

ListResult Win32Directories::list(const std::u16string& pattern, std::vector<std::u16string>& names) {
    names.clear();
    WIN32_FIND_DATAW data{};
    // The basic information only: no short names, which the player never uses.
    HANDLE find = FindFirstFileExW(Wide(pattern), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? ListResult::NoEntries : ListResult::CannotStart;
    }
    do {
        names.push_back(FromWide(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return ListResult::Listed;
}

FoundEntry Win32Directories::find(const std::u16string& name) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileExW(Wide(name), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return {};
    FindClose(find);
    FoundEntry e;
    e.found = true;
    e.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return e;
}

std::u16string Win32Directories::shortPath(const std::u16string& path) {
    // The same as the long path, or nothing, on a volume without short names.
    const DWORD n = GetShortPathNameW(Wide(path), nullptr, 0);
    if (n == 0) return {};
    std::u16string out(n, u'\0');
    const DWORD got = GetShortPathNameW(Wide(path), Wide(out), n);
    if (got == 0 || got >= n) return {};
    out.resize(got);
    return out;
}

int Win32Directories::compareNames(std::u16string_view a, std::u16string_view b) {
    const int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS,
                                  reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                                  reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()), nullptr,
                                  nullptr, 0);
    // Alike to the locale (or refused): still one order, always the same.
    if (r == CSTR_LESS_THAN) return -1;
    if (r == CSTR_GREATER_THAN) return 1;
    return NaturalCompare(a, b);
}

std::u16string Win32FolderRequester::browse(std::string_view prompt, std::u16string_view initialFolder) {
    // Loaded on first use and kept: the player does not link the shell, and
    // unloading it after every browse would load it afresh, caches and all, the next time.
    static HMODULE shell = nullptr;  // one thread: no guard needed
    if (!shell) shell = SystemDll(L"shell32.dll");
    if (!shell) return {};
    auto browseW = reinterpret_cast<BrowseForFolderW>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHBrowseForFolderW")));
    auto pathW = reinterpret_cast<GetPathFromIDListW>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetPathFromIDListW")));
    if (!browseW || !pathW) return {};
    // The wide browser, so that a folder in any script comes back as it is spelled.
    std::u16string title = WidenCp1252(prompt);
    std::u16string initial(initialFolder);
    wchar_t displayName[MAX_PATH + 1] = {};
    BROWSEINFOW info{};
    PIDLIST_ABSOLUTE item = nullptr;
    {
        ModalScope modal;
        info.hwndOwner = modal.owner();
        info.pidlRoot = nullptr;
        info.pszDisplayName = displayName;
        info.lpszTitle = Wide(title);
        info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;  // 0x50, nothing else
        info.lpfn = OnBrowserEvent;
        info.lParam = reinterpret_cast<LPARAM>(Wide(initial));
        item = browseW(&info);
    }
    std::u16string result;
    if (item) {
        wchar_t path[MAX_PATH + 1] = {};
        if (pathW(item, path)) result = FromWide(path);
        CoTaskMemFree(item);
    }
    return result;
}

}  // namespace vireo
