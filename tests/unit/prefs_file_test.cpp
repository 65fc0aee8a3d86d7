#include "library/prefs_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/names.h"
#include "tests/unit/posix_storage.h"

namespace vireo {
namespace {

using test::LibraryTempDir;
using test::PosixFiles;
using test::ReadBytes;
using test::WriteBytes;

const std::string kKey = "Répertoire";
const std::string kBom = "\xEF\xBB\xBF";

// The store as most of these tests speak to it: paths in UTF-8, values in the
// code page ("?" for a unit it cannot spell).
class Prefs : public PreferencesFile {
public:
    using PreferencesFile::PreferencesFile;
    bool open(const std::string& path) { return PreferencesFile::open(FromUtf8(path)); }
    bool create(const std::string& path) { return PreferencesFile::create(FromUtf8(path)); }
    std::string readString(std::string_view key, const std::string& fallback) const {
        std::string out;
        for (char16_t u : PreferencesFile::readString(key, WidenCp1252(fallback)))
            out += ExactCp1252(std::u16string(1, u)).value_or("?");
        return out;
    }
    void writeString(std::string_view key, const std::string& value) {
        PreferencesFile::writeString(key, WidenCp1252(value));
    }
    using PreferencesFile::readString;
    using PreferencesFile::writeString;
};

PrefEntry Pair(std::string k, std::string v) { return {PrefEntry::Pair, std::move(k), std::move(v), {}}; }
PrefEntry Group(std::string n) { return {PrefEntry::Group, std::move(n), "", {}}; }
PrefEntry Comment(std::string t) { return {PrefEntry::Comment, std::move(t), "", {}}; }

TEST(PrefsFileText, KeyIsTheTenSingleBytes) {
    EXPECT_EQ(std::string(kFolderKey), std::string("\x52\xE9\x70\x65\x72\x74\x6F\x69\x72\x65"));
}

TEST(PrefsFileText, ParsesLinesByTheGrammar) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<PrefEntry> want;
    };
    const std::vector<Case> cases = {
        {"empty", "", {}},
        {"only line breaks and blanks", "\r\n\n\r \t \r\n\t\n", {}},
        {"crlf", "a=1\r\nb=2\r\n", {Pair("a", "1"), Pair("b", "2")}},
        {"lf", "a=1\nb=2", {Pair("a", "1"), Pair("b", "2")}},
        {"cr", "a=1\rb=2\r", {Pair("a", "1"), Pair("b", "2")}},
        {"runs of breaks", "\r\r\n\na=1\n\r\n\r\rb=2", {Pair("a", "1"), Pair("b", "2")}},
        {"blanks around key, equals and value", " \t key \t=\t value \t", {Pair("key", "value \t")}},
        {"further equals belong to the value", "k = a = b", {Pair("k", "a = b")}},
        {"no equals: key with empty value", "  lonely  \r\nnext=1", {Pair("lonely", ""), Pair("next", "1")}},
        {"equals alone", "=v", {Pair("", "v")}},
        {"empty value", "k =   ", {Pair("k", "")}},
        {"comment less one space", ";  two\r\n;none\r\n; k = v", {Comment(" two"), Comment("none"), Comment("k = v")}},
        {"indented comment", " \t; c", {Comment("c")}},
        {"group up to first bracket", "[G] tail ] x\r\n[open", {Group("G"), Group("open")}},
        {"empty group", "[]", {Group("")}},
        {"semicolon inside a key line", "k = a;b", {Pair("k", "a;b")}},
        {"nul byte kept", std::string("k = a\0b", 7), {Pair("k", std::string("a\0b", 3))}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParsePreferences(c.text), c.want) << c.name;
    }
}

TEST(PrefsFileText, SerializesOneCrlfLinePerEntry) {
    std::vector<PrefEntry> entries = {Comment("note"), Pair("a", "1"), Group("G"), Pair("b", "")};
    EXPECT_EQ(SerializePreferences(entries, false), "; note\r\na = 1\r\n[G]\r\nb = \r\n");
    EXPECT_EQ(SerializePreferences(entries, true), kBom + "\r\n; note\r\na = 1\r\n[G]\r\nb = \r\n");
    EXPECT_EQ(SerializePreferences({}, false), "");
    EXPECT_EQ(SerializePreferences({}, true), kBom + "\r\n");
    // A single-byte text that starts like a mark starts with a blank line.
    for (const std::string& mark : {kBom, std::string("\xFF\xFE"), std::string("\xFE\xFF")})
        EXPECT_EQ(SerializePreferences({Pair(mark + "k", "v")}, false), "\r\n" + mark + "k = v\r\n");
}

