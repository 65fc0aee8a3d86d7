// Fuzz target for the preferences file: the input is the whole file.
//
// Reading must agree with a plain line-by-line model of the grammar and of the
// encodings (a UTF-8 mark; a UTF-16 mark of either byte order; else UTF-8 when
// the bytes are well-formed UTF-8 beyond ASCII; else Windows-1252), and never
// write. A document opened and changed,
// written back and read again: when the code page spells the value a
// single-byte document stays single-byte, every other line byte for byte;
// otherwise it turns into UTF-8 with a mark and every other line keeps its
// meaning. The value reads back, lone surrogates included.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/prefs_file.h"
#include "tests/fuzz/property.h"
#include "tests/fuzz/text_model.h"

namespace {

using vireo::FileAccess;
using vireo::FileCreation;
using vireo::FileShare;
using vireo::PreferencesFile;
using vireo::PrefEntry;
namespace model = vireo::fuzz;

constexpr std::string_view kMark = "\xEF\xBB\xBF";
// The key as the program holds it, in Windows-1252 (this file is ASCII).
const std::string kKey = "R\xE9pertoire";
const std::u16string kNone = u"<none>";

// One file in memory; counts the writes.
class MemoryFiles : public vireo::FilePort {
public:
    std::string bytes;
    int rewrites = 0;

    std::unique_ptr<vireo::OpenFile> open(const std::u16string&, FileAccess, FileShare, FileCreation) override {
        return std::make_unique<Handle>(*this);
    }
    vireo::ReplaceResult replace(const std::u16string&, const std::u16string&, const std::u16string&) override {
        return vireo::ReplaceResult::Refused;
    }
    bool rename(const std::u16string&, const std::u16string&, bool) override { return false; }
    bool remove(const std::u16string&) override { return false; }
    void wait(unsigned) override {}

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

template <typename S>
S LTrim(S s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}
template <typename S>
S RTrim(S s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
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

std::vector<PrefEntry> Model(const std::vector<std::string>& lines) {
    std::vector<PrefEntry> out;
    for (const std::string& l : lines) out.push_back(Model(l));
    return out;
}

// Index of the top-level pair a lookup of the stored key finds, or -1.
int Lookup(const std::vector<PrefEntry>& entries, std::string_view storedKey) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const PrefEntry& e = entries[i];
        if (e.kind == PrefEntry::Group) return -1;
        if (e.kind == PrefEntry::Pair && SameKey(e.key, storedKey)) return int(i);
    }
    return -1;
}

bool LooksUtf8(std::string_view bytes) {
    bool high = false;
    for (char c : bytes) high = high || uint8_t(c) > 0x7F;
    return high && model::DecodeUtf8(bytes, false).wellFormed;
}

// A file by the model: its encoding, its entry lines and what they hold.
struct Document {
    bool utf8 = false;
    std::vector<std::string> lines;
    std::vector<PrefEntry> entries;
};
Document Split(std::string_view file) {
    Document d;
    std::string text;
    if (file.substr(0, 2) == "\xFF\xFE" || file.substr(0, 2) == "\xFE\xFF") {
        const bool big = file[0] == '\xFE';
        std::u16string units;
        for (size_t i = 2; i + 1 < file.size(); i += 2)
            units += char16_t(uint8_t(file[i + (big ? 1 : 0)]) | uint8_t(file[i + (big ? 0 : 1)]) << 8);
        d.utf8 = true;
        text = model::Utf8(units);
        file = text;
    } else if (file.substr(0, 3) == kMark) {
        d.utf8 = true;
        file.remove_prefix(3);
    } else {
        d.utf8 = LooksUtf8(file);
    }
    d.lines = EntryLines(file);
    d.entries = Model(d.lines);
    return d;
}

// A program text (Windows-1252) as a document spells it.
std::string Stored(bool utf8, std::string_view text) { return utf8 ? model::Utf8(model::Widen(text)) : std::string(text); }

// What readString gives for a value as written: blanks at either end dropped,
// and nothing from a NUL on.
std::u16string ReadBack(std::u16string_view v) {
    v = LTrim(v);
    return std::u16string(RTrim(v.substr(0, v.find(u'\0'))));
}

// readString of a document, by the model.
std::u16string ModelRead(const Document& doc, std::string_view key) {
    const int at = Lookup(doc.entries, Stored(doc.utf8, key));
    if (at < 0) return kNone;
    const std::string_view value = doc.entries[size_t(at)].value;
    const std::string_view raw = RTrim(value.substr(0, value.find('\0')));
    return doc.utf8 ? model::DecodeUtf8(raw, true).units : model::Widen(raw);
}

// The top-level keys of the document the program could ask for: those that are
// the spelling of some Windows-1252 text, without NUL; the first few stand for
// all (each lookup walks the document).
std::vector<std::string> ProgramKeys(const Document& doc) {
    std::vector<std::string> keys;
    for (const PrefEntry& e : doc.entries) {
        if (e.kind == PrefEntry::Group || keys.size() == 8) break;
        if (e.kind != PrefEntry::Pair || e.key.find('\0') != std::string::npos) continue;
        const std::optional<std::string> k =
            doc.utf8 ? model::Spell(model::DecodeUtf8(e.key, true).units) : std::optional<std::string>(e.key);
        if (k && Stored(doc.utf8, *k) == e.key) keys.push_back(*k);
    }
    return keys;
}

uint64_t Hash(const uint8_t* data, size_t size) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 0x100000001b3ull;
    return h;
}

bool SpellsFolderKey(std::string_view key) { return SameKey(key, kKey); }

