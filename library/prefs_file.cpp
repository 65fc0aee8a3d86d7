#include "library/prefs_file.h"

#include <cstdint>
#include <new>

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
    // A single-byte text that happened to begin with the mark would be read
    // back as UTF-8; a blank line first keeps it what it is.
    if (!utf8 && text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) text.insert(0, "\r\n");
    return text;
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8ToLatin1(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    auto byteAt = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        unsigned char lead = byteAt(i);
        if (lead < 0x80) {
            out += char(lead);
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte rule out overlong
        // forms, surrogates and code points beyond 10FFFF.
        size_t length = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        uint32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            if (lead == 0xE0) lo = 0xA0;
            if (lead == 0xED) hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            if (lead == 0xF0) lo = 0x90;
            if (lead == 0xF4) hi = 0x8F;
        } else {
            out += '?';
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k < length && i + k < text.size(); ++k) {
            unsigned char b = byteAt(i + k);
            unsigned char min = k == 1 ? lo : 0x80, max = k == 1 ? hi : 0xBF;
            if (b < min || b > max) break;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (k == length && cp <= 0xFF) {
            out += char(cp);
        } else {
            out += '?';
        }
        i += k;
    }
    return out;
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool PreferencesFile::open(const std::string& path) {
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
        std::string_view content = bytes;
        if (content.size() >= 3 && content.substr(0, 3) == kByteOrderMark) {
            utf8_ = true;
            content.remove_prefix(3);
        }
        entries_ = ParsePreferences(content);
    } catch (const std::bad_alloc&) {
        entries_.clear();
        readOnly_ = true;
    }
    return true;
}

int PreferencesFile::findKey(std::string_view key) const {
    if (mode_ == Mode::Closed) return -1;
    std::string wanted = utf8_ ? Latin1ToUtf8(key) : std::string(key);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const PrefEntry& e = entries_[i];
        if (e.kind == PrefEntry::Group) break;
        if (e.kind == PrefEntry::Pair && SameKey(e.key, wanted)) return static_cast<int>(i);
    }
    return -1;
}

std::string PreferencesFile::readString(std::string_view key, std::string_view defaultText) const {
    int i = findKey(key);
    if (i < 0) return std::string(defaultText);
    std::string_view raw = TrimStart(entries_[i].value);
    std::string value = utf8_ ? Utf8ToLatin1(raw) : std::string(raw);
    // The value goes on as a C string to the platform; a NUL ends it.
    if (size_t nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
    return std::string(TrimEnd(value));
}

bool PreferencesFile::create(const std::string& path) {
    close();
    file_ = files_.open(path, FileAccess::ReadWrite, FileShare::Read, FileCreation::CreateAlways);
    if (!file_) return false;
    mode_ = Mode::Opened;
    path_ = path;
    return true;
}

void PreferencesFile::writeString(std::string_view key, std::string_view value) {
    if (mode_ == Mode::Closed) return;
    // A line break would end the line early and start another entry.
    value = value.substr(0, value.find_first_of("\r\n"));
    std::string storedKey = utf8_ ? Latin1ToUtf8(key) : std::string(key);
    std::string storedValue = utf8_ ? Latin1ToUtf8(value) : std::string(value);
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

void PreferencesFile::close() {
    if (mode_ != Mode::Closed && modified_ && !readOnly_) {
        try {
            if (mode_ == Mode::OpenFailed) {
                file_ = files_.open(path_, FileAccess::ReadWrite, FileShare::Read, FileCreation::OpenAlways);
            }
            if (file_) file_->rewrite(SerializePreferences(entries_, utf8_));
        } catch (const std::bad_alloc&) {
            // Write errors at close are not reported.
        }
    }
    reset();
}

void PreferencesFile::reset() {
    file_.reset();
    mode_ = Mode::Closed;
    path_.clear();
    modified_ = false;
    readOnly_ = false;
    utf8_ = false;
    entries_.clear();
}

}  // namespace vireo