TEST(PrefsFileText, SerializedTextParsesBack) {
    std::vector<PrefEntry> entries = {Comment("c"), Pair("Répertoire", "D:\\Musique\\"), Group("G"), Pair("k", "a=b")};
    EXPECT_EQ(ParsePreferences(SerializePreferences(entries, false)), entries);
}

TEST(PrefsFileText, WhatReadsAsUtf8WithoutAMark) {
    struct Case {
        const char* name;
        std::string content;
        bool utf8;
    };
    const std::vector<Case> cases = {
        {"ascii only", "R\\x = D:\\M\\", false},
        {"empty", "", false},
        {"Windows-1252 key", "R\xE9pertoire = D:\\M\\", false},
        {"UTF-8 key", "R\xC3\xA9pertoire = D:\\M\\", true},
        {"UTF-8 Cyrillic", "R\xC3\xA9pertoire = C:\\\xD0\x9C\xD1\x83\\", true},
        {"UTF-8 with one stray byte", "R\xC3\xA9pertoire = D:\\\xE9\\", false},
        {"cut short at the end", "R\xC3\xA9pertoire = \xC3", false},
        {"encoded surrogate", "x = \xED\xA0\x80", false},
        {"overlong", "x = \xC0\xAF", false},
        {"four bytes", "x = \xF0\x9F\x8E\xB5", true},
        // E9 would lead three bytes, and "p" is no continuation.
        {"French in Windows-1252", "Pr\xE9" "f\xE9r\xE9 = \xC0 l'\xE9t\xE9", false},
    };
    for (const Case& c : cases) EXPECT_EQ(LooksLikeUtf8(c.content), c.utf8) << c.name;
}

TEST(PrefsFileText, KeysCompareAsciiLettersWithoutCase) {
    EXPECT_TRUE(SameKey("Répertoire", "répertoire"));
    EXPECT_TRUE(SameKey("Répertoire", "RéPERTOIRE"));
    EXPECT_FALSE(SameKey("Répertoire", "RÉpertoire"));
    EXPECT_FALSE(SameKey("Répertoire", "Repertoire"));
    EXPECT_FALSE(SameKey("Répertoire", "Répertoire "));
    EXPECT_FALSE(SameKey("[", "{"));  // only letters fold
    EXPECT_FALSE(SameKey("@", "`"));
}

class PrefsFileOnDisk : public ::testing::Test {
protected:
    LibraryTempDir dir;
    PosixFiles files;
    std::string ini = dir / "Vireo.ini";

    // The folder as the player reads it at start-up.
    std::string readFolder(const std::string& bytes, const char* fallback = "<absent>") {
        WriteBytes(ini, bytes);
        Prefs prefs(files);
        EXPECT_TRUE(prefs.open(ini));
        std::string v = prefs.readString(kFolderKey, fallback);
        prefs.close();
        EXPECT_EQ(ReadBytes(ini), bytes) << "reading changed the file";
        return v;
    }
};

