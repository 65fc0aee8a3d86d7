#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>

#include <algorithm>
#include <vector>

#include "core/modal_win32.h"
#include "core/names.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"
#include "ui/button_face.h"
#include "ui/image_store_win32.h"
#include "ui/layout.h"
#include "ui/picture.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

constexpr UINT_PTR kFaceSubclass = 1;

struct Face {
    PlatformImages* images;
    int picture;
    HBITMAP premultiplied;  // for pictures with alpha, else null
    HBITMAP symbol;         // dark pixels of a 24-bit picture, for the disabled look
};

// The platform embosses what is not white in a disabled bitmap: on a picture
// whose metal ground is not pure white that is the whole rectangle. Hand it
// only the dark symbol, so the disabled button shows the symbol embossed.
HBITMAP SymbolMask(PlatformImages& images, int picture) {
    if (images.depth(picture) != 24 || !images.bits(picture)) return nullptr;
    int w = images.width(picture), h = images.height(picture);
    size_t srcStride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    size_t dstStride = ((static_cast<size_t>(w) + 15) / 16) * 2;
    std::vector<uint8_t> mono(dstStride * h, 0xFF);
    auto* src = static_cast<const uint8_t*>(images.bits(picture));
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = src + srcStride * (h - 1 - y);  // bottom-up source, top-down mask
        for (int x = 0; x < w; ++x) {
            int luma = (row[3 * x] * 29 + row[3 * x + 1] * 150 + row[3 * x + 2] * 77) >> 8;
            if (luma < 100) mono[dstStride * y + x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
        }
    }
    return CreateBitmap(w, h, 1, 1, mono.data());
}

HBITMAP PremultipliedCopy(PlatformImages& images, int picture) {
    if (images.depth(picture) != 32 || !images.bits(picture)) return nullptr;
    int w = images.width(picture), h = images.height(picture);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy) return nullptr;
    size_t count = static_cast<size_t>(w) * h;
    CopyMemory(bits, images.bits(picture), count * 4);
    PremultiplyForButton(static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits), count);
    return copy;
}

bool ShowsFocus(HWND h) { return GetFocus() == h && !(SendMessageA(h, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS); }

// The dotted focus rectangle, every other pixel of its outline in the inverse
// of the face colour, as the platform draws it. Set, not inverted: the face is
// drawn again on many messages, and an inverted rectangle drawn twice vanishes.
void DrawFocusDots(HDC dc, const RECT& r) {
    const COLORREF dot = GetSysColor(COLOR_BTNFACE) ^ 0x00FFFFFF;
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y) {
            const bool edge = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
            if (edge && (x + y) % 2 == 0) SetPixelV(dc, x, y, dot);
        }
}

// Every image button's face, for a change of scale.
std::vector<Face*> g_faces;

void RefreshFace(Face& f) {
    if (f.premultiplied) DeleteObject(f.premultiplied);
    if (f.symbol) DeleteObject(f.symbol);
    f.premultiplied = PremultipliedCopy(*f.images, f.picture);
    f.symbol = SymbolMask(*f.images, f.picture);
}

void DrawFace(HWND h, const Face& f) {
    PlatformImages& img = *f.images;
    int pw = img.width(f.picture), ph = img.height(f.picture);
    RECT rc;
    GetClientRect(h, &rc);
    HDC dc = GetDC(h);
    if (!dc) return;
    if (pw > 0 && ph > 0) {
        IntersectClipRect(dc, rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2);
        bool pushed = (SendMessageA(h, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        FacePoint at = ImageFacePosition(rc.right - rc.left, rc.bottom - rc.top, pw, ph, pushed);
        UINT disabled = IsWindowEnabled(h) ? DSS_NORMAL : DSS_DISABLED;
        if (f.premultiplied) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, f.premultiplied);
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            // gdi32's own, which msimg32's AlphaBlend only forwards to.
            GdiAlphaBlend(dc, at.x, at.y, pw, ph, mem, 0, 0, pw, ph, blend);
            SelectObject(mem, old);
            DeleteDC(mem);
        } else if (HICON icon = img.icon(f.picture)) {
            DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, at.x, at.y, pw, ph,
                       DST_ICON | disabled);
        } else if (HBITMAP bmp = img.bitmap(f.picture)) {
            if (disabled == DSS_DISABLED && f.symbol) {
                // Only the symbol is drawn: first the bare face, over the blank
                // image the platform has embossed.
                FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
                bmp = f.symbol;
            }
            DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(bmp), 0, at.x, at.y, pw, ph,
                       DST_BITMAP | disabled);
        }
        SelectClipRgn(dc, nullptr);
    }
    if (ShowsFocus(h)) {
        RECT focus = rc;
        const int inset = ScaledLength(3, StripDpi());
        InflateRect(&focus, -inset, -inset);
        DrawFocusDots(dc, focus);
    }
    ReleaseDC(h, dc);
}

