#include "app/startup.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/names.h"
#include "core/storage.h"

namespace vireo {
namespace {

// Answers lookups from a table and records the names asked for.
class TableDirs : public DirectoryPort {
public:
    std::map<std::u16string, FoundEntry> entries;
    std::vector<std::u16string> asked;

    ListResult list(const std::u16string&, std::vector<std::u16string>&) override { return ListResult::CannotStart; }
    FoundEntry find(const std::u16string& name) override {
        asked.push_back(name);
        auto it = entries.find(name);
        return it == entries.end() ? FoundEntry{} : it->second;
    }
};

FoundEntry Dir() { return {true, true, 0}; }
FoundEntry File(int64_t size) { return {true, false, size}; }

TEST(FileSizeQuery, Classification) {
    TableDirs dirs;
    dirs.entries[u"C:\\Program Files (x86)"] = Dir();
    dirs.entries[u"C:\\empty.txt"] = File(0);
    dirs.entries[u"C:\\song.wav"] = File(123456);
    dirs.entries[u"D:\\big.bin"] = File(5'000'000'000);

    struct Case {
        const char16_t* path;
        int64_t want;
        const char16_t* asked;  // nullptr: the platform is not asked
    };
    const Case cases[] = {
        {u"C:\\Program Files (x86)", -2, u"C:\\Program Files (x86)"},
        {u"C:\\Program Files (x86)\\", -2, u"C:\\Program Files (x86)"},
        {u"C:\\Program Files (x86)\\\\\\", -2, u"C:\\Program Files (x86)"},
        {u"C:\\Program Files", -1, u"C:\\Program Files"},
        {u"C:\\empty.txt", 0, u"C:\\empty.txt"},
        {u"C:\\song.wav\\", 123456, u"C:\\song.wav"},
        {u"D:\\big.bin", 5'000'000'000, u"D:\\big.bin"},
        {u"C:\\Program Files (x86)/", -1, u"C:\\Program Files (x86)/"},  // only backslashes are trimmed
        {u"\\\\\\", -1, nullptr},
        {u"", -1, nullptr},
    };
    for (const auto& c : cases) {
        dirs.asked.clear();
        EXPECT_EQ(FileSizeQuery(dirs, c.path), c.want) << ToUtf8(c.path);
        if (c.asked) {
            EXPECT_EQ(dirs.asked, std::vector<std::u16string>{c.asked}) << ToUtf8(c.path);
        } else {
            EXPECT_TRUE(dirs.asked.empty()) << ToUtf8(c.path);
        }
    }
}

TEST(PlatformTagFor, OnlyADirectoryMeans64Bits) {
    EXPECT_EQ(PlatformTagFor(-2), "64bits");
    for (int64_t answer : {int64_t{-1}, int64_t{-3}, int64_t{0}, int64_t{2}, int64_t{4096}})
        EXPECT_EQ(PlatformTagFor(answer), "32bits") << answer;
}

// The folder the system names, wherever Windows is installed; the fixed path
// only when it names none.
TEST(CheckPlatform, LooksAtTheSystemsFolder) {
    struct Case {
        const char* name;
        std::u16string named;  // by the system; "" for none
        const char16_t* present;
        FoundEntry entry;
        const char16_t* asked;
        const char* want;
    };
    const std::vector<Case> cases = {
        {"the usual folder", u"C:\\Program Files (x86)", u"C:\\Program Files (x86)", Dir(), u"C:\\Program Files (x86)", "64bits"},
        {"Windows on drive D:", u"D:\\Program Files (x86)", u"D:\\Program Files (x86)", Dir(), u"D:\\Program Files (x86)", "64bits"},
        {"a name in another script", u"E:\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B (x86)", u"E:\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B (x86)", Dir(), u"E:\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B (x86)", "64bits"},
        {"named but missing", u"D:\\Program Files (x86)", u"C:\\Program Files (x86)", Dir(), u"D:\\Program Files (x86)", "32bits"},
        {"a plain file of that name", u"D:\\Program Files (x86)", u"D:\\Program Files (x86)", File(42), u"D:\\Program Files (x86)", "32bits"},
        {"none named: the fixed path", u"", u"C:\\Program Files (x86)", Dir(), u"C:\\Program Files (x86)", "64bits"},
        {"none named, none there", u"", u"C:\\Program Files", Dir(), u"C:\\Program Files (x86)", "32bits"},
    };
    for (const Case& c : cases) {
        TableDirs dirs;
        dirs.entries[c.present] = c.entry;
        EXPECT_EQ(CheckPlatform(dirs, c.named), c.want) << c.name;
        EXPECT_EQ(dirs.asked, std::vector<std::u16string>{c.asked}) << c.name;
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
        const char16_t* path;
        const char16_t* want;
    };
    const Case cases[] = {
        {u"C:\\Jeux\\Vireo\\Vireo.exe", u"C:\\Jeux\\Vireo\\"},
        {u"C:\\Vireo.exe", u"C:\\"},
        {u"C:/Jeux/Vireo/Vireo.exe", u"C:/Jeux/Vireo/"},
        {u"C:\\Jeux/Vireo\\Vireo.exe", u"C:\\Jeux/Vireo\\"},
        {u"C:/Jeux\\Vireo/Vireo.exe", u"C:/Jeux\\Vireo/"},
        {u"\\\\serveur\\partage\\Vireo.exe", u"\\\\serveur\\partage\\"},
        {u"C:\\Mes programmes (x86)\\Vireo 1.2\\Vireo.exe", u"C:\\Mes programmes (x86)\\Vireo 1.2\\"},
        {u"C:\\Vireo\\", u"C:\\Vireo\\"},
        // A user folder the code page cannot spell holds the preferences file all the same.
        {u"C:\\Users\\\u0141ukasz\\T\u00E9l\u00E9chargements\\Vireo.exe", u"C:\\Users\\\u0141ukasz\\T\u00E9l\u00E9chargements\\"},
        {u"Vireo.exe", u".\\"},
        {u"", u".\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgramDirOf(c.path), c.want) << ToUtf8(c.path);
}

}  // namespace
}  // namespace vireo
