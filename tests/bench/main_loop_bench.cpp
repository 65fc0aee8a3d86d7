// An idle pass of the main loop against do-nothing ports: what it costs besides
// its 20 ms sleep, and that it allocates nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app/main_loop.h"
#include "tests/null_ports.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vireo {
namespace {

class IdleControls : public ControlPort {
public:
    std::string elapsed, duration = "3:05", count;
    int64_t bar = 0;
    void setEnabled(ControlId, bool) override {}
    bool isEnabled(ControlId) override { return true; }
    void setText(ControlId id, std::string_view t) override {
        if (id == ElapsedDisplay) elapsed.assign(t);
        if (id == CountDisplay) count.assign(t);
        if (id == DurationDisplay) duration.assign(t);
    }
    std::string text(ControlId id) override {
        if (id == ElapsedDisplay) return elapsed;
        if (id == DurationDisplay) return duration;
        return {};
    }
    void setState(ControlId, int64_t v) override { bar = v; }
    int64_t state(ControlId) override { return 0; }
    void setName(ControlId, std::u16string_view) override {}
    std::u16string name(ControlId) override { return {}; }
    void clearItems(ControlId) override {}
    void appendItem(ControlId, std::u16string_view) override {}
    void setUpperBound(ControlId, int64_t) override {}
};

// A track playing at 42.3 s.
class PlayingMci : public MciPort {
public:
    int32_t sendString(const char*, char* reply, unsigned n) override {
        if (reply && n > 6) std::memcpy(reply, "42300", 6);
        return 0;
    }
    int32_t sendStringW(const char16_t*, char*, unsigned) override { return 0; }
};


void BM_IdlePass(benchmark::State& state) {
    IdleControls controls;
    PlayingMci mci;
    test::NullPorts u;
    char reply[kReplyBufferSize] = {};
    Player p{{}, {controls, mci, u, u, u, u, u, u, u, u, u, u}};
    p.st.replyBuffer = reply;
    RunPass(p);  // warm up: texts reach their lengths

    const long before = g_allocations.load();
    for (auto _ : state) benchmark::DoNotOptimize(RunPass(p));
    const long allocations = g_allocations.load() - before;
    state.counters["allocs/pass"] =
        benchmark::Counter(double(allocations) / double(state.iterations()));
    // A failure must fail the smoke run too, not only mark the report.
    if (allocations != 0 || controls.elapsed != "0:42" || controls.count != "42") {
        std::fprintf(stderr, "idle pass: %ld allocations, indicators \"%s\" \"%s\"\n", allocations,
                     controls.elapsed.c_str(), controls.count.c_str());
        std::abort();
    }
}
BENCHMARK(BM_IdlePass);

}  // namespace
}  // namespace vireo
