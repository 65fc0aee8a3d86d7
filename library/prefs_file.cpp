#include "library/prefs_file.h"

#include <cstdint>
#include <new>

#include "core/names.h"

namespace vireo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view TrimStart(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimEnd(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// The search indexer, a virus scanner or a sync client opens a file it saw
// change for a few milliseconds: a replace they refuse is tried again for
// about half a second before the save counts as failed.
constexpr int kReplaceRetries = 5;
constexpr unsigned kReplaceRetryMs = 100;

// Every way has failed. Where the old file is stuck under the backup name,
// the new one or else the old one takes the name the player reads: the
// settings are never left under a name that nothing reads.
bool SettleName(FilePort& files, const std::u16string& from, const std::u16string& to, const std::u16string& backup) {
    if (files.rename(from, to, false)) {
        files.remove(backup);
        return true;
    }
    files.rename(backup, to, false);
    return false;
}

bool ReplaceWhole(FilePort& files, const std::u16string& from, const std::u16string& to) {
    const std::u16string backup = to + u".old";
    // Left by a save that broke off, it would stand in the replace's way.
    files.remove(backup);
    for (int retry = 0;; ++retry) {
        switch (files.replace(from, to, backup)) {
        case ReplaceResult::Replaced:
            files.remove(backup);
            return true;
        case ReplaceResult::Refused:
            return false;
        case ReplaceResult::Unsupported:
            // Both files still have their names: the plain rename, once.
            return files.rename(from, to, true) || SettleName(files, from, to, backup);
        case ReplaceResult::Displaced:
            // The old one back in its place for the next try.
            files.rename(backup, to, false);
            break;
        case ReplaceResult::Busy:
            break;
        }
        if (retry == kReplaceRetries) return SettleName(files, from, to, backup);
        files.wait(kReplaceRetryMs);
    }
}

}  // namespace

std::vector<PrefEntry> ParsePreferences(std::string_view s) {
    std::vector<PrefEntry> out;
    size_t i = 0;
    while (i < s.size()) {
        if (IsLineEnd(s[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < s.size() && !IsLineEnd(s[end])) ++end;
        const std::string_view raw = s.substr(i, end - i);
        std::string_view line = TrimStart(raw);
        i = end;
        if (line.empty()) continue;

        PrefEntry e;
        e.line = raw;
        if (line.front() == ';') {
            std::string_view text = line.substr(1);
            if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
            e.kind = PrefEntry::Comment;
            e.key = text;
        } else if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            e.kind = PrefEntry::Group;
            e.key = name;
        } else {
            size_t eq = line.find('=');
            e.kind = PrefEntry::Pair;
            e.key = TrimEnd(line.substr(0, eq));
            if (eq != std::string_view::npos) e.value = TrimStart(line.substr(eq + 1));
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::string SerializePreferences(const std::vector<PrefEntry>& entries, bool utf8) {
    std::string text;
    if (utf8) {
        text += kByteOrderMark;
        text += "\r\n";
    }
    for (const PrefEntry& e : entries) {
        if (!e.line.empty()) {
            text += e.line;
            text += "\r\n";
            continue;
        }
        switch (e.kind) {
        case PrefEntry::Group:
            text += "[" + e.key + "]";
            break;
        case PrefEntry::Comment:
            text += "; " + e.key;
            break;
        case PrefEntry::Pair:
            text += e.key + " = " + e.value;
            break;
        }
        text += "\r\n";
    }
    // A single-byte text that happened to begin with a mark would be read back
    // as UTF-8 or UTF-16; a blank line first keeps it what it is.
    if (!utf8 && (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 || text.compare(0, 2, "\xFF\xFE") == 0 ||
                  text.compare(0, 2, "\xFE\xFF") == 0))
        text.insert(0, "\r\n");
    return text;
}

bool LooksLikeUtf8(std::string_view content) {
    bool high = false;
    for (char c : content) high = high || static_cast<unsigned char>(c) > 0x7F;
    return high && IsWellFormedUtf8(content);
}

FileText DecodeFileText(std::string_view bytes) {
    if (bytes.substr(0, 3) == kByteOrderMark) return {std::string(bytes.substr(3)), true};
    const bool little = bytes.substr(0, 2) == "\xFF\xFE", big = bytes.substr(0, 2) == "\xFE\xFF";
    if (!little && !big) return {std::string(bytes), LooksLikeUtf8(bytes)};
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        units += char16_t(little ? a | b << 8 : b | a << 8);
    }
    return {ToUtf8(units), true};
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool PreferencesFile::open(const std::u16string& path) {
    close();
    struct Attempt {
        FileAccess access;
        FileShare share;
        bool readOnly;
    };
    static constexpr Attempt attempts[] = {
        {FileAccess::ReadWrite, FileShare::Read, false},
        {FileAccess::Read, FileShare::Read, true},
        {FileAccess::Read, FileShare::ReadWrite, true},
    };
    path_ = path;
    for (const Attempt& a : attempts) {
        file_ = files_.open(path, a.access, a.share, FileCreation::OpenExisting);
        if (file_) {
            readOnly_ = a.readOnly;
            break;
        }
    }
    if (!file_) {
        // Only the path is kept, for a write at close.
        mode_ = Mode::OpenFailed;
        return false;
    }
    mode_ = Mode::Opened;
    try {
        std::string bytes;
        if (!file_->readAll(bytes)) {
            // What could not be read must not be overwritten by a partial document.
            readOnly_ = true;
            return true;
        }
        const FileText content = DecodeFileText(bytes);
        utf8_ = content.utf8;
        entries_ = ParsePreferences(content.text);
    } catch (const std::bad_alloc&) {
        entries_.clear();
        readOnly_ = true;
    }
    return true;
}

int PreferencesFile::findKey(std::string_view key) const {
    if (mode_ == Mode::Closed) return -1;
    const std::string wanted = stored(key);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const PrefEntry& e = entries_[i];
        if (e.kind == PrefEntry::Group) break;
        if (e.kind == PrefEntry::Pair && SameKey(e.key, wanted)) return static_cast<int>(i);
    }
    return -1;
}

std::u16string PreferencesFile::readString(std::string_view key, std::u16string_view defaultValue) const {
    int i = findKey(key);
    if (i < 0) return std::u16string(defaultValue);
    std::string_view raw = TrimStart(entries_[i].value);
    // The value goes on as a C string to the platform; a NUL ends it.
    raw = TrimEnd(raw.substr(0, raw.find('\0')));
    return utf8_ ? FromUtf8(raw) : WidenCp1252(raw);
}

std::string PreferencesFile::stored(std::string_view text) const {
    return utf8_ ? ToUtf8(WidenCp1252(text)) : std::string(text);
}

void PreferencesFile::becomeUtf8() {
    auto convert = [](std::string& s) { s = ToUtf8(WidenCp1252(s)); };
    for (PrefEntry& e : entries_) {
        convert(e.key);
        convert(e.value);
        convert(e.line);
    }
    utf8_ = true;
}

bool PreferencesFile::create(const std::u16string& path) {
    close();
    // Emptied at once, the old file would be lost to a write that fails later.
    newPath_ = path + u".new";
    file_ = files_.open(newPath_, FileAccess::ReadWrite, FileShare::Read, FileCreation::CreateAlways);
    if (!file_) return false;
    mode_ = Mode::Created;
    path_ = path;
    return true;
}

void PreferencesFile::writeString(std::string_view key, std::u16string_view value) {
    if (mode_ == Mode::Closed) return;
    // A line break would end the line early and start another entry.
    value = value.substr(0, value.find_first_of(u"\r\n"));
    std::optional<std::string> spelled;
    if (!utf8_ && !(spelled = ExactCp1252(value))) becomeUtf8();
    std::string storedKey = stored(key);
    std::string storedValue = utf8_ ? ToUtf8(value) : *spelled;
    int i = findKey(key);
    if (i >= 0) {
        entries_[i].key = std::move(storedKey);
        entries_[i].value = std::move(storedValue);
        entries_[i].line.clear();
    } else {
        size_t at = 0;
        while (at < entries_.size() && entries_[at].kind != PrefEntry::Group) ++at;
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at),
                        PrefEntry{PrefEntry::Pair, std::move(storedKey), std::move(storedValue), {}});
    }
    modified_ = true;
}

bool PreferencesFile::close() {
    bool written = true;
    if (mode_ == Mode::Created) {
        try {
            written = file_->rewrite(SerializePreferences(entries_, utf8_));
        } catch (const std::bad_alloc&) {
            written = false;
        }
        file_.reset();
        written = written && ReplaceWhole(files_, newPath_, path_);
        if (!written) files_.remove(newPath_);
    } else if (mode_ != Mode::Closed && modified_ && !readOnly_) {
        try {
            if (mode_ == Mode::OpenFailed) {
                file_ = files_.open(path_, FileAccess::ReadWrite, FileShare::Read, FileCreation::OpenAlways);
            }
            written = file_ && file_->rewrite(SerializePreferences(entries_, utf8_));
        } catch (const std::bad_alloc&) {
            written = false;
        }
    }
    reset();
    return written;
}

void PreferencesFile::reset() {
    file_.reset();
    mode_ = Mode::Closed;
    path_.clear();
    newPath_.clear();
    modified_ = false;
    readOnly_ = false;
    utf8_ = false;
    entries_.clear();
}

}  // namespace vireo
