// One object that stands for every platform port and does nothing: for tests
// and benchmarks that need a whole Player but look at a single part of it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/player.h"

namespace vireo::test {

class NullPorts : public ControlPort,
                  public MciPort,
                  public EventPort,
                  public BoxPort,
                  public WindowPort,
                  public LauncherPort,
                  public TaskbarPort,
                  public FilePort,
                  public DirectoryPort,
                  public FolderRequesterPort,
                  public MediaPort,
                  public SystemControlsPort {
public:
    void setEnabled(ControlId, bool) override {}
    bool isEnabled(ControlId) override { return false; }
    void setText(ControlId, std::string_view) override {}
    std::string text(ControlId) override { return {}; }
    void setName(ControlId, std::u16string_view) override {}
    std::u16string name(ControlId) override { return {}; }
    void setState(ControlId, int64_t) override {}
    int64_t state(ControlId) override { return 0; }
    void clearItems(ControlId) override {}
    void appendItem(ControlId, std::u16string_view) override {}
    void setUpperBound(ControlId, int64_t) override {}
    int32_t sendString(const char*, char* reply, unsigned length) override {
        if (reply && length) reply[0] = '\0';
        return 0;
    }
    int32_t sendStringW(const char16_t*, char* reply, unsigned length) override {
        if (reply && length) reply[0] = '\0';
        return 0;
    }
    Event nextEvent() override { return {}; }
    void sleepMs(unsigned) override {}
    uint32_t nowMs() override { return 0; }
    void showBox(std::string_view, std::string_view, unsigned) override {}
    void showWideBox(std::string_view, std::u16string_view, unsigned) override {}
    void beginDrag() override {}
    void minimize() override {}
    bool launch(std::string_view) override { return false; }
    std::string systemDirectory() override { return {}; }
    void setProgress(int) override {}
    void showThumbButtons(const TransportButtons&, bool) override {}
    bool start() override { return false; }
    void setButtons(const SystemButtons&) override {}
    void setStatus(PlaybackStatus) override {}
    void setDisplay(std::u16string_view, std::u16string_view) override {}
    void setTimeline(int64_t, int64_t) override {}
    void stop() override {}
    std::unique_ptr<OpenFile> open(const std::u16string&, FileAccess, FileShare, FileCreation) override {
        return nullptr;
    }
    ReplaceResult replace(const std::u16string&, const std::u16string&, const std::u16string&) override {
        return ReplaceResult::Refused;
    }
    bool rename(const std::u16string&, const std::u16string&, bool) override { return false; }
    bool remove(const std::u16string&) override { return false; }
    void wait(unsigned) override {}
    ListResult list(const std::u16string&, std::vector<std::u16string>&) override { return ListResult::CannotStart; }
    FoundEntry find(const std::u16string&) override { return {}; }
    std::u16string browse(std::string_view, std::u16string_view) override { return {}; }
    bool open(const std::u16string&) override { return false; }
    int64_t durationMs() override { return -1; }
    int64_t positionMs() override { return -1; }
    MediaState state() override { return MediaState::Closed; }
    bool play(int64_t) override { return false; }
    bool pause() override { return false; }
    bool pauseRefused() override { return false; }
    void close() override {}
};

}  // namespace vireo::test
