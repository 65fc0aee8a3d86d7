// Reading and driving another process's windows: controls, tooltips, message
// boxes, the folder browser, mouse input and screenshots.
#pragma once
#include <windows.h>

#include <cstdint>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo::e2e {

// --- windows and controls -------------------------------------------------------

// SendMessageTimeout with a bounded wait; nothing when the target did not answer.
std::optional<LRESULT> sendA(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0, UINT timeoutMs = 3000);
std::optional<LRESULT> sendW(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0, UINT timeoutMs = 3000);

std::vector<HWND> topWindows(DWORD pid, const char* className = nullptr);  // visible or not
std::vector<HWND> childWindows(HWND parent);                               // all descendants
std::string className(HWND h);
std::string text(HWND h);  // WM_GETTEXT, spelled in Windows-1252 whatever the code page
std::wstring textW(HWND h);  // WM_GETTEXT, as the control holds it
LONG style(HWND h);
LONG exStyle(HWND h);
RECT screenRect(HWND h);
RECT rectIn(HWND h, HWND parent);  // h's outer rectangle in parent's client coordinates
std::string describe(const RECT& r);  // "x,y wxh"

// TitleCombo: items (read with the W messages, as Windows-1252, or as they are) and selection.
std::vector<std::string> comboItems(HWND combo);
std::vector<std::wstring> comboItemsW(HWND combo);
int comboSelection(HWND combo);
int buttonCheck(HWND button);

// "E" or "D" for each control of `parent`, in the order given ("?" when missing).
std::string enabledStates(HWND parent, const std::vector<int>& ids);

// Clicks a button the way the notes say works across processes.
void click(HWND button);

// --- memory in the target process ------------------------------------------------

class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    bool valid() const { return address_ != nullptr; }
    char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool write(size_t offset, const void* data, size_t n);
    bool read(size_t offset, void* data, size_t n) const;
    bool zero();

private:
    HANDLE process_;
    void* address_ = nullptr;
    size_t size_;
};

// --- tooltips -------------------------------------------------------------------

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    std::string text;  // Windows-1252
};

struct TipWindow {
    HWND hwnd = nullptr;
    std::string cls;
    LONG style = 0;
    LONG exStyle = 0;
    HWND owner = nullptr;
    int toolCount = -1;
    std::vector<Tool> tools;
    std::string title;  // Windows-1252
    UINT titleIcon = 0;
    int maxTipWidth = 0;
    COLORREF textColour = 0;
    COLORREF backColour = 0;
};

std::vector<TipWindow> readTooltips(HANDLE process, DWORD pid);
// Wine's tooltip control does not answer TTM_GETTITLE; there the title is looked
// for in the control's own state: true when a string pointer of that state points
// at exactly `text`.
bool tipStateHoldsString(HANDLE process, HWND tip, const std::wstring& text);
bool underWine();
int wineMajor();  // 0 on Windows
// Wine 10's MPEG device (the MCI device of .mp3 titles) stops its sound for
// good after a play from any position but 0 ("play ... from 1", as the player
// starts every title), and a close of such a title may then wait for ever or
// crash in its decoder (measured: the close of a 1.2 s MP3 hung at the second
// to fourth title of a process; 0xc0000025): that Wine's fault, not the
// player's, whose close leaves no thread behind (13 while an MP3 plays, 5 after
// each close). The cases leave out the steps that play an .mp3 there.
bool mpegPlaysBroken();
// Says what a case leaves out for that reason.
void noteMpegLeftOut(std::string_view what);

// --- message boxes and the folder browser ----------------------------------------

struct Box {
    HWND hwnd = nullptr;
    std::string title;
    std::string text;
    HWND owner = nullptr;
    HWND icon = nullptr;  // the SS_ICON static when it is visible and holds an icon
};