LRESULT CALLBACK ImageButtonProc(HWND h, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* face = reinterpret_cast<Face*>(ref);
    LRESULT result = sys::DefSubclassProc(h, m, wp, lp);
    switch (m) {
    case WM_NCDESTROY:
        sys::RemoveWindowSubclass(h, ImageButtonProc, kFaceSubclass);
        if (face->premultiplied) DeleteObject(face->premultiplied);
        if (face->symbol) DeleteObject(face->symbol);
        g_faces.erase(std::remove(g_faces.begin(), g_faces.end(), face), g_faces.end());
        delete face;
        break;
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        // The focus dots are set, not inverted: only a whole new face takes them away.
        InvalidateRect(h, nullptr, FALSE);
        DrawFace(h, *face);
        break;
    case WM_MOUSEMOVE:
        if (GetCapture() != h) break;
        [[fallthrough]];
    // Whenever the platform has drawn the face, the picture goes back on top.
    case WM_PAINT:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case WM_SETFOCUS:
    case WM_ENABLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_KEYDOWN:
    case WM_KEYUP:
        DrawFace(h, *face);
        break;
    }
    return result;
}

// The check boxes have no room for the text a focus rectangle would go
// around: the dots go around the box instead.
LRESULT CALLBACK CheckBoxProc(HWND h, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    LRESULT result = sys::DefSubclassProc(h, m, wp, lp);
    switch (m) {
    case WM_NCDESTROY:
        sys::RemoveWindowSubclass(h, CheckBoxProc, kFaceSubclass);
        break;
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        InvalidateRect(h, nullptr, FALSE);
        break;
    case WM_PAINT:
    case WM_SETFOCUS:
    case WM_ENABLE:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_LBUTTONUP:
    case WM_KEYUP:
        if (ShowsFocus(h)) {
            RECT rc;
            GetClientRect(h, &rc);
            if (HDC dc = GetDC(h)) {
                DrawFocusDots(dc, rc);
                ReleaseDC(h, dc);
            }
        }
        break;
    }
    return result;
}

// Made on first use, freed by ReleaseControlResources once the windows are gone.
HBITMAP g_blankImage = nullptr;
HFONT g_narrowFont = nullptr;

// A BS_BITMAP button without an image draws its text; with one pixel of its
// face colour it draws nothing the picture does not cover.
HBITMAP BlankImage() {
    if (!g_blankImage) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        g_blankImage = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (g_blankImage) {
            const COLORREF face = GetSysColor(COLOR_BTNFACE);
            *static_cast<DWORD*>(bits) = RGB(GetBValue(face), GetGValue(face), GetRValue(face));
        }
    }
    return g_blankImage;
}

bool IsTimeDisplay(ControlId id) {
    return id == ElapsedDisplay || id == DurationDisplay || id == CountDisplay || id == SecondsDisplay;
}

