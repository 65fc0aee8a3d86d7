// Fakes for the music-folder tests: a scripted directory listing, a scripted
// folder requester, and a Player whose other ports do nothing.
#pragma once
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/player.h"
#include "tests/null_ports.h"
#include "tests/unit/fakes.h"

namespace vireo::test::libfake {

// Each pattern lists what it was given; any other pattern can't start. Like
// the disks people keep music on, it knows no short names: a name is listed
// exactly as it is spelled, and only that spelling opens it.
class FakeListing : public DirectoryPort {
public:
    struct Listing {
        ListResult result = ListResult::Listed;
        std::vector<std::u16string> names;
    };
    std::map<std::u16string, Listing> folders;
    std::set<std::u16string> existing;     // names `find` reports
    std::set<std::u16string> directories;  // ... as folders
    std::vector<std::u16string> patterns;
    std::vector<std::u16string> finds;

    void add(const std::u16string& pattern, std::vector<std::u16string> names) {
        folders[pattern] = {names.empty() ? ListResult::NoEntries : ListResult::Listed, std::move(names)};
    }
    ListResult list(const std::u16string& pattern, std::vector<std::u16string>& names) override {
        patterns.push_back(pattern);
        names.clear();
        auto it = folders.find(pattern);
        if (it == folders.end()) return ListResult::CannotStart;
        names = it->second.names;
        return it->second.result;
    }
    FoundEntry find(const std::u16string& name) override {
        finds.push_back(name);
        FoundEntry e;
        e.directory = directories.count(name) > 0;
        e.found = e.directory || existing.count(name) > 0;
        return e;
    }
};

class FakeRequester : public FolderRequesterPort {
public:
    std::vector<std::u16string> answers;  // taken in order; "" once they run out
    std::vector<std::pair<std::string, std::u16string>> calls;  // prompt, initial folder
    std::function<void()> whileOpen;

    std::u16string browse(std::string_view prompt, std::u16string_view initial) override {
        calls.emplace_back(std::string(prompt), std::u16string(initial));
        if (whileOpen) whileOpen();
        if (calls.size() > answers.size()) return {};
        return answers[calls.size() - 1];
    }
};

// A Player as start-up leaves it before the first folder load.
struct LibraryRig {
    FakeControls controls;
    FakeBoxes boxes;
    NullPorts none;
    Player p;

    LibraryRig(FilePort& files, DirectoryPort& dirs, FolderRequesterPort& requester)
        : p{ProgramState{}, Ports{controls, none, none, boxes, none, none, none, files, dirs, requester, none, none}} {
        for (int id : {PlayButton, StopButton, PauseButton, ResumeButton}) controls[id].enabled = false;
        controls[ContentLabel].text = " Contenu : Vide";
        controls[TitleCombo].state = -1;
    }

    std::vector<std::u16string>& items() { return controls[TitleCombo].items; }
    // Enable and disable changes only.
    std::vector<std::string> enableLog() const {
        std::vector<std::string> out;
        for (const auto& e : controls.log) {
            if (e[0] == 'E' || e[0] == 'D') out.push_back(e);
        }
        return out;
    }
};

}  // namespace vireo::test::libfake
