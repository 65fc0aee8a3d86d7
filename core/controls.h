// Control numbers and the control operations every part of the player uses.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vireo {

// Each number is also the control's window identifier.
enum ControlId : int {
    PlayButton = 2,
    StopButton = 3,
    FolderPathField = 4,
    TitleCombo = 5,
    SelectFolderButton = 6,
    ElapsedDisplay = 7,
    DurationDisplay = 8,
    CountDisplay = 9,
    SecondsDisplay = 10,
    PlayAllCheck = 11,
    ContinuousCheck = 12,
    PauseButton = 13,
    ResumeButton = 14,
    ContentLabel = 15,
    UserFolderButton = 16,
    AboutButton = 17,
    HelpButton = 18,
    CloseButton = 19,
    MinimizeButton = 20,
    WebButton = 21,
    TrackProgressBar = 22,
    VolumeButton = 23,
};

constexpr int kFirstControl = PlayButton;
constexpr int kLastControl = VolumeButton;

// DurationDisplay while no track is loaded. The final full stop keeps it unequal
// to every elapsed text, so the end-of-track test stays quiet.
constexpr const char* kNoTrackDuration = "0:00.";

// Window numbers.
constexpr int BackdropWindow = 0;
constexpr int MainWindow = 1;

// The operations other parts call on controls, addressed by number.
class ControlPort {
public:
    virtual ~ControlPort() = default;
    virtual void setEnabled(ControlId id, bool enabled) = 0;
    virtual bool isEnabled(ControlId id) = 0;
    // The program's own texts (Windows-1252).
    virtual void setText(ControlId id, std::string_view text) = 0;
    virtual std::string text(ControlId id) = 0;
    // Names as the disk spells them: FolderPathField's text; for TitleCombo,
    // name() is the selected item ("" when none is selected).
    virtual void setName(ControlId id, std::u16string_view name) = 0;
    virtual std::u16string name(ControlId id) = 0;
    // Check box tick (1/0), TitleCombo selected index (-1 none), bar position.
    virtual void setState(ControlId id, int64_t value) = 0;
    virtual int64_t state(ControlId id) = 0;
    virtual void clearItems(ControlId id) = 0;
    virtual void appendItem(ControlId id, std::u16string_view item) = 0;
    // The bar's lower bound stays 0.
    virtual void setUpperBound(ControlId id, int64_t upper) = 0;
};

}  // namespace vireo
