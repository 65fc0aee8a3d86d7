#include "tests/e2e/probe.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"

namespace vireo::e2e {

// --- windows and controls -------------------------------------------------------

std::optional<LRESULT> sendA(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(h, msg, wp, lp, SMTO_ABORTIFHUNG, timeoutMs, &result)) return std::nullopt;
    return static_cast<LRESULT>(result);
}

std::optional<LRESULT> sendW(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, timeoutMs, &result)) return std::nullopt;
    return static_cast<LRESULT>(result);
}

namespace {
struct TopCtx {
    DWORD pid;
    const char* cls;
    std::vector<HWND> found;
};
BOOL CALLBACK collectTop(HWND h, LPARAM lp) {
    auto* ctx = reinterpret_cast<TopCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == ctx->pid && (!ctx->cls || _stricmp(className(h).c_str(), ctx->cls) == 0)) ctx->found.push_back(h);
    return TRUE;
}
BOOL CALLBACK collectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}
}  // namespace

std::vector<HWND> topWindows(DWORD pid, const char* cls) {
    TopCtx ctx{pid, cls, {}};
    EnumWindows(collectTop, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string className(HWND h) {
    char buf[256] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

// Read wide and spelled in Windows-1252 here: a single-byte read would spell it
// in this process's code page, which is not 1252 in every case.
std::string text(HWND h) { return narrow(textW(h)); }

LONG style(HWND h) { return GetWindowLongA(h, GWL_STYLE); }
LONG exStyle(HWND h) { return GetWindowLongA(h, GWL_EXSTYLE); }

RECT screenRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

RECT rectIn(HWND h, HWND parent) {
    RECT r = screenRect(h);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string describe(const RECT& r) {
    return format("%ld,%ld %ldx%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

std::wstring textW(HWND h) {
    std::vector<wchar_t> buf(8192, L'\0');
    auto n = sendW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    if (!n) return L"<no answer>";
    return std::wstring(buf.data(), std::min<size_t>(static_cast<size_t>(*n), wcslen(buf.data())));
}

std::vector<std::wstring> comboItemsW(HWND combo) {
    std::vector<std::wstring> items;
    auto count = sendW(combo, CB_GETCOUNT);
    if (!count || *count < 0) return items;
    for (LRESULT i = 0; i < *count; ++i) {
        std::vector<wchar_t> buf(2048, L'\0');
        auto len = sendW(combo, CB_GETLBTEXTLEN, i);
        if (len && *len >= 0 && static_cast<size_t>(*len) < buf.size()) {
            sendW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
            items.emplace_back(buf.data(), static_cast<size_t>(*len));
        } else {
            items.push_back(L"<unreadable>");
        }
    }
    return items;
}

std::vector<std::string> comboItems(HWND combo) {
    std::vector<std::string> items;
    for (const std::wstring& item : comboItemsW(combo)) items.push_back(narrow(item));
    return items;
}

int comboSelection(HWND combo) {
    auto sel = sendA(combo, CB_GETCURSEL);
    return sel ? static_cast<int>(*sel) : -2;
}

int buttonCheck(HWND button) {
    auto state = sendA(button, BM_GETCHECK);
    return state ? static_cast<int>(*state) : -1;
}

std::string enabledStates(HWND parent, const std::vector<int>& ids) {
    std::string states;
    for (int id : ids) {
        HWND h = GetDlgItem(parent, id);
        states += !h ? '?' : IsWindowEnabled(h) ? 'E' : 'D';
    }
    return states;
}

void click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

// --- memory in the target process ------------------------------------------------

RemoteMemory::RemoteMemory(HANDLE process, size_t size) : process_(process), size_(size) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteMemory::write(size_t offset, const void* data, size_t n) {
    SIZE_T done = 0;
    return address_ && offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, &done) && done == n;
}

bool RemoteMemory::read(size_t offset, void* data, size_t n) const {
    SIZE_T done = 0;
    return address_ && offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, &done) && done == n;
}

bool RemoteMemory::zero() {
    std::vector<char> z(size_, 0);
    return write(0, z.data(), z.size());
}

// --- tooltips -------------------------------------------------------------------

namespace {
constexpr size_t kTextOffset = 1024;
constexpr size_t kTextChars = 2048;

std::wstring readRemoteText(const RemoteMemory& mem, size_t offset, size_t chars) {
    std::vector<wchar_t> buf(chars + 1, L'\0');
    if (!mem.read(offset, buf.data(), chars * sizeof(wchar_t))) return L"<unreadable>";
    buf[chars] = L'\0';
    return buf.data();
}
}  // namespace

std::vector<TipWindow> readTooltips(HANDLE process, DWORD pid) {
    std::vector<TipWindow> tips;
    for (HWND h : topWindows(pid, "tooltips_class32")) {
        TipWindow t;
        t.hwnd = h;
        t.cls = className(h);
        t.style = style(h);
        t.exStyle = exStyle(h);
        t.owner = GetWindow(h, GW_OWNER);
        t.toolCount = static_cast<int>(sendW(h, TTM_GETTOOLCOUNT).value_or(-1));
        t.maxTipWidth = static_cast<int>(sendW(h, TTM_GETMAXTIPWIDTH).value_or(-1));
        t.textColour = static_cast<COLORREF>(sendW(h, TTM_GETTIPTEXTCOLOR).value_or(0xFFFFFFFF));
        t.backColour = static_cast<COLORREF>(sendW(h, TTM_GETTIPBKCOLOR).value_or(0xFFFFFFFF));

        RemoteMemory mem(process, kTextOffset + (kTextChars + 1) * sizeof(wchar_t));
        if (!mem.valid()) {
            tips.push_back(t);
            continue;
        }
        for (int i = 0; i < t.toolCount; ++i) {
            mem.zero();
            TTTOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            ti.lpszText = reinterpret_cast<LPWSTR>(mem.at(kTextOffset));
            mem.write(0, &ti, sizeof ti);
            Tool tool;
            if (sendW(h, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(mem.at(0))).value_or(0) && mem.read(0, &ti, sizeof ti)) {
                tool.flags = ti.uFlags;
                tool.hwnd = ti.hwnd;
                tool.id = ti.uId;
                if (ti.lpszText == reinterpret_cast<LPWSTR>(mem.at(kTextOffset)))
                    tool.text = narrow(readRemoteText(mem, kTextOffset, kTextChars));
                else
                    tool.text = "<text not copied>";
            } else {
                tool.text = "<TTM_ENUMTOOLSW failed>";
            }
            t.tools.push_back(tool);
        }
        mem.zero();
        TTGETTITLE gt{};
        gt.dwSize = sizeof gt;
        gt.cch = kTextChars;
        gt.pszTitle = reinterpret_cast<WCHAR*>(mem.at(kTextOffset));
        mem.write(0, &gt, sizeof gt);
        if (sendW(h, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(mem.at(0))) && mem.read(0, &gt, sizeof gt)) {
            t.titleIcon = gt.uTitleBitmap;
            t.title = narrow(readRemoteText(mem, kTextOffset, kTextChars));
        }
        tips.push_back(t);
    }
    return tips;
}

bool tipStateHoldsString(HANDLE process, HWND tip, const std::wstring& text) {
    auto state = static_cast<uintptr_t>(GetWindowLongPtrW(tip, 0));
    if (!state) return false;
    std::vector<uint8_t> bytes(8192);
    SIZE_T got = 0;
    while (bytes.size() >= 256 &&
           !ReadProcessMemory(process, reinterpret_cast<void*>(state), bytes.data(), bytes.size(), &got))
        bytes.resize(bytes.size() / 2);
    std::vector<wchar_t> probe(text.size() + 1);
    for (size_t off = 0; off + sizeof(uintptr_t) <= got; off += sizeof(uintptr_t)) {
        uintptr_t ptr = 0;
        std::memcpy(&ptr, &bytes[off], sizeof ptr);
        if (ptr < 0x10000) continue;
        SIZE_T n = 0;
        if (ReadProcessMemory(process, reinterpret_cast<void*>(ptr), probe.data(), probe.size() * sizeof(wchar_t), &n) &&
            n == probe.size() * sizeof(wchar_t) && std::wmemcmp(probe.data(), text.c_str(), probe.size()) == 0)
            return true;
    }
    return false;
}

bool underWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

bool mpegPlaysBroken() { return wineMajor() >= 10; }

void noteMpegLeftOut(std::string_view what) {
    note(format("Wine %d's MPEG device stops for good after a play from 1 ms and may hang a close "
                "(tests/e2e/probe.h): %.*s",
                wineMajor(), static_cast<int>(what.size()), what.data()));
}

int wineMajor() {
    using Version = const char*(CDECL*)();
    auto version = reinterpret_cast<Version>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version ? atoi(version()) : 0;
}

// --- message boxes and the folder browser ----------------------------------------

std::optional<Box> findBox(DWORD pid) {
    for (HWND h : topWindows(pid, "#32770")) {
        if (!IsWindowVisible(h)) continue;
        HWND textStatic = GetDlgItem(h, 0xFFFF);
        if (!textStatic) continue;
        Box b;
        b.hwnd = h;
        b.title = text(h);
        b.text = text(textStatic);
        b.owner = GetWindow(h, GW_OWNER);
        for (HWND c : childWindows(h)) {
            if (className(c) != "Static" || (style(c) & SS_TYPEMASK) != SS_ICON || !IsWindowVisible(c)) continue;
            if (sendA(c, STM_GETICON).value_or(0) != 0) b.icon = c;
        }
        return b;
    }
    return std::nullopt;
}

std::optional<Box> waitBox(DWORD pid, DWORD timeoutMs) {
    // A box turns visible while it is still being built; on a busy machine its
    // texts may not answer yet: wait for a box that does.
    std::optional<Box> box;
    waitUntil([&] {
        box = findBox(pid);
        return box && box->title != "<no answer>" && box->text != "<no answer>";
    }, timeoutMs);
    if (!box) box = findBox(pid);
    return box;
}

bool pressDialogButton(HWND dialog, int id, DWORD timeoutMs) {
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return waitUntil([dialog] { return !IsWindow(dialog); }, timeoutMs);
}

static HWND treeOf(HWND dialog) {
    for (HWND c : childWindows(dialog))
        if (className(c) == "SysTreeView32") return c;
    return nullptr;
}

HWND findBrowser(DWORD pid) {
    for (HWND h : topWindows(pid, "#32770"))
        if (IsWindowVisible(h) && treeOf(h)) return h;
    return nullptr;
}

HWND waitBrowser(DWORD pid, DWORD timeoutMs) {
    HWND h = nullptr;
    waitUntil([&] { return (h = findBrowser(pid)) != nullptr; }, timeoutMs);
    return h;
}

std::vector<std::string> staticTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND c : childWindows(dialog))
        if (className(c) == "Static") texts.push_back(text(c));
    return texts;
}

namespace {
std::wstring treeLabel(HANDLE process, HWND tree, LRESULT item) {
    RemoteMemory mem(process, kTextOffset + (kTextChars + 1) * sizeof(wchar_t));
    if (!mem.valid()) return L"";
    mem.zero();
    TVITEMW it{};
    it.mask = TVIF_TEXT;
    it.hItem = reinterpret_cast<HTREEITEM>(item);
    it.pszText = reinterpret_cast<LPWSTR>(mem.at(kTextOffset));
    it.cchTextMax = kTextChars;
    mem.write(0, &it, sizeof it);
    if (!sendW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.at(0))).value_or(0)) return L"";
    return readRemoteText(mem, kTextOffset, kTextChars);
}

std::vector<LRESULT> treeChildren(HWND tree, LRESULT item, bool expand) {
    if (expand) sendW(tree, TVM_EXPAND, TVE_EXPAND, item, 10000);
    std::vector<LRESULT> out;
    for (LRESULT c = sendW(tree, TVM_GETNEXTITEM, TVGN_CHILD, item).value_or(0); c;
         c = sendW(tree, TVM_GETNEXTITEM, TVGN_NEXT, c).value_or(0))
        out.push_back(c);
    return out;
}

// The drive's item: the shell labels it "<volume label> (C:)", below the desktop and the computer.
LRESULT findDriveItem(HANDLE process, HWND tree, LRESULT item, const std::wstring& tag, int depth) {
    for (LRESULT c : treeChildren(tree, item, item != 0)) {
        std::wstring label = treeLabel(process, tree, c);
        if (label.size() >= tag.size() && label.compare(label.size() - tag.size(), tag.size(), tag) == 0) return c;
    }
    if (depth == 0) return 0;
    for (LRESULT c : treeChildren(tree, item, false))
        if (LRESULT found = findDriveItem(process, tree, c, tag, depth - 1)) return found;
    return 0;
}
}  // namespace

