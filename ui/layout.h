// The strip's controls as data: creation order, kind, geometry, picture, colours, tip.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/controls.h"

namespace vireo {

constexpr int kStripWidth = 795;
constexpr int kStripHeight = 70;

enum class ControlKind { ImageButton, TextLabel, EditField, ComboBox, CheckBox, ProgressBar };

struct Rgb {
    uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class TipKind { None, Balloon, Plain };

struct ControlSpec {
    ControlId id;
    const char* name;
    ControlKind kind;
    int x, y, width, height;
    int picture;                 // picture number, -1 for none
    const char* text;            // initial text, "" for none
    std::optional<Rgb> textColour, background;
    TipKind tip;
    const char* tipTitle;        // balloon tips only
    const char* tipText;
    // What a screen reader calls it: a button's window text (never drawn), the
    // name given to the field and the list, or a time display's description
    // (its name is the time it shows); "" for none.
    const char* spoken = "";
};

// In creation order.
std::span<const ControlSpec> ControlTable();
const ControlSpec* FindControl(int id);

// The controls that show the hand pointer, in attachment order.
std::span<const ControlId> HandCursorControls();

struct Caption {
    const char* text;
    int x, y;
};
// Painted on the backdrop, in painting order.
std::span<const Caption> BackdropCaptions();
constexpr Rgb kCaptionColour{57, 112, 177};
constexpr Rgb kKeyColour{255, 0, 255};

struct Point {
    int x, y;
};
// Centring rule: size limited to the screen, then halved offsets truncated toward zero.
Point CentredOrigin(int screenWidth, int screenHeight, int width, int height);

// ---- display scales ----
// The table is in 96-dpi pixels; at another scale only the adapter scales it,
// through these.

struct Rect {
    int x, y, width, height;
    bool operator==(const Rect&) const = default;
};
// A control's place at `dpi`: its edges scaled (halves rounded up), so that
// neighbours that touch at 96 dpi still touch and nothing leaves the strip.
Rect ScaledRect(const ControlSpec& c, unsigned dpi);
// The strip's size and a caption's place at `dpi`.
int StripWidth(unsigned dpi);
int StripHeight(unsigned dpi);
Point ScaledCaption(const Caption& c, unsigned dpi);
// The caption font's height, 7 points at `dpi` (negative: the glyphs' height).
int CaptionFontHeight(unsigned dpi);

// The combo box's second selection-field height, given the closed outer height
// measured with a selection field of 15.
inline int ComboFieldHeight(int closedHeightAt15, int wanted = 19) { return wanted - (closedHeightAt15 - 15); }

}  // namespace vireo