// Text as Notepad saves it in UTF-16, mark first.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char lo = char(u & 0xFF), hi = char(u >> 8);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST_F(PrefsFileOnDisk, LooksUpTheFolderKey) {
    struct Case {
        const char* name;
        std::string file, want;
    };
    const std::string m = "D:\\Musique\\";
    const std::u16string line16 = u"; mine\r\nR\u00E9pertoire = D:\\Mus\u00E9e\\\r\n";
    const std::vector<Case> cases = {
        {"as written", kKey + " = " + m + "\r\n", m},
        {"without spaces", kKey + "=" + m, m},
        {"blanks and tabs everywhere", " \t" + kKey + " \t= \t" + m + " \t \t\r\n", m},
        {"lf only", "x=1\n" + kKey + " = " + m + "\n", m},
        {"cr only", "x=1\r" + kKey + " = " + m + "\r", m},
        {"runs of breaks", "\r\n\r\n\n\r" + kKey + " = " + m + "\r\r\n", m},
        {"lower-case r", "répertoire = " + m, m},
        {"upper-case ASCII letters", "RéPERTOIRE = " + m, m},
        {"upper-case É", "RÉPERTOIRE = " + m, "<absent>"},
        {"plain e", "Repertoire = " + m, "<absent>"},
        {"first duplicate wins", kKey + " = A\\\r\n" + kKey + " = B\\", "A\\"},
        {"comment holding the key", "; " + kKey + " = C:\\X\\\r\n;" + kKey + "=C:\\Y\\", "<absent>"},
        {"group before the key", "[Vireo]\r\n" + kKey + " = " + m, "<absent>"},
        {"key before a group", kKey + " = " + m + "\r\n[G]\r\n" + kKey + " = X", m},
        {"key without equals", kKey + "\r\n" + m, ""},
        {"empty value", kKey + " =", ""},
        {"further equals", kKey + " = a=b", "a=b"},
        {"inner blanks kept", kKey + " =  Ma  musique \t", "Ma  musique"},
        {"nul ends the value", kKey + std::string(" = D:\\A\0B", 9), "D:\\A"},
        {"empty file", "", "<absent>"},
        {"one byte", "R", "<absent>"},
        {"two bytes of a mark", "\xEF\xBB", "<absent>"},
        {"mark only", kBom, "<absent>"},
        {"mark with é", kBom + "R\xC3\xA9pertoire = D:\\Mus\xC3\xA9" "e\\\r\n", "D:\\Musée\\"},
        {"utf-8 without mark", "R\xC3\xA9pertoire = D:\\M\\", "D:\\M\\"},
        {"mark, single-byte key", kBom + kKey + " = D:\\M\\", "<absent>"},
        {"mark, beyond the code page", kBom + kKey.substr(0, 1) + "\xC3\xA9pertoire = D:\\\xCE\xA9\xE2\x82\xAC\\", "D:\\?\x80\\"},
        {"mark, malformed", kBom + "R\xC3\xA9pertoire = \xC3(\xFF", "?(?"},
        {"UTF-16 LE", Utf16(line16, false), "D:\\Musée\\"},
        {"UTF-16 BE", Utf16(line16, true), "D:\\Musée\\"},
        {"UTF-16 LE, an odd last byte, beyond the code page", Utf16(u"R\u00E9pertoire=\u0416", false) + "x", "?"},
        {"UTF-16 mark alone", "\xFF\xFE", "<absent>"},
    };
    for (const Case& c : cases) EXPECT_EQ(readFolder(c.file), c.want) << c.name;
}

TEST_F(PrefsFileOnDisk, MarkSetsTheEncoding) {
    struct Case {
        std::string file;
        bool utf8;
    };
    for (const Case& c : std::vector<Case>{{"", false}, {"\xEF", false}, {"\xEF\xBB", false}, {kBom, true},
                                           {kBom + "a=1", true}, {"\xEF\xBB\xBE", true}, {"a=\xE9", false},
                                           {"a=\xC3\xA9", true}}) {
        WriteBytes(ini, c.file);
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini));
        EXPECT_EQ(prefs.isUtf8(), c.utf8) << c.file.size();
    }
}

TEST_F(PrefsFileOnDisk, NothingOpenGivesTheDefault) {
    Prefs prefs(files);
    EXPECT_EQ(prefs.readString(kFolderKey, "dflt"), "dflt");
    prefs.writeString(kFolderKey, "X");  // ignored
    prefs.close();
    prefs.close();
    EXPECT_FALSE(test::PathExists(ini));
    EXPECT_TRUE(files.calls.empty());
}

TEST_F(PrefsFileOnDisk, OpenNeverCreates) {
    Prefs prefs(files);
    EXPECT_FALSE(prefs.open(ini));
    EXPECT_EQ(prefs.readString(kFolderKey, "dflt"), "dflt");
    prefs.close();
    EXPECT_FALSE(test::PathExists(ini));
    ASSERT_EQ(files.calls.size(), 3u);
    for (const auto& c : files.calls) EXPECT_EQ(c.creation, FileCreation::OpenExisting);
}