bool browserSelect(HANDLE process, HWND browser, const std::wstring& path) {
    HWND tree = treeOf(browser);
    if (!tree || path.size() < 3 || path[1] != L':') return false;
    // Walk the tree the way a user clicks through it: the drive, then each folder.
    LRESULT root = sendW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0).value_or(0);
    LRESULT item = findDriveItem(process, tree, root, std::wstring(L"(") + path.substr(0, 2) + L")", 1);
    if (!item) return false;
    size_t pos = 3;
    while (pos < path.size()) {
        size_t next = path.find(L'\\', pos);
        std::wstring part = path.substr(pos, next == std::wstring::npos ? std::wstring::npos : next - pos);
        pos = next == std::wstring::npos ? path.size() : next + 1;
        if (part.empty()) continue;
        LRESULT found = 0;
        for (LRESULT c : treeChildren(tree, item, true))
            if (_wcsicmp(treeLabel(process, tree, c).c_str(), part.c_str()) == 0) found = c;
        if (!found) return false;
        item = found;
    }
    sendW(tree, TVM_ENSUREVISIBLE, 0, item);
    sendW(tree, TVM_SELECTITEM, TVGN_CARET, item);
    Sleep(100);
    return sendW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0).value_or(0) == item;
}

std::string browserSelectedLabel(HANDLE process, HWND browser) {
    HWND tree = treeOf(browser);
    if (!tree) return "<no tree>";
    auto item = sendW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!item || !*item) return "<no selection>";
    RemoteMemory mem(process, kTextOffset + (kTextChars + 1) * sizeof(wchar_t));
    if (!mem.valid()) return "<no memory>";
    mem.zero();
    TVITEMW it{};
    it.mask = TVIF_TEXT;
    it.hItem = reinterpret_cast<HTREEITEM>(*item);
    it.pszText = reinterpret_cast<LPWSTR>(mem.at(kTextOffset));
    it.cchTextMax = kTextChars;
    mem.write(0, &it, sizeof it);
    if (!sendW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.at(0))).value_or(0)) return "<TVM_GETITEMW failed>";
    return narrow(readRemoteText(mem, kTextOffset, kTextChars));
}