// A standard message box (#32770 holding the text static 0xFFFF) of the process.
std::optional<Box> findBox(DWORD pid);
std::optional<Box> waitBox(DWORD pid, DWORD timeoutMs);
// Presses a dialog button and waits for the dialog to go away.
bool pressDialogButton(HWND dialog, int id, DWORD timeoutMs = 5000);

// The shell's folder browser (#32770 holding a tree view) of the process.
HWND findBrowser(DWORD pid);
HWND waitBrowser(DWORD pid, DWORD timeoutMs);
// The texts of a dialog's static controls, in child order.
std::vector<std::string> staticTexts(HWND dialog);
// Selects a folder in the browser by path (BFFM_SETSELECTIONW with the path in the target).
bool browserSelect(HANDLE process, HWND browser, const std::wstring& path);
// The path of the item selected in the browser's tree (label text of the selected item).
std::string browserSelectedLabel(HANDLE process, HWND browser);

// --- input ------------------------------------------------------------------------

bool mouseTo(int x, int y);  // absolute screen position; true when the pointer got there
void mouseButton(bool down);
// A real left click 40 pixels into `control`, halfway down; false when the
// pointer could not get there.
bool clickIn(HWND control);
// Press at `from`, move in steps to `to`, release.
void dragMouse(POINT from, POINT to, int steps = 10);
// A key pressed and released, with `held` keys (VK_SHIFT, VK_MENU...) around it.
void pressKey(WORD key, std::initializer_list<WORD> held = {});
// Each UTF-16 unit as a character typed on a keyboard of its script (VK_PACKET).
void typeText(std::wstring_view text);
// The window with the keyboard focus in the thread that owns `window`.
HWND focusOf(HWND window);

// --- the pointer on the screen ------------------------------------------------------

// The pointer the X server shows now, as "name WxH x,y pixel-hash" (name "-" when
// the pointer has none), read by the x_cursor helper that wine-env.sh builds.
// Empty when the helper is missing or failed: say so in the check.
std::string screenPointer();
// The pointer the platform shows for a system cursor (IDC_HAND, IDC_ARROW...),
// read the same way over a small window of the driver's own: the reference the
// player's pointers are compared with, whatever the cursor theme.
std::string systemPointer(LPCSTR cursorId, POINT at);

// --- screenshots -----------------------------------------------------------------

// A plain window of one colour, owned by the driver and never activated, so that
// what shows through the player's see-through parts is known; or, in front,
// another program the user is working in.
class ColourCurtain {
public:
    ColourCurtain(const RECT& screen, COLORREF colour, bool inFront = false);
    ~ColourCurtain();
    ColourCurtain(const ColourCurtain&) = delete;
    ColourCurtain& operator=(const ColourCurtain&) = delete;
    bool shown() const { return hwnd_ != nullptr; }
    HWND hwnd() const { return hwnd_; }

private:
    HANDLE thread_ = nullptr;
    HWND hwnd_ = nullptr;
    RECT rect_;
    COLORREF colour_;
    bool inFront_;
    HANDLE ready_ = nullptr;
    static DWORD WINAPI run(void* self);
};

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // top-down, 3 bytes a pixel
    COLORREF pixel(int x, int y) const;
    bool save(const std::string& path) const;  // 24-bit BMP
};

// The whole screen, or only `area` of it (in screen pixels).
std::optional<Shot> captureScreen(const RECT* area = nullptr);
std::string shotPath(const std::string& name);  // build/e2e/shots/<name>.bmp
std::string describeColour(COLORREF c);

// Which of the platform's icon colours dominates a rectangle of the screen.
enum class IconColour { None, Red, Blue, Yellow, Other };
IconColour iconColour(const Shot& shot, const RECT& screen);
const char* iconColourName(IconColour c);
// Captures the screen until the icon static shows `want` (a freshly shown box may
// not be painted yet); returns what was seen last and saves that screen to `shotName`.
IconColour waitIconColour(HWND iconStatic, IconColour want, const std::string& shotName, DWORD timeoutMs = 3000);

}  // namespace vireo::e2e
