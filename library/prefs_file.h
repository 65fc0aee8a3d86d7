// The key/value preferences file: read whole on open, written whole on close
// when something changed.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/storage.h"

namespace vireo {

constexpr const char16_t* kPreferencesFileName = u"Vireo.ini";
constexpr const char* kFolderKey = "Répertoire";

struct PrefEntry {
    enum Kind { Group, Comment, Pair };
    Kind kind = Pair;
    std::string key;    // group name, comment text or key
    std::string value;  // pairs only; trailing blanks kept as read
    // The line as read, written back as it was; "" for a new or changed entry.
    std::string line;

    // Equal in meaning; the spelling of the line does not count.
    bool operator==(const PrefEntry& o) const { return kind == o.kind && key == o.key && value == o.value; }
};

// The bytes of a document (after any byte-order mark) into entries, in file order.
std::vector<PrefEntry> ParsePreferences(std::string_view content);
// The whole file text for the entries, one CR LF line each: an entry read from
// a file as its line was, any other one spelled out. A UTF-8 document starts
// with the mark and CR LF.
std::string SerializePreferences(const std::vector<PrefEntry>& entries, bool utf8);

// A file without a byte-order mark is read as UTF-8 when its bytes are
// well-formed UTF-8 and hold a byte over 7F (a Windows-1252 "Répertoire" never
// is); as Windows-1252 otherwise.
bool LooksLikeUtf8(std::string_view content);

// The text of a file as the parser reads it: what follows a UTF-8 mark; what
// follows a UTF-16 mark (either byte order, as Notepad saves it), turned into
// UTF-8, an odd last byte dropped; else the bytes themselves.
struct FileText {
    std::string text;
    bool utf8 = false;
};
FileText DecodeFileText(std::string_view bytes);

// ASCII letters compare without regard to case; every other byte must match.
bool SameKey(std::string_view a, std::string_view b);

class PreferencesFile {
public:
    explicit PreferencesFile(FilePort& files) : files_(files) {}
    ~PreferencesFile() { close(); }
    PreferencesFile(const PreferencesFile&) = delete;
    PreferencesFile& operator=(const PreferencesFile&) = delete;

    // Opens an existing file and reads it in; never creates one.
    bool open(const std::u16string& path);
    // Keys are the program's own texts (Windows-1252); values are names, in
    // whichever encoding the document holds them.
    std::u16string readString(std::string_view key, std::u16string_view defaultValue) const;
    // Starts an empty document that replaces the file at close. Fails when
    // its folder takes no new file.
    bool create(const std::u16string& path);
    // A value is one line: it ends at a line break. A single-byte document that
    // can't spell the value becomes a UTF-8 document, byte-order mark included.
    void writeString(std::string_view key, std::u16string_view value);
    // Writes the document back when it was modified (a created one always),
    // then forgets it. A created document goes to a new file beside the old one
    // first, which takes the old one's place only once it is written whole,
    // tried again for a moment while another program holds the old one: false,
    // and the old bytes untouched, when that failed.
    bool close();

    // For tests and diagnostics.
    bool isOpen() const { return mode_ != Mode::Closed; }
    bool isReadOnly() const { return readOnly_; }
    bool isUtf8() const { return utf8_; }
    bool isModified() const { return modified_; }
    const std::vector<PrefEntry>& entries() const { return entries_; }

private:
    enum class Mode { Closed, Opened, OpenFailed, Created };

    // Index of the first key of the top-level section equal to key, or -1.
    int findKey(std::string_view key) const;
    // A program text in the document's encoding.
    std::string stored(std::string_view text) const;
    void becomeUtf8();
    void reset();

    FilePort& files_;
    Mode mode_ = Mode::Closed;
    std::unique_ptr<OpenFile> file_;
    std::u16string path_;
    std::u16string newPath_;  // the file a created document is written to first
    bool modified_ = false;
    bool readOnly_ = false;
    bool utf8_ = false;
    std::vector<PrefEntry> entries_;
};

}  // namespace vireo