// --- input ------------------------------------------------------------------------

bool mouseTo(int x, int y) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((x * 65536LL + w / 2) / w);
    in.mi.dy = static_cast<LONG>((y * 65536LL + h / 2) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    // The input reaches the server a moment later on a busy machine.
    return waitUntil([&] {
        POINT p{};
        GetCursorPos(&p);
        if (p.x == x && p.y == y) return true;
        SetCursorPos(x, y);
        return false;
    }, 2000, 20);
}

void mouseButton(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
}

bool clickIn(HWND control) {
    const RECT r = screenRect(control);
    if (!mouseTo(r.left + 40, (r.top + r.bottom) / 2)) return false;
    mouseButton(true);
    mouseButton(false);
    return true;
}

void typeText(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (wchar_t unit : text)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = unit;
            in.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(in);
        }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void pressKey(WORD key, std::initializer_list<WORD> held) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD h : held) add(h, false);
    add(key, false);
    add(key, true);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it) add(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND focusOf(HWND window) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui)) return nullptr;
    return gui.hwndFocus;
}

void dragMouse(POINT from, POINT to, int steps) {
    mouseTo(from.x, from.y);
    Sleep(100);
    mouseButton(true);
    Sleep(200);
    for (int i = 1; i <= steps; ++i) {
        mouseTo(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        Sleep(40);
    }
    Sleep(100);
    mouseButton(false);
    Sleep(200);
}

// --- the pointer on the screen ------------------------------------------------------

std::string screenPointer() {
    std::string helper = fixtureFile("x_cursor");
    if (helper.empty() || !exists(helper)) return {};
    // Wine starts a Linux program given by its Windows path; its arguments reach
    // it untranslated, so the output file is named by its Linux path.
    std::string dir = helper.substr(0, helper.size() - std::string("x_cursor").size());
    std::string outWin = dir + format("x_cursor-%lu.txt", GetCurrentProcessId());
    if (dir.size() < 2 || (dir[0] != 'Z' && dir[0] != 'z') || dir[1] != ':') return {};
    std::string outUnix = outWin.substr(2);
    std::replace(outUnix.begin(), outUnix.end(), '\\', '/');
    DeleteFileA(outWin.c_str());
    std::string commandLine = "\"" + helper + "\" \"" + outUnix + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return {};
    CloseHandle(pi.hThread);
    // The Linux process is not a Windows one to wait for: wait for its file.
    CloseHandle(pi.hProcess);
    std::string line;
    waitUntil(
        [&] {
            auto bytes = readFile(outWin);
            if (!bytes || bytes->empty() || bytes->back() != '\n') return false;
            line = bytes->substr(0, bytes->size() - 1);
            return true;
        },
        3000, 5);
    DeleteFileA(outWin.c_str());
    return line;
}

namespace {
int pointerSetCount = 0;  // the driver's thread only
LRESULT CALLBACK plainWindowProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    LRESULT r = DefWindowProcA(h, m, wp, lp);
    if (m == WM_SETCURSOR) ++pointerSetCount;
    return r;
}
}  // namespace

