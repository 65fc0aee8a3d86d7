// Fuzz target for the preferences file: the input is the whole file.
//
// Reading must agree with a plain line-by-line model of the grammar and never
// write. A document that was opened and changed, written back and read again,
// keeps every line it did not change byte for byte and reads the written value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/prefs_file.h"

namespace {

using vireo::FileAccess;
using vireo::FileCreation;
using vireo::FileShare;
using vireo::PreferencesFile;
using vireo::PrefEntry;

constexpr std::string_view kMark = "\xEF\xBB\xBF";
// The key as the program holds it, in Windows-1252 (this file is ASCII).
const std::string kKey = "R\xE9pertoire";

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}
#define CHECK(cond)                \
    do {                           \
        if (!(cond)) Fail(#cond);  \
    } while (0)

// One file in memory; counts the writes.
class MemoryFiles : public vireo::FilePort {
public:
    std::string bytes;
    int rewrites = 0;

    std::unique_ptr<vireo::OpenFile> open(const std::string&, FileAccess, FileShare, FileCreation) override {
        return std::make_unique<Handle>(*this);
    }

private:
    struct Handle : vireo::OpenFile {
        explicit Handle(MemoryFiles& f) : f(f) {}
        bool readAll(std::string& out) override {
            out = f.bytes;
            return true;
        }
        bool rewrite(std::string_view b) override {
            f.bytes.assign(b);
            ++f.rewrites;
            return true;
        }
        MemoryFiles& f;
    };
};

bool Blank(char c) { return c == ' ' || c == '\t'; }
std::string_view LTrim(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    return s;
}
std::string_view RTrim(std::string_view s) {
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

// The lines that carry an entry: split at every CR and LF, blank lines left out.
std::vector<std::string> EntryLines(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            std::string_view line = text.substr(start, i - start);
            if (!LTrim(line).empty()) out.emplace_back(line);
            start = i + 1;
        }
    }
    return out;
}

// The grammar, one line at a time.
PrefEntry Model(std::string_view line) {
    std::string_view t = LTrim(line);
    if (t.front() == ';') {
        t.remove_prefix(1);
        if (!t.empty() && t.front() == ' ') t.remove_prefix(1);
        return {PrefEntry::Comment, std::string(t), "", {}};
    }
    if (t.front() == '[') {
        t.remove_prefix(1);
        return {PrefEntry::Group, std::string(t.substr(0, t.find(']'))), "", {}};
    }
    size_t eq = t.find('=');
    std::string value = eq == std::string_view::npos ? "" : std::string(LTrim(t.substr(eq + 1)));
    return {PrefEntry::Pair, std::string(RTrim(t.substr(0, eq))), value, {}};
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Index of the top-level pair a lookup of the stored key finds, or -1.
int Lookup(const std::vector<std::string>& lines, std::string_view storedKey) {
    for (size_t i = 0; i < lines.size(); ++i) {
        PrefEntry e = Model(lines[i]);
        if (e.kind == PrefEntry::Group) return -1;
        if (e.kind == PrefEntry::Pair && SameKey(e.key, storedKey)) return int(i);
    }
    return -1;
}

struct Document {
    bool utf8 = false;
    std::string_view content;
};
Document Split(std::string_view file) {
    if (file.substr(0, 3) == kMark) return {true, file.substr(3)};
    return {false, file};
}

std::string Stored(const Document& d, std::string_view text) {
    return d.utf8 ? vireo::Latin1ToUtf8(text) : std::string(text);
}

uint64_t Hash(const uint8_t* data, size_t size) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 0x100000001b3ull;
    return h;
}

// A folder the player could have stored: one line, no blanks at either end
// (reading drops those), no NUL (reading stops there).
std::string ValueFromBytes(std::string_view raw) {
    std::string v;
    for (char c : raw.substr(0, 300))
        if (c != '\r' && c != '\n' && c != '\0') v += c;
    return std::string(LTrim(RTrim(v)));
}

