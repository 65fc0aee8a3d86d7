#include "ui/layout.h"

#include <algorithm>

#include "ui/picture.h"

namespace vireo {

namespace {

constexpr Rgb kFieldText{205, 224, 245}, kFieldBack{41, 119, 202};
constexpr Rgb kDisplayText{127, 238, 128}, kDisplayBack{0, 0, 0};
constexpr Rgb kBarBack{205, 211, 211};
using K = ControlKind;
using T = TipKind;

const ControlSpec kControls[] = {
    {UserFolderButton, "UserFolderButton", K::ImageButton, 0, 0, 36, 28, 6, "", {}, {}, T::Balloon,
     "Préférences Utilisateur",
     "Présélectionnez un répertoire qui sera chargé automatiquement à chaque démarrage.", "Préférences Utilisateur"},
    {SelectFolderButton, "SelectFolderButton", K::ImageButton, 36, 0, 37, 28, 1, "", {}, {}, T::Balloon,
     "Sélection Répertoire",
     "Naviguez sur votre système pour y trouver un répertoire contenant des fichiers musicaux et le "
     "charger pour l'écoute .", "Sélection Répertoire"},
    {ContentLabel, "ContentLabel", K::TextLabel, 74, 12, 110, 18, -1, " Contenu : Vide", kFieldText, kFieldBack,
     T::None, "", ""},
    {FolderPathField, "FolderPathField", K::EditField, 185, 12, 415, 18, -1, "", kFieldText, kFieldBack, T::None, "",
     "", "Répertoire"},
    {TitleCombo, "TitleCombo", K::ComboBox, 600, 12, 195, 19, -1, "", {}, {}, T::None, "", "", "Titres"},
    {PlayAllCheck, "PlayAllCheck", K::CheckBox, 5, 38, 15, 15, -1, "", {}, {}, T::None, "", "", "Tout lire"},
    {ContinuousCheck, "ContinuousCheck", K::CheckBox, 70, 38, 15, 15, -1, "", {}, {}, T::None, "", "",
     "Lecture continue"},
    {PlayButton, "PlayButton", K::ImageButton, 185, 38, 42, 15, 4, "", {}, {}, T::Plain, "", "Play", "Play"},
    {PauseButton, "PauseButton", K::ImageButton, 227, 38, 42, 15, 2, "", {}, {}, T::Plain, "", "Pause", "Pause"},
    {ResumeButton, "ResumeButton", K::ImageButton, 269, 38, 42, 15, 3, "", {}, {}, T::Plain, "", "Reprendre",
     "Reprendre"},
    {StopButton, "StopButton", K::ImageButton, 311, 38, 42, 15, 5, "", {}, {}, T::Plain, "", "Stop", "Stop"},
    {ElapsedDisplay, "ElapsedDisplay", K::TextLabel, 395, 36, 35, 18, -1, "", kDisplayText, kDisplayBack, T::None,
     "", "", "Temps"},
    {DurationDisplay, "DurationDisplay", K::TextLabel, 467, 36, 35, 18, -1, "", kDisplayText, kDisplayBack,
     T::None, "", "", "Durée"},
    {CountDisplay, "CountDisplay", K::TextLabel, 542, 36, 35, 18, -1, "", kDisplayText, kDisplayBack, T::None, "",
     "", "Count"},
    {SecondsDisplay, "SecondsDisplay", K::TextLabel, 625, 36, 35, 18, -1, "", kDisplayText, kDisplayBack, T::None,
     "", "", "Seconds"},
    {VolumeButton, "VolumeButton", K::ImageButton, 668, 35, 20, 20, 15, "", {}, {}, T::Plain, "",
     "Réglage du volume", "Réglage du volume"},
    {HelpButton, "HelpButton", K::ImageButton, 688, 35, 20, 20, 23, "", {}, {}, T::Plain, "", "Aide", "Aide"},
    {AboutButton, "AboutButton", K::ImageButton, 708, 35, 20, 20, 24, "", {}, {}, T::Plain, "", "A propos",
     "A propos"},
    {MinimizeButton, "MinimizeButton", K::ImageButton, 728, 35, 20, 20, 21, "", {}, {}, T::Plain, "", "Réduire",
     "Réduire"},
    {CloseButton, "CloseButton", K::ImageButton, 748, 35, 20, 20, 22, "", {}, {}, T::Plain, "", "Fermer", "Fermer"},
    {WebButton, "WebButton", K::ImageButton, 768, 35, 20, 20, 11, "", {}, {}, T::Plain, "", "Corvalis on line",
     "Corvalis on line"},
    {TrackProgressBar, "TrackProgressBar", K::ProgressBar, 0, 56, 795, 9, -1, "", {}, kBarBack, T::None, "", ""},
};

const ControlId kHandControls[] = {PlayButton,  PauseButton,        ResumeButton,     StopButton,   PlayAllCheck,
                                   ContinuousCheck, SelectFolderButton, UserFolderButton, VolumeButton, HelpButton,
                                   AboutButton, MinimizeButton,     CloseButton,      WebButton};

const Caption kCaptions[] = {
    {"Temps", 360, 38},  {"Durée", 435, 38},     {"Count", 507, 38},
    {"Seconds", 582, 38}, {"Tout lire", 25, 38}, {"Lecture continue", 90, 38},
};

}  // namespace

std::span<const ControlSpec> ControlTable() { return kControls; }

const ControlSpec* FindControl(int id) {
    for (const auto& c : kControls)
        if (c.id == id) return &c;
    return nullptr;
}

std::span<const ControlId> HandCursorControls() { return kHandControls; }

std::span<const Caption> BackdropCaptions() { return kCaptions; }

Rect ScaledRect(const ControlSpec& c, unsigned dpi) {
    const int x = ScaledLength(c.x, dpi), y = ScaledLength(c.y, dpi);
    return {x, y, ScaledLength(c.x + c.width, dpi) - x, ScaledLength(c.y + c.height, dpi) - y};
}

int StripWidth(unsigned dpi) { return ScaledLength(kStripWidth, dpi); }
int StripHeight(unsigned dpi) { return ScaledLength(kStripHeight, dpi); }

Point ScaledCaption(const Caption& c, unsigned dpi) { return {ScaledLength(c.x, dpi), ScaledLength(c.y, dpi)}; }

int CaptionFontHeight(unsigned dpi) {
    // 7 points: 7/72 inch, rounded as the platform's MulDiv rounds.
    return -static_cast<int>((7 * dpi + 36) / 72);
}

Point CentredOrigin(int screenWidth, int screenHeight, int width, int height) {
    width = std::min(width, screenWidth);
    height = std::min(height, screenHeight);
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

}  // namespace vireo