std::string systemPointer(LPCSTR cursorId, POINT at) {
    static int serial = 0;
    std::string cls = format("VireoDriverPointer%d", ++serial);
    WNDCLASSA wc{};
    wc.lpfnWndProc = plainWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, cursorId);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = cls.c_str();
    if (!RegisterClassA(&wc)) return {};
    HWND h = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls.c_str(), "", WS_POPUP,
                             at.x - 30, at.y - 30, 60, 60, nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return {};
    ShowWindow(h, SW_SHOWNOACTIVATE);
    UpdateWindow(h);
    // This thread owns the window: it must pump for the pointer to be set. The
    // screen may show an earlier pointer for a moment after that, so the
    // reference is a reading, once the window has set its pointer, that differs
    // from the bare screen's and holds for 300 ms.
    auto pump = [] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    };
    mouseTo(at.x + 40, at.y + 40);
    pump();
    std::string bare = screenPointer(), seen, last;
    int nudge = 0;
    pointerSetCount = 0;
    DWORD since = GetTickCount();
    bool stable = false;
    waitUntil(
        [&] {
            mouseTo(at.x + (nudge++ % 2), at.y);
            pump();
            bool set = pointerSetCount > 0;
            seen = screenPointer();
            if (!set || seen != last) since = GetTickCount();
            last = seen;
            stable = !seen.empty() && seen != bare && GetTickCount() - since >= 300;
            return stable;
        },
        5000, 10);
    DestroyWindow(h);
    pump();
    UnregisterClassA(cls.c_str(), wc.hInstance);
    return stable ? seen : std::string();
}

