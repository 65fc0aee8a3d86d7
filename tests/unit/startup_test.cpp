#include "app/startup.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/storage.h"

namespace vireo {
namespace {

// Answers lookups from a table and records the names asked for.
class TableDirs : public DirectoryPort {
public:
    std::map<std::string, FoundEntry> entries;
    std::vector<std::string> asked;

    ListResult list(const std::string&, std::vector<DirEntry>&) override { return ListResult::CannotStart; }
    FoundEntry find(const std::string& name) override {
        asked.push_back(name);
        auto it = entries.find(name);
        return it == entries.end() ? FoundEntry{} : it->second;
    }
};

FoundEntry Dir() { return {true, true, 0}; }
FoundEntry File(int64_t size) { return {true, false, size}; }

TEST(FileSizeQuery, Classification) {
    TableDirs dirs;
    dirs.entries["C:\\Program Files (x86)"] = Dir();
    dirs.entries["C:\\empty.txt"] = File(0);
    dirs.entries["C:\\song.wav"] = File(123456);
    dirs.entries["D:\\big.bin"] = File(5'000'000'000);

    struct Case {
        const char* path;
        int64_t want;
        const char* asked;  // nullptr: the platform is not asked
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)", -2, "C:\\Program Files (x86)"},
        {"C:\\Program Files (x86)\\", -2, "C:\\Program Files (x86)"},
        {"C:\\Program Files (x86)\\\\\\", -2, "C:\\Program Files (x86)"},
        {"C:\\Program Files", -1, "C:\\Program Files"},
        {"C:\\empty.txt", 0, "C:\\empty.txt"},
        {"C:\\song.wav\\", 123456, "C:\\song.wav"},
        {"D:\\big.bin", 5'000'000'000, "D:\\big.bin"},
        {"C:\\Program Files (x86)/", -1, "C:\\Program Files (x86)/"},  // only backslashes are trimmed
        {"\\\\\\", -1, nullptr},
        {"", -1, nullptr},
    };
    for (const auto& c : cases) {
        dirs.asked.clear();
        EXPECT_EQ(FileSizeQuery(dirs, c.path), c.want) << c.path;
        if (c.asked) {
            EXPECT_EQ(dirs.asked, std::vector<std::string>{c.asked}) << c.path;
        } else {
            EXPECT_TRUE(dirs.asked.empty()) << c.path;
        }
    }
}

TEST(PlatformTagFor, OnlyADirectoryMeans64Bits) {
    EXPECT_EQ(PlatformTagFor(-2), "64bits");
    for (int64_t answer : {int64_t{-1}, int64_t{-3}, int64_t{0}, int64_t{2}, int64_t{4096}})
        EXPECT_EQ(PlatformTagFor(answer), "32bits") << answer;
}

TEST(CheckPlatform, LooksAtTheFixedPathOnly) {
    struct Case {
        bool present;
        FoundEntry entry;
        const char* want;
    };
    const Case cases[] = {
        {true, Dir(), "64bits"},
        {true, File(0), "32bits"},
        {true, File(42), "32bits"},
        {false, {}, "32bits"},
    };
    for (const auto& c : cases) {
        TableDirs dirs;
        dirs.entries["C:\\Program Files"] = Dir();
        if (c.present) dirs.entries["C:\\Program Files (x86)"] = c.entry;
        EXPECT_EQ(CheckPlatform(dirs), c.want);
        EXPECT_EQ(dirs.asked, std::vector<std::string>{"C:\\Program Files (x86)"});
    }
}

TEST(RefusalBox, TitleTextAndIcon) {
    EXPECT_EQ(kRefusalTitle, "Erreur!");
    EXPECT_EQ(kRefusalText,
              "Votre version de Windows est incompatible.\x0D"
              "Ce programme ne peut fonctionner que sur une plateforme 64 bits");
    EXPECT_EQ(kRefusalFlags, 0x10u);
}

TEST(ProgramDirOf, UpToTheLastSeparator) {
    struct Case {
        const char* path;
        const char* want;
    };
    const Case cases[] = {
        {"C:\\Jeux\\Vireo\\Vireo.exe", "C:\\Jeux\\Vireo\\"},
        {"C:\\Vireo.exe", "C:\\"},
        {"C:/Jeux/Vireo/Vireo.exe", "C:/Jeux/Vireo/"},
        {"C:\\Jeux/Vireo\\Vireo.exe", "C:\\Jeux/Vireo\\"},
        {"C:/Jeux\\Vireo/Vireo.exe", "C:/Jeux\\Vireo/"},
        {"\\\\serveur\\partage\\Vireo.exe", "\\\\serveur\\partage\\"},
        {"C:\\Mes programmes (x86)\\Vireo 1.2\\Vireo.exe", "C:\\Mes programmes (x86)\\Vireo 1.2\\"},
        {"C:\\Vireo\\", "C:\\Vireo\\"},
        {"Vireo.exe", ".\\"},
        {"", ".\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgramDirOf(c.path), c.want) << c.path;
}

}  // namespace
}  // namespace vireo