TEST_F(PrefsFileOnDisk, OpenTriesTheThreeSharingModes) {
    WriteBytes(ini, kKey + " = D:\\A\\\r\n");
    struct Case {
        int refused;  // how many of the attempts are refused
        bool readOnly;
    };
    for (Case c : {Case{0, false}, Case{1, true}, Case{2, true}}) {
        files.calls.clear();
        int n = 0;
        files.refuse = [&](const PosixFiles::Call&) { return n++ < c.refused; };
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini)) << c.refused;
        EXPECT_EQ(prefs.isReadOnly(), c.readOnly);
        EXPECT_EQ(prefs.readString(kFolderKey, ""), "D:\\A\\");
        ASSERT_EQ(files.calls.size(), size_t(c.refused + 1));
        const FileAccess access[] = {FileAccess::ReadWrite, FileAccess::Read, FileAccess::Read};
        const FileShare share[] = {FileShare::Read, FileShare::Read, FileShare::ReadWrite};
        for (size_t i = 0; i < files.calls.size(); ++i) {
            EXPECT_EQ(files.calls[i].access, access[i]) << i;
            EXPECT_EQ(files.calls[i].share, share[i]) << i;
        }
    }
}

TEST_F(PrefsFileOnDisk, ReadOnlyDocumentDropsItsChanges) {
    const std::string before = "; keep\r\n" + kKey + "=old";
    WriteBytes(ini, before);
    files.refuse = [](const PosixFiles::Call& c) { return c.access == FileAccess::ReadWrite; };
    Prefs prefs(files);
    ASSERT_TRUE(prefs.open(ini));
    prefs.writeString(kFolderKey, "new");
    EXPECT_EQ(prefs.readString(kFolderKey, ""), "new");
    prefs.close();
    EXPECT_EQ(ReadBytes(ini), before);
}

TEST_F(PrefsFileOnDisk, FailedOpenWritesToTheRememberedPathAtClose) {
    files.refuse = [](const PosixFiles::Call& c) { return c.creation == FileCreation::OpenExisting; };
    Prefs prefs(files);
    EXPECT_FALSE(prefs.open(ini));
    prefs.writeString(kFolderKey, "E:\\");
    prefs.close();
    ASSERT_EQ(files.calls.size(), 4u);
    EXPECT_EQ(files.calls[3].access, FileAccess::ReadWrite);
    EXPECT_EQ(files.calls[3].creation, FileCreation::OpenAlways);
    EXPECT_EQ(ReadBytes(ini), kKey + " = E:\\\r\n");
}

TEST_F(PrefsFileOnDisk, OpenAndCloseLeaveBytesAndTimeAlone) {
    const std::string bytes = "; c\n  " + kKey + "=D:\\M\\  \r[G]\rx";
    WriteBytes(ini, bytes);
    struct timespec old[2] = {{1000000000, 123}, {1000000000, 456000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, ini.c_str(), old, 0), 0);
    {
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini));
        EXPECT_EQ(prefs.readString(kFolderKey, ""), "D:\\M\\");
        prefs.close();
    }
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 456000);
    EXPECT_EQ(ReadBytes(ini), bytes);
}

TEST_F(PrefsFileOnDisk, WritesTheExactFolderLine) {
    struct Case {
        std::string folder;
        size_t size;
    };
    for (const Case& c : {Case{"D:\\Musique\\", 26}, Case{"", 15}}) {
        Prefs prefs(files);
        ASSERT_TRUE(prefs.create(ini));
        prefs.writeString(kFolderKey, c.folder);
        prefs.close();
        std::string bytes = ReadBytes(ini);
        EXPECT_EQ(bytes, kKey + " = " + c.folder + "\r\n");
        EXPECT_EQ(bytes.size(), c.size);
        EXPECT_EQ(readFolder(bytes), c.folder);
    }
}

