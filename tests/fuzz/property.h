// A property of a fuzz target that must hold for every input: a broken one
// names itself and aborts, so libFuzzer keeps the input.
#pragma once
#include <cstdio>
#include <cstdlib>

namespace vireo::fuzz {

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace vireo::fuzz

#define CHECK(cond)                                     \
    do {                                                \
        if (!(cond)) ::vireo::fuzz::Fail(#cond);        \
    } while (0)
