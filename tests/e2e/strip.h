// A player started on a scratch folder of WAV titles, read through the
// buttons that hold its state: what most cases drive.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

namespace vireo::e2e {

// Play, Pause, Resume, Stop, SelectFolder, UserFolder, in this order.
inline const std::vector<int> kStripStateButtons = {2, 13, 14, 3, 6, 16};
inline const char* const kStripStateOrder = "Play, Pause, Resume, Stop, SelectFolder, UserFolder";
inline const std::string kStripPlaying = "DEDEDD";

struct Strip {
    static constexpr int kTitleCombo = 5, kDurationDisplay = 8;
    Scratch scratch;
    std::string music;
    size_t titles = 0;
    std::unique_ptr<Player> player;

    // The titles (name, seconds) in the stored folder; start() starts the player.
    explicit Strip(const std::vector<std::pair<std::string, double>>& list) : titles(list.size()) {
        music = scratch.folder("Musique");
        for (const auto& [name, seconds] : list) writeWav(music + name, seconds);
        scratch.writeIni(preferencesLine(music));
    }
    void start() {
        player = std::make_unique<Player>(scratch.exe(), scratch.folder("cwd"));
        require(player->waitWindows(), "both windows are visible");
        require(waitUntil([&] { return comboItems(c(kTitleCombo)).size() == titles; }, 3000), "the titles are listed");
    }
    HWND c(int id) const { return player->control(id); }
    std::string states() const { return enabledStates(player->main(), kStripStateButtons); }
    std::string shown(int id) const { return text(c(id)); }
    bool reach(const std::string& want, DWORD timeoutMs, const std::string& when) const {
        waitUntil([&] { return states() == want; }, timeoutMs, 5);
        return checkEq(want, states(), std::string("states (") + kStripStateOrder + ") " + when);
    }
    // Play enables its buttons before it asks the device for the length: wait for
    // the length text too before reading what Play showed.
    bool reachPlaying(const std::string& duration, DWORD timeoutMs, const std::string& when) const {
        waitUntil([&] { return states() == kStripPlaying && shown(kDurationDisplay) == duration; }, timeoutMs, 5);
        checkEq(duration, shown(kDurationDisplay), "DurationDisplay " + when);
        return checkEq(kStripPlaying, states(), std::string("states (") + kStripStateOrder + ") " + when);
    }
    int indexOf(const std::string& title) const {
        auto items = comboItems(c(kTitleCombo));
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == title) return static_cast<int>(i);
        abortCase(show(title) + " is not listed");
    }
    // Selects a title as the user does: the selection, then the list's notification.
    void choose(const std::string& title) const {
        int index = indexOf(title);
        sendA(c(kTitleCombo), CB_SETCURSEL, index);
        PostMessageA(player->main(), WM_COMMAND, MAKEWPARAM(kTitleCombo, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(c(kTitleCombo)));
    }
    void expectNoBox() const {
        auto box = findBox(player->pid());
        check(!box, "no message box" + (box ? ": " + show(box->title) + " " + show(box->text) : std::string()));
    }
};

}  // namespace vireo::e2e