TEST_F(PrefsFileOnDisk, CreateReplacesEverythingAtClose) {
    const std::string old = kBom + "\r\n; comment\r\nother = 1\r\n[Group]\r\n" + kKey + " = X\r\n";
    WriteBytes(ini, old);
    Prefs prefs(files);
    ASSERT_TRUE(prefs.create(ini));
    EXPECT_EQ(ReadBytes(ini), old);
    EXPECT_FALSE(prefs.isUtf8());
    EXPECT_EQ(prefs.readString("other", "none"), "none");
    prefs.writeString(kFolderKey, "D:\\Musique\\");
    prefs.close();
    EXPECT_EQ(ReadBytes(ini), kKey + " = D:\\Musique\\\r\n");
    EXPECT_FALSE(test::PathExists(ini + ".new"));
    EXPECT_EQ(files.calls.back().creation, FileCreation::CreateAlways);
    EXPECT_EQ(files.calls.back().access, FileAccess::ReadWrite);
    EXPECT_EQ(files.calls.back().share, FileShare::Read);
}

TEST_F(PrefsFileOnDisk, CreateThenCloseWithoutWriteLeavesAnEmptyFile) {
    WriteBytes(ini, "a=1");
    Prefs prefs(files);
    ASSERT_TRUE(prefs.create(ini));
    prefs.close();
    EXPECT_TRUE(test::PathExists(ini));
    EXPECT_EQ(ReadBytes(ini), "");
}

TEST_F(PrefsFileOnDisk, FailedCreateLeavesNothingOpen) {
    WriteBytes(ini, "a=1");
    files.refuse = [](const PosixFiles::Call& c) { return c.creation == FileCreation::CreateAlways; };
    Prefs prefs(files);
    EXPECT_FALSE(prefs.create(ini));
    EXPECT_FALSE(prefs.isOpen());
    prefs.writeString(kFolderKey, "X");
    prefs.close();
    EXPECT_EQ(ReadBytes(ini), "a=1");
    EXPECT_EQ(files.calls.size(), 1u);
}

TEST_F(PrefsFileOnDisk, WriteStringPlacesTheKey) {
    struct Case {
        const char* name;
        std::string before, after;
    };
    const std::vector<Case> cases = {
        {"empty", "", kKey + " = X\r\n"},
        {"starts with a group", "[G]\nk=v", kKey + " = X\r\n[G]\r\nk=v\r\n"},
        {"after the top-level entries", ";c\na=1\n[G]\nb=2", ";c\r\na=1\r\n" + kKey + " = X\r\n[G]\r\nb=2\r\n"},
        {"at the end without groups", "a=1\n;c", "a=1\r\n;c\r\n" + kKey + " = X\r\n"},
        {"replaces the first, key case too", "répertoire=old\n" + kKey + "=dup", kKey + " = X\r\n" + kKey + "=dup\r\n"},
        {"key under a group is not the top-level one", "[G]\n" + kKey + "=Y", kKey + " = X\r\n[G]\r\n" + kKey + "=Y\r\n"},
        {"comment holding the key is left", "; " + kKey + " = Y", "; " + kKey + " = Y\r\n" + kKey + " = X\r\n"},
        {"utf-8 document", kBom + "a=\xC3\xA9", kBom + "\r\na=\xC3\xA9\r\nR\xC3\xA9pertoire = X\r\n"},
        {"utf-8 replaces", kBom + "R\xC3\xA9pertoire = old", kBom + "\r\nR\xC3\xA9pertoire = X\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini, c.before);
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini)) << c.name;
        prefs.writeString(kFolderKey, "X");
        EXPECT_TRUE(prefs.isModified());
        prefs.close();
        EXPECT_EQ(ReadBytes(ini), c.after) << c.name;
    }
}