// Titles of 100 minutes and more ("100:00" to "999:59") are wider than a
// display: such a text is drawn in the same font, condensed until it fits.
void FitDisplayText(HWND h, const std::u16string& text) {
    const HFONT normal = StripGuiFont();
    HDC dc = GetDC(h);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, normal);
    SIZE size{};
    GetTextExtentPoint32W(dc, Wide(text), static_cast<int>(text.size()), &size);
    RECT rc;
    GetClientRect(h, &rc);
    HFONT want = normal;
    if (size.cx > rc.right) {
        if (!g_narrowFont) {
            // As narrow as the widest time, "999:59", needs: digits are wider
            // than the average character the width is given in, so measure.
            const std::u16string widest = u"999:59";
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            LOGFONTW lf{};
            GetObjectW(normal, sizeof lf, &lf);
            for (lf.lfWidth = tm.tmAveCharWidth - 1; lf.lfWidth > 0 && !g_narrowFont; --lf.lfWidth) {
                HFONT f = CreateFontIndirectW(&lf);
                SelectObject(dc, f);
                SIZE w{};
                GetTextExtentPoint32W(dc, Wide(widest), static_cast<int>(widest.size()), &w);
                SelectObject(dc, normal);
                if (w.cx < rc.right || lf.lfWidth == 1)
                    g_narrowFont = f;
                else
                    DeleteObject(f);
            }
        }
        if (g_narrowFont) want = g_narrowFont;
    }
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    if (reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)) != want)
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(want), FALSE);
}

struct Made {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
};

Made KindOf(ControlKind k) {
    switch (k) {
    // The window text names the button for a screen reader; the blank image
    // keeps the platform from drawing it.
    case ControlKind::ImageButton: return {L"Button", WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP, 0};
    case ControlKind::TextLabel: return {L"Static", SS_LEFT, WS_EX_CLIENTEDGE};
    case ControlKind::EditField: return {L"Edit", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox: return {L"ComboBox", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    // The same for a check box: at a scale where its box leaves room, the
    // platform would draw its name beside it.
    case ControlKind::CheckBox: return {L"Button", WS_TABSTOP | BS_AUTOCHECKBOX | BS_BITMAP, 0};
    case ControlKind::ProgressBar: return {L"msctls_progress32", PBS_SMOOTH, 0};
    }
    return {L"Static", 0, 0};
}

int OuterHeight(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r.bottom - r.top;
}

// Where a control goes at the strip's scale; a combo box's height reaches down
// to the bottom of its list.
Rect Place(const ControlSpec& c) {
    Rect r = ScaledRect(c, StripDpi());
    if (c.kind == ControlKind::ComboBox) r.height = ScaledLength(350, StripDpi());
    return r;
}

// The font of a control that shows text, and the closed height of the list.
void Dress(HWND h, const ControlSpec& c) {
    const auto font = reinterpret_cast<WPARAM>(StripGuiFont());
    switch (c.kind) {
    case ControlKind::TextLabel:
    case ControlKind::EditField:
        SendMessageW(h, WM_SETFONT, font, FALSE);
        break;
    case ControlKind::ComboBox:
        SendMessageW(h, WM_SETFONT, font, FALSE);
        // The closed height is reached in two steps: measure what the frame adds.
        SendMessageA(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 15);
        SendMessageA(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     ComboFieldHeight(OuterHeight(h), ScaledRect(c, StripDpi()).height));
        break;
    default:
        break;
    }
}

}  // namespace

void PlaceControls(HWND main) {
    // A narrow font made for another scale would fit nothing.
    if (g_narrowFont) DeleteObject(g_narrowFont);
    g_narrowFont = nullptr;
    for (const ControlSpec& c : ControlTable()) {
        HWND h = GetDlgItem(main, c.id);
        if (!h) continue;
        const Rect r = Place(c);
        SetWindowPos(h, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        Dress(h, c);
        if (IsTimeDisplay(c.id)) {
            std::u16string text(static_cast<size_t>(GetWindowTextLengthW(h)), u'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(h, Wide(text), static_cast<int>(text.size() + 1))));
            FitDisplayText(h, text);
        }
    }
    for (Face* f : g_faces) RefreshFace(*f);
}

void CreateControls(HWND main, PlatformImages& images, int64_t barUpper) {
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(main, GWLP_HINSTANCE));
    for (const ControlSpec& c : ControlTable()) {
        Made made = KindOf(c.kind);
        const Rect at = Place(c);
        const DWORD style = WS_CHILD | WS_VISIBLE | made.style;
        const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id));
        // A button's or a check box's name is its window text; the 15-pixel check
        // boxes have no room to show it. Wide, like every text the strip hands the
        // system: the path field and the list show names as the disk spells them.
        const bool named = c.kind == ControlKind::ImageButton || c.kind == ControlKind::CheckBox;
        const std::u16string text = WidenCp1252(named ? c.spoken : c.text);
        HWND h = CreateWindowExW(made.exStyle, made.cls, Wide(text), style, at.x, at.y, at.width, at.height, main,
                                 menu, inst, nullptr);
        if (!h) continue;
        Dress(h, c);
        switch (c.kind) {
        case ControlKind::ImageButton: {
            Face* face = new Face{&images, c.picture, nullptr, nullptr};
            RefreshFace(*face);
            g_faces.push_back(face);
            sys::SetWindowSubclass(h, ImageButtonProc, kFaceSubclass, reinterpret_cast<DWORD_PTR>(face));
            SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(BlankImage()));
            InvalidateRect(h, nullptr, TRUE);
            break;
        }
        case ControlKind::TextLabel:
        case ControlKind::EditField:
        case ControlKind::ComboBox:
            break;
        case ControlKind::ProgressBar:
            SendMessageA(h, PBM_SETRANGE32, 0, static_cast<LPARAM>(barUpper));
            SendMessageA(h, PBM_SETBKCOLOR, 0, RGB(c.background->r, c.background->g, c.background->b));
            break;
        case ControlKind::CheckBox:
            sys::SetWindowSubclass(h, CheckBoxProc, kFaceSubclass, 0);
            SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(BlankImage()));
            break;
        }
        if (c.tip == TipKind::Balloon) AddBalloonTip(nullptr, h, c.tipTitle, c.tipText);
        if (c.tip == TipKind::Plain) SetPlainTip(h, c.tipText);
    }
}