// Opens the file, sets key to value, closes; checks the document written.
void RoundTrip(MemoryFiles& files, const std::string& key, const std::string& value) {
    const std::string before = files.bytes;
    const Document doc = Split(before);
    const std::vector<std::string> lines = EntryLines(doc.content);

    {
        PreferencesFile prefs(files);
        CHECK(prefs.open("Vireo.ini"));
        prefs.writeString(key, value);
        CHECK(prefs.readString(key, "<none>") == value);
        prefs.close();
    }
    CHECK(files.rewrites == 1);
    const std::string after = files.bytes;

    // The lines: the old ones, the changed one in its place or the new one at
    // the end of the top-level section.
    std::vector<std::string> want = lines;
    const std::string line = Stored(doc, key) + " = " + Stored(doc, value);
    const int at = Lookup(lines, Stored(doc, key));
    if (at >= 0) {
        want[size_t(at)] = line;
    } else {
        size_t end = 0;
        while (end < want.size() && Model(want[end]).kind != PrefEntry::Group) ++end;
        want.insert(want.begin() + long(end), line);
    }
    const Document written = Split(after);
    CHECK(written.utf8 == doc.utf8);
    CHECK(EntryLines(written.content) == want);
    // Every line ends with CR LF, and nothing else is there.
    std::string text;
    for (const std::string& l : want) text += l + "\r\n";
    CHECK(written.content.size() >= text.size());
    CHECK(written.content.substr(written.content.size() - text.size()) == text);
    CHECK(written.content.substr(0, written.content.size() - text.size()).find_first_not_of("\r\n") ==
          std::string_view::npos);

    // Read again: the value comes back, and so do the other top-level keys.
    {
        PreferencesFile prefs(files);
        CHECK(prefs.open("Vireo.ini"));
        CHECK(prefs.readString(key, "<none>") == value);
        MemoryFiles copy;
        copy.bytes = before;
        PreferencesFile was(copy);
        CHECK(was.open("Vireo.ini"));
        // The first few keys stand for all (each lookup walks the document).
        for (size_t i = 0; i < lines.size() && i < 8; ++i) {
            PrefEntry e = Model(lines[i]);
            if (e.kind == PrefEntry::Group) break;
            if (e.kind != PrefEntry::Pair || SameKey(e.key, Stored(doc, key))) continue;
            const std::string k = doc.utf8 ? vireo::Utf8ToLatin1(e.key) : e.key;
            if (Stored(doc, k) != e.key) continue;  // not a key the program can spell
            CHECK(prefs.readString(k, "<none>") == was.readString(k, "<none>"));
        }
        // The same change once more writes the same bytes.
        prefs.writeString(key, value);
        prefs.close();
    }
    CHECK(files.rewrites == 2);
    CHECK(files.bytes == after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Straight from the fuzzer's buffer, so a read past its end is caught.
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const Document doc = Split(file);
    const std::vector<PrefEntry> entries = vireo::ParsePreferences(doc.content);

    const std::vector<std::string> lines = EntryLines(doc.content);
    CHECK(entries.size() == lines.size());
    for (size_t i = 0; i < lines.size(); ++i) CHECK(entries[i] == Model(lines[i]));

    // Reading alone writes nothing, and finds what the model finds.
    MemoryFiles files;
    files.bytes.assign(file);
    {
        PreferencesFile prefs(files);
        CHECK(prefs.open("Vireo.ini"));
        CHECK(prefs.isUtf8() == doc.utf8);
        const std::string got = prefs.readString(kKey, "<none>");
        const int at = Lookup(lines, Stored(doc, kKey));
        if (at < 0) {
            CHECK(got == "<none>");
        } else {
            std::string want = Model(lines[size_t(at)]).value;
            if (doc.utf8) want = vireo::Utf8ToLatin1(want);
            want = want.substr(0, want.find('\0'));
            CHECK(got == RTrim(want));
        }
        prefs.close();
    }
    CHECK(files.rewrites == 0);

    // A change of the folder key, of another spelling of it, of a key of the
    // file, with values of every kind.
    const uint64_t h = Hash(data, size);
    static const std::string values[] = {
        "D:\\Musique\\", "", "E:\\", "C:\\Mus\xE9" "e\\", "\\\\serveur\\partage\\", "a = b", "[G]", "; x",
        "\xEF\xBB\xBF", "\xFF\x80\x9F", std::string(300, 'x'),
    };
    std::string value = values[h % std::size(values)];
    if ((h >> 8) % 3 == 0) value = ValueFromBytes(file.substr(size_t((h >> 16) % (size + 1))));

    std::vector<std::string> keys = {kKey, "r\xE9PERTOIRE"};
    for (const std::string& l : lines) {
        PrefEntry e = Model(l);
        if (e.kind == PrefEntry::Group) break;
        if (e.kind != PrefEntry::Pair) continue;
        std::string k = doc.utf8 ? vireo::Utf8ToLatin1(e.key) : e.key;
        if (Stored(doc, k) == e.key && k.find('\0') == std::string::npos) keys.push_back(k);
    }
    const std::string& key = keys[(h >> 24) % keys.size()];
    RoundTrip(files, key, value);
    return 0;
}