// --- screenshots -----------------------------------------------------------------

ColourCurtain::ColourCurtain(const RECT& screen, COLORREF colour, bool inFront)
    : rect_(screen), colour_(colour), inFront_(inFront) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    WaitForSingleObject(ready_, 5000);
    Sleep(200);  // painted
}

ColourCurtain::~ColourCurtain() {
    if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    if (thread_) {
        if (WaitForSingleObject(thread_, 5000) != WAIT_OBJECT_0) TerminateThread(thread_, 1);
        CloseHandle(thread_);
    }
    CloseHandle(ready_);
}

DWORD WINAPI ColourCurtain::run(void* param) {
    auto* self = static_cast<ColourCurtain*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(self->colour_);
    std::string cls = format("VireoE2ECurtain%06lX", static_cast<unsigned long>(self->colour_));
    wc.lpszClassName = cls.c_str();
    RegisterClassA(&wc);
    const RECT& r = self->rect_;
    const DWORD ex = self->inFront_ ? 0 : WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    HWND h = CreateWindowExA(ex, cls.c_str(), "", WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             nullptr, nullptr, wc.hInstance, nullptr);
    if (h) {
        ShowWindow(h, self->inFront_ ? SW_SHOW : SW_SHOWNOACTIVATE);
        if (self->inFront_) SetForegroundWindow(h);
        UpdateWindow(h);
    }
    self->hwnd_ = h;
    SetEvent(self->ready_);
    MSG msg;
    while (h && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    UnregisterClassA(cls.c_str(), wc.hInstance);
    DeleteObject(wc.hbrBackground);
    return 0;
}

COLORREF Shot::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const uint8_t* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
    return RGB(p[2], p[1], p[0]);
}