// A hand-edited file keeps its lines through a change of the folder: only the
// changed line is spelled anew, every line ends with CR LF, blank lines go.
TEST_F(PrefsFileOnDisk, ChangeKeepsTheOtherLinesAsTheyWere) {
    struct Case {
        const char* name;
        std::string before, after;
    };
    const std::vector<Case> cases = {
        {"odd spacing, comments and groups",
         "\t;  note \r\n  a\t=  1 \t\n\n" + kKey + "\t=\tD:\\Old\\  \r[G] tail ] x\r\n b = 2",
         "\t;  note \r\n  a\t=  1 \t\r\n" + kKey + " = X\r\n[G] tail ] x\r\n b = 2\r\n"},
        {"nul and high bytes kept", std::string("k=\0\xFF\r\n;\x80", 8), std::string("k=\0\xFF\r\n;\x80\r\n", 10) + kKey + " = X\r\n"},
        {"only the first duplicate changes", "  RÉPERTOIRE=a\r\n" + kKey + "=b\r\nr\xE9pertoire=c",
         "  RÉPERTOIRE=a\r\n" + kKey + " = X\r\nr\xE9pertoire=c\r\n"},
        {"a key line without equals", kKey + "\r\nlone", kKey + " = X\r\nlone\r\n"},
        // Written at the start of a single-byte file, these bytes would read as
        // the mark of a UTF-8 one.
        {"a first line that starts like the mark", "\n\xEF\xBB\xBFx=\xE9", "\r\n\xEF\xBB\xBFx=\xE9\r\n" + kKey + " = X\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini, c.before);
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini)) << c.name;
        prefs.writeString(kFolderKey, "X");
        prefs.close();
        EXPECT_EQ(ReadBytes(ini), c.after) << c.name;
        ASSERT_TRUE(prefs.open(ini));
        EXPECT_FALSE(prefs.isUtf8()) << c.name;
        EXPECT_EQ(prefs.readString(kFolderKey, ""), "X") << c.name;
    }
}

TEST_F(PrefsFileOnDisk, ValueEndsAtALineBreak) {
    for (const std::string value : {"D:\\A\\\r\n[G]", "D:\\A\\\rautre = 1", "D:\\A\\\n"}) {
        WriteBytes(ini, "a=1\r\n");
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini));
        prefs.writeString(kFolderKey, value);
        EXPECT_EQ(prefs.readString(kFolderKey, ""), "D:\\A\\");
        prefs.close();
        EXPECT_EQ(ReadBytes(ini), "a=1\r\n" + kKey + " = D:\\A\\\r\n");
    }
}

TEST_F(PrefsFileOnDisk, Utf8DocumentStoresValuesInUtf8) {
    WriteBytes(ini, kBom + "x=1\r\n");
    Prefs prefs(files);
    ASSERT_TRUE(prefs.open(ini));
    prefs.writeString(kFolderKey, "D:\\Musée\\");
    EXPECT_EQ(prefs.readString(kFolderKey, ""), "D:\\Musée\\");
    prefs.close();
    EXPECT_EQ(ReadBytes(ini), kBom + "\r\nx=1\r\nR\xC3\xA9pertoire = D:\\Mus\xC3\xA9" "e\\\r\n");
    EXPECT_EQ(readFolder(ReadBytes(ini)), "D:\\Musée\\");
}