namespace {

// The accessibility layer's annotation service, the name and description
// properties, and UI Automation's help text, which is what its clients
// (Narrator) read where MSAA ones read the description; kept here so that
// the build needs no import library for them.
const GUID kClsidAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const GUID kIidAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kPropIdAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
const GUID kPropIdAccDescription = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
const GUID kPropIdHelpText = {0x08555685, 0x0977, 0x45c7, {0xa7, 0xa6, 0xab, 0xaf, 0x56, 0x84, 0x12, 0x1a}};

// Held from the annotations until they are cleared.
IAccPropServices* g_services = nullptr;

bool Annotated(const ControlSpec& c) {
    return *c.spoken && c.kind != ControlKind::ImageButton && c.kind != ControlKind::CheckBox;
}

}  // namespace

void NameForScreenReaders(HWND main) {
    if (g_services || CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                                       reinterpret_cast<void**>(&g_services)) != S_OK ||
        !g_services)
        return;
    for (const ControlSpec& c : ControlTable()) {
        if (!Annotated(c)) continue;
        const std::u16string spoken = WidenCp1252(c.spoken);
        // A static's name is its text: a time display keeps "1:23" as what is
        // read, and says what it is in its description.
        HWND control = GetDlgItem(main, c.id);
        if (c.kind != ControlKind::TextLabel) {
            g_services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kPropIdAccName,
                                       Wide(spoken));
            continue;
        }
        for (const GUID* property : {&kPropIdAccDescription, &kPropIdHelpText})
            g_services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, *property,
                                       Wide(spoken));
    }
}

void ForgetScreenReaderNames(HWND main) {
    if (!g_services) return;
    const MSAAPROPID properties[] = {kPropIdAccName, kPropIdAccDescription, kPropIdHelpText};
    for (const ControlSpec& c : ControlTable())
        if (Annotated(c))
            g_services->ClearHwndProps(GetDlgItem(main, c.id), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       properties, 3);
    g_services->Release();
    g_services = nullptr;
}

void ReleaseControlResources() {
    if (g_blankImage) DeleteObject(g_blankImage);
    if (g_narrowFont) DeleteObject(g_narrowFont);
    g_blankImage = nullptr;
    g_narrowFont = nullptr;
}

