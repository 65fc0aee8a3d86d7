// Fakes of the platform ports for the unit tests of the portable core.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "core/names.h"
#include "core/player.h"

namespace vireo::test {

// Records every control's state; `log` keeps the order of enable changes.
class FakeControls : public ControlPort {
public:
    struct Control {
        bool enabled = true;
        std::string text;
        std::u16string name;  // the path field's text
        int64_t state = 0;
        int64_t upper = 100;
        std::vector<std::u16string> items;
    };
    std::map<int, Control> c;
    std::vector<std::string> log;  // "E2" / "D2" for enable/disable of control 2, "T8=..." for texts of 8

    Control& operator[](int id) { return c[id]; }

    void setEnabled(ControlId id, bool on) override {
        c[id].enabled = on;
        log.push_back((on ? "E" : "D") + std::to_string(id));
    }
    bool isEnabled(ControlId id) override { return c[id].enabled; }
    void setText(ControlId id, std::string_view t) override {
        c[id].text = std::string(t);
        if (id != ElapsedDisplay && id != CountDisplay) log.push_back("T" + std::to_string(id) + "=" + c[id].text);
    }
    std::string text(ControlId id) override { return c[id].text; }
    void setName(ControlId id, std::u16string_view n) override {
        c[id].name = std::u16string(n);
        log.push_back("N" + std::to_string(id) + "=" + ToUtf8(n));
    }
    std::u16string name(ControlId id) override {
        if (id == TitleCombo) {
            auto& k = c[id];
            return k.state >= 0 && k.state < (int64_t)k.items.size() ? k.items[k.state] : std::u16string();
        }
        return c[id].name;
    }
    void setState(ControlId id, int64_t v) override {
        if (id == TitleCombo && (v < 0 || v >= (int64_t)c[id].items.size())) v = -1;
        if (id == TrackProgressBar) v = v < 0 ? 0 : (v > c[id].upper ? c[id].upper : v);
        c[id].state = v;
    }
    int64_t state(ControlId id) override { return c[id].state; }
    void clearItems(ControlId id) override {
        c[id].items.clear();
        c[id].state = -1;
    }
    void appendItem(ControlId id, std::u16string_view item) override { c[id].items.emplace_back(item); }
    void setUpperBound(ControlId id, int64_t u) override {
        c[id].upper = u;
        log.push_back("U" + std::to_string(id) + "=" + std::to_string(u));
    }
};

struct Box {
    std::string title, text;
    unsigned flags;
    std::u16string wideText;  // a box whose text the code page could not spell
};

class FakeBoxes : public BoxPort {
public:
    std::vector<Box> shown;
    void showBox(std::string_view t, std::string_view x, unsigned f) override {
        shown.push_back({std::string(t), std::string(x), f, {}});
    }
    void showWideBox(std::string_view t, std::u16string_view x, unsigned f) override {
        shown.push_back({std::string(t), {}, f, std::u16string(x)});
    }
};

}  // namespace vireo::test