bool Shot::save(const std::string& path) const {
    int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + rowBytes * height;
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;  // bottom-up
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string row(rowBytes, '\0');
    for (int y = height - 1; y >= 0; --y) {
        std::memcpy(row.data(), &bgr[static_cast<size_t>(y) * width * 3], static_cast<size_t>(width) * 3);
        out += row;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == out.size();
}

std::optional<Shot> captureScreen(const RECT* area) {
    RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT& r = area ? *area : all;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return std::nullopt;
    HDC screen = GetDC(nullptr);
    if (!screen) return std::nullopt;
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::optional<Shot> shot;
    if (dib && bits) {
        HGDIOBJ old = SelectObject(mem, dib);
        if (BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            Shot s;
            s.width = w;
            s.height = h;
            s.bgr.resize(static_cast<size_t>(w) * h * 3);
            const uint8_t* src = static_cast<const uint8_t*>(bits);
            for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
                s.bgr[i * 3 + 0] = src[i * 4 + 0];
                s.bgr[i * 3 + 1] = src[i * 4 + 1];
                s.bgr[i * 3 + 2] = src[i * 4 + 2];
            }
            shot = std::move(s);
        }
        SelectObject(mem, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return shot;
}

std::string shotPath(const std::string& name) {
    char full[MAX_PATH];
    std::string dir = driverDir() + "..\\..\\e2e\\shots";
    GetFullPathNameA(dir.c_str(), MAX_PATH, full, nullptr);
    CreateDirectoryA(full, nullptr);
    return std::string(full) + "\\" + name + ".bmp";
}

std::string describeColour(COLORREF c) {
    if (c == CLR_INVALID) return "(outside)";
    return format("(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
}

IconColour iconColour(const Shot& shot, const RECT& r) {
    int red = 0, blue = 0, yellow = 0, total = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = shot.pixel(x, y);
            if (c == CLR_INVALID) continue;
            int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
            ++total;
            if (R > 150 && G < 100 && B < 100) ++red;
            else if (B > 150 && R < 120 && B > G + 20) ++blue;
            else if (R > 180 && G > 150 && B < 100) ++yellow;
        }
    int best = std::max({red, blue, yellow});
    if (total == 0) return IconColour::None;
    if (best < 20) return IconColour::Other;
    if (best == red) return IconColour::Red;
    if (best == blue) return IconColour::Blue;
    return IconColour::Yellow;
}

const char* iconColourName(IconColour c) {
    switch (c) {
        case IconColour::None: return "none";
        case IconColour::Red: return "red";
        case IconColour::Blue: return "blue";
        case IconColour::Yellow: return "yellow";
        default: return "other";
    }
}

IconColour waitIconColour(HWND iconStatic, IconColour want, const std::string& shotName, DWORD timeoutMs) {
    IconColour seen = IconColour::None;
    std::optional<Shot> last;
    waitUntil(
        [&] {
            last = captureScreen();
            if (!last) return false;
            seen = iconColour(*last, screenRect(iconStatic));
            return seen == want;
        },
        timeoutMs, 100);
    if (last) last->save(shotPath(shotName));
    return seen;
}

}  // namespace vireo::e2e