void SetInitialStates(HWND main) {
    Win32Controls controls(main);
    for (ControlId id : {PlayButton, PauseButton, ResumeButton, StopButton}) controls.setEnabled(id, false);
    controls.setState(PlayAllCheck, 1);
    controls.setText(DurationDisplay, kNoTrackDuration);
}

Win32Controls::Win32Controls(HWND main) {
    // Looking a control up by number asks the window server each time.
    for (int id = kFirstControl; id <= kLastControl; ++id) items_[id] = GetDlgItem(main, id);
}

HWND Win32Controls::item(ControlId id) const {
    return id >= kFirstControl && id <= kLastControl ? items_[id] : nullptr;
}

bool Win32Controls::remembersText(ControlId id) const {
    const ControlSpec* c = FindControl(id);
    return c && c->kind == ControlKind::TextLabel && item(id);
}

void Win32Controls::setEnabled(ControlId id, bool enabled) {
    HWND h = item(id);
    // Disabled, the focused control would leave the keyboard on nothing.
    if (!enabled && h && GetFocus() == h)
        if (HWND next = NextTabStop(h)) SetFocus(next);
    EnableWindow(h, enabled ? TRUE : FALSE);
}

bool Win32Controls::isEnabled(ControlId id) { return IsWindowEnabled(item(id)) != FALSE; }

void Win32Controls::setText(ControlId id, std::string_view text) {
    const bool remember = remembersText(id);
    if (remember && texts_[id].known && texts_[id].text == text) return;
    const std::u16string wide = WidenCp1252(text);
    if (IsTimeDisplay(id) && item(id)) FitDisplayText(item(id), wide);
    const bool written = SetWindowTextW(item(id), Wide(wide)) != FALSE;
    if (remember) {
        texts_[id].known = written;
        if (written) texts_[id].text = text;
    }
}

std::string Win32Controls::text(ControlId id) {
    if (remembersText(id) && texts_[id].known) return texts_[id].text;
    // The strip only ever writes texts the code page spells.
    return ExactCp1252(name(id)).value_or(std::string());
}

void Win32Controls::setName(ControlId id, std::u16string_view name) {
    const std::u16string z(name);
    SetWindowTextW(item(id), Wide(z));
}

std::u16string Win32Controls::name(ControlId id) {
    HWND h = item(id);
    if (id == TitleCombo) {
        const LRESULT sel = SendMessageW(h, CB_GETCURSEL, 0, 0);
        if (sel == CB_ERR) return {};
        LRESULT n = SendMessageW(h, CB_GETLBTEXTLEN, sel, 0);
        if (n == CB_ERR) return {};
        std::u16string s(static_cast<size_t>(n), u'\0');
        n = SendMessageW(h, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(Wide(s)));
        s.resize(n == CB_ERR ? 0 : static_cast<size_t>(n));
        return s;
    }
    std::u16string s(static_cast<size_t>(GetWindowTextLengthW(h)), u'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, Wide(s), static_cast<int>(s.size() + 1))));
    return s;
}

void Win32Controls::setState(ControlId id, int64_t value) {
    HWND h = item(id);
    if (id == TitleCombo)
        SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
    else if (id == TrackProgressBar) {
        if (barKnown_ && barPosition_ == value) return;
        SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(value), 0);
        barKnown_ = true;
        barPosition_ = value;
    }
    else
        SendMessageA(h, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

int64_t Win32Controls::state(ControlId id) {
    HWND h = item(id);
    if (id == TitleCombo) return static_cast<int64_t>(static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0)));
    if (id == TrackProgressBar) return SendMessageA(h, PBM_GETPOS, 0, 0);
    return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Controls::clearItems(ControlId id) { SendMessageA(item(id), CB_RESETCONTENT, 0, 0); }

void Win32Controls::appendItem(ControlId id, std::u16string_view text) {
    const std::u16string z(text);
    SendMessageW(item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(z)));
}

void Win32Controls::setUpperBound(ControlId id, int64_t upper) {
    // A new range may move the position into it.
    if (id == TrackProgressBar) barKnown_ = false;
    SendMessageA(item(id), PBM_SETRANGE32, 0, static_cast<LPARAM>(upper));
}

}  // namespace vireo