// The folder as people save the file: Windows-1252 from an old editor, UTF-8
// with or without a mark from a newer one (Notepad writes no mark by default).
TEST_F(PrefsFileOnDisk, ReadsTheFolderInEveryEncodingPeopleSave) {
    const std::string keyUtf8 = "R\xC3\xA9pertoire";
    const std::string musee = "D:\\Mus\xC3\xA9" "e\\", cyrillic = "C:\\\xD0\x9C\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0\\";
    struct Case {
        const char* name;
        std::string file;
        std::u16string want;
    };
    const std::vector<Case> cases = {
        {"Windows-1252, French", kKey + " = D:\\Mus\xE9" "e\\\r\n", u"D:\\Mus\u00E9e\\"},
        {"UTF-8 with a mark, French", kBom + keyUtf8 + " = " + musee + "\r\n", u"D:\\Mus\u00E9e\\"},
        {"UTF-8 with a mark, Cyrillic", kBom + keyUtf8 + " = " + cyrillic + "\r\n", u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\"},
        {"UTF-8 without a mark, French", keyUtf8 + " = " + musee + "\r\n", u"D:\\Mus\u00E9e\\"},
        {"UTF-8 without a mark, Cyrillic", keyUtf8 + " = " + cyrillic, u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\"},
        {"UTF-8 without a mark, ASCII folder", "; \xC3\xA9t\xC3\xA9\r\n" + keyUtf8 + " = D:\\M\\", u"D:\\M\\"},
        {"Windows-1252, the euro sign", kKey + " = D:\\\x80\\", u"D:\\\u20AC\\"},
        {"a mark, a lone surrogate as written for a name", kBom + keyUtf8 + " = D:\\\xED\xA0\xBC\\", u"D:\\\xD83C\\"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini, c.file);
        Prefs prefs(files);
        ASSERT_TRUE(prefs.open(ini)) << c.name;
        EXPECT_EQ(prefs.readString(kFolderKey, u"<absent>"), c.want) << c.name;
        prefs.close();
        EXPECT_EQ(ReadBytes(ini), c.file) << c.name << ": reading never writes";
    }
}

// Windows-1252 whenever it spells the folder, byte for byte as always; UTF-8
// with a mark only otherwise, and then the other lines come along.
TEST_F(PrefsFileOnDisk, WritesUtf8OnlyForAFolderTheCodePageCannotSpell) {
    struct Case {
        const char* name;
        std::string before;
        std::u16string folder;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"French, fresh file", "", u"D:\\Mus\u00E9e\\", kKey + " = D:\\Mus\xE9" "e\\\r\n"},
        {"Cyrillic, fresh file", "", u"C:\\\u041C\u0443\\",
         kBom + "\r\nR\xC3\xA9pertoire = C:\\\xD0\x9C\xD1\x83\\\r\n"},
        {"emoji and a lone surrogate", "", u"C:\\\U0001F3B5\xDC00\\",
         kBom + "\r\nR\xC3\xA9pertoire = C:\\\xF0\x9F\x8E\xB5\xED\xB0\x80\\\r\n"},
        {"the other lines turn to UTF-8 too", "; \xC9t\xE9\r\nx=\xE9\r\n", u"C:\\\u6D99\\",
         kBom + "\r\n; \xC3\x89t\xC3\xA9\r\nx=\xC3\xA9\r\nR\xC3\xA9pertoire = C:\\\xE6\xB6\x99\\\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini, c.before);
        {
            Prefs prefs(files);
            ASSERT_TRUE(prefs.open(ini)) << c.name;
            prefs.writeString(kFolderKey, c.folder);
            prefs.close();
        }
        EXPECT_EQ(ReadBytes(ini), c.after) << c.name;
        Prefs again(files);
        ASSERT_TRUE(again.open(ini)) << c.name;
        EXPECT_EQ(again.readString(kFolderKey, u""), c.folder) << c.name;
        if (!c.before.empty()) {
            EXPECT_EQ(again.readString("x", "?"), "\xE9") << c.name;
        }
    }
}

TEST_F(PrefsFileOnDisk, ShorterTextCutsTheFile) {
    WriteBytes(ini, kKey + " = C:\\A very long folder name\\\r\nother = 2\r\n");
    Prefs prefs(files);
    ASSERT_TRUE(prefs.open(ini));
    prefs.writeString(kFolderKey, "E:\\");
    prefs.close();
    EXPECT_EQ(ReadBytes(ini), kKey + " = E:\\\r\nother = 2\r\n");
}

TEST_F(PrefsFileOnDisk, OpeningAnotherClosesAndWritesTheFirst) {
    std::string other = dir / "other.ini";
    WriteBytes(other, "a=1");
    Prefs prefs(files);
    ASSERT_TRUE(prefs.create(ini));
    prefs.writeString(kFolderKey, "A\\");
    ASSERT_TRUE(prefs.open(other));
    EXPECT_EQ(ReadBytes(ini), kKey + " = A\\\r\n");
    EXPECT_EQ(prefs.readString(kFolderKey, "none"), "none");
    EXPECT_EQ(prefs.readString("a", ""), "1");
    prefs.writeString("a", "2");
    ASSERT_TRUE(prefs.create(dir / "third.ini"));
    EXPECT_EQ(ReadBytes(other), "a = 2\r\n");
}

TEST_F(PrefsFileOnDisk, StoreHoldsNothingAfterClose) {
    WriteBytes(ini, kKey + "=A");
    Prefs prefs(files);
    ASSERT_TRUE(prefs.open(ini));
    prefs.close();
    EXPECT_FALSE(prefs.isOpen());
    EXPECT_EQ(prefs.readString(kFolderKey, "none"), "none");
    EXPECT_TRUE(prefs.entries().empty());
}

}  // namespace
}  // namespace vireo