// Opens the file, sets key to value, closes; checks the document written.
void RoundTrip(MemoryFiles& files, const std::string& key, const std::u16string& value) {
    const std::string before = files.bytes;
    const Document doc = Split(before);

    // A value is one line.
    const std::u16string line = value.substr(0, value.find_first_of(u"\r\n"));
    const std::optional<std::string> spelled = model::Spell(line);
    const bool utf8 = doc.utf8 || !spelled;
    {
        PreferencesFile prefs(files);
        CHECK(prefs.open(u"Vireo.ini"));
        prefs.writeString(key, value);
        CHECK(prefs.isUtf8() == utf8);
        CHECK(prefs.readString(key, kNone) == ReadBack(line));
        prefs.close();
    }
    CHECK(files.rewrites == 1);
    const std::string after = files.bytes;

    // The lines, turned to UTF-8 when the document is; the changed one in its
    // place or the new one at the end of the top-level section.
    std::vector<std::string> want = doc.lines;
    if (utf8 && !doc.utf8)
        for (std::string& l : want) l = Stored(true, l);
    const std::string changed = Stored(utf8, key) + " = " + (utf8 ? model::Utf8(line) : *spelled);
    const int at = Lookup(Model(want), Stored(utf8, key));
    if (at >= 0) {
        want[size_t(at)] = changed;
    } else {
        size_t end = 0;
        while (end < want.size() && doc.entries[end].kind != PrefEntry::Group) ++end;
        want.insert(want.begin() + long(end), changed);
    }
    // Every line ends with CR LF; a UTF-8 document starts with the mark on a
    // line of its own, a single-byte one never starts like the mark.
    std::string text;
    for (const std::string& l : want) text += l + "\r\n";
    if (utf8)
        CHECK(after == std::string(kMark) + "\r\n" + text);
    else
        CHECK(after == (text.substr(0, 3) == kMark || text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF"
                            ? "\r\n"
                            : "") + text);

    // Read again. The folder key's "\xE9p" keeps a single-byte document from
    // ever reading as UTF-8; a key of the file given a value such as "\u00C3\u00A9"
    // may not, and then only the bytes written are checked.
    const Document written = Split(after);
    if (SpellsFolderKey(key)) CHECK(written.utf8 == utf8);
    {
        PreferencesFile prefs(files);
        CHECK(prefs.open(u"Vireo.ini"));
        if (written.utf8 == utf8) {
            CHECK(prefs.readString(key, kNone) == ReadBack(line));
            // Every other line means what it meant.
            for (const std::string& k : ProgramKeys(doc))
                if (!SameKey(Stored(doc.utf8, k), Stored(doc.utf8, key)))
                    CHECK(prefs.readString(k, kNone) == ModelRead(doc, k));
        }
        // The same change once more writes the same bytes.
        prefs.writeString(key, value);
        prefs.close();
    }
    CHECK(files.rewrites == 2);
    if (written.utf8 == utf8) CHECK(files.bytes == after);
}

// Values of every kind: ones the code page spells, ones it cannot, lone
// surrogates, and line breaks, NULs and blanks that do not come back.
std::u16string Value(uint64_t h, std::string_view file) {
    static const std::u16string values[] = {
        u"D:\\Musique\\", u"", u"C:\\Mus\u00E9e\\", u"\\\\serveur\\partage\\", u"a = b", u"[G]", u"; x",
        u"\u20AC\u0081\u0178\u00FF",            // the code page's row 80-9F and its last byte
        u"\u00EF\u00BB\u00BF", u"\u00C3\u00A9",  // single bytes that look like UTF-8
        u"\uFEFF", u"C:\\\u0141\u00F3d\u017A\\", u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\",
        u"D:\\\U0001F3B5\\", u"D:\\\xD83C\\", u"\xDC00x", u"\xDFB5\xD83C", u"x\xD800", u"\xD800\xD800\xDC00",
        u"a\rb", u"C:\\\u0141\nR\u00E9pertoire = x", u" \t padded \t ", std::u16string(u"nul\0\u0141", 5),
        std::u16string(300, u'x'),
    };
    std::u16string v = values[h % std::size(values)];
    // A stretch of the input, as units or as single bytes.
    if ((h >> 8) % 3 == 0) {
        const std::string_view raw = file.substr(size_t((h >> 16) % (file.size() + 1))).substr(0, 600);
        v.clear();
        if ((h >> 40) & 1) {
            for (size_t i = 0; i + 1 < raw.size(); i += 2) v += char16_t(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8);
        } else {
            v = model::Widen(raw.substr(0, 300));
        }
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Straight from the fuzzer's buffer, so a read past its end is caught.
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const Document doc = Split(file);
    CHECK(vireo::LooksLikeUtf8(file) == LooksUtf8(file));
    CHECK(vireo::ParsePreferences(vireo::DecodeFileText(file).text) == doc.entries);

    // Reading alone writes nothing, and finds what the model finds.
    std::vector<std::string> keys = ProgramKeys(doc);
    keys.insert(keys.begin(), {kKey, "r\xE9PERTOIRE"});
    MemoryFiles files;
    files.bytes.assign(file);
    {
        PreferencesFile prefs(files);
        CHECK(prefs.open(u"Vireo.ini"));
        CHECK(prefs.isUtf8() == doc.utf8);
        for (const std::string& k : keys) CHECK(prefs.readString(k, kNone) == ModelRead(doc, k));
        prefs.close();
    }
    CHECK(files.rewrites == 0);

    // A change of the folder key, of another spelling of it, of a key of the
    // file, with a value of any kind.
    const uint64_t h = Hash(data, size);
    RoundTrip(files, keys[(h >> 24) % keys.size()], Value(h, file));
    return 0;
}
