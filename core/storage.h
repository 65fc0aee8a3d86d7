// Ports for files and directories used by the preferences file, the folder scan,
// the folder requester and the platform check.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/names.h"

namespace vireo {

enum class FileAccess { ReadWrite, Read };
enum class FileShare { Read, ReadWrite };
enum class FileCreation { OpenExisting, OpenAlways, CreateAlways };
// How a replace ended. Busy: another program holds a file for a moment (a
// sharing or access refusal), worth another try; Refused: no try will do (a
// read-only file); Unsupported: the volume does not replace (a share or a
// file system that lacks it), and both files keep their names; Displaced:
// the old file went to the backup name, and the new one kept its own.
enum class ReplaceResult { Replaced, Busy, Refused, Unsupported, Displaced };

class OpenFile {
public:
    virtual ~OpenFile() = default;
    virtual bool readAll(std::string& bytes) = 0;
    // At most `most` bytes from `offset` on, and the file's size.
    virtual bool readAt(int64_t offset, size_t most, std::string& bytes, int64_t& size) {
        std::string all;
        if (!readAll(all)) return false;
        size = static_cast<int64_t>(all.size());
        bytes = offset >= 0 && offset < size ? all.substr(static_cast<size_t>(offset), most) : std::string();
        return true;
    }
    // Writes at the start of the file and cuts it at the end of the bytes.
    virtual bool rewrite(std::string_view bytes) = 0;
};

class FilePort {
public:
    virtual ~FilePort() = default;
    // Null when the platform refuses.
    virtual std::unique_ptr<OpenFile> open(const std::u16string& path, FileAccess access,
                                           FileShare share, FileCreation creation) = 0;
    // Puts the closed file `from` in the place of `to`, whole, keeping what the
    // old `to` was besides its bytes (attributes, access rights, creation
    // time); the old one goes by `backup` for that moment, and stays there
    // when Replaced. A rename when there is no `to`.
    virtual ReplaceResult replace(const std::u16string& from, const std::u16string& to,
                                  const std::u16string& backup) = 0;
    // Renames `from` to `to`, over a `to` that exists only when `over`.
    virtual bool rename(const std::u16string& from, const std::u16string& to, bool over) = 0;
    virtual bool remove(const std::u16string& path) = 0;
    // The pause between two tries of a replace.
    virtual void wait(unsigned ms) = 0;
};

enum class ListResult { Listed, NoEntries, CannotStart };

struct FoundEntry {
    bool found = false;
    bool directory = false;
    int64_t size = 0;
};

class DirectoryPort {
public:
    virtual ~DirectoryPort() = default;
    // The entry names of a pattern in enumeration order, as the disk spells them.
    // NoEntries stands for ERROR_FILE_NOT_FOUND; every other failure is CannotStart.
    virtual ListResult list(const std::u16string& pattern, std::vector<std::u16string>& names) = 0;
    // One name looked up.
    virtual FoundEntry find(const std::u16string& name) = 0;
    // The short (8.3) form of an existing path; "" when there is none, as on
    // volumes that keep no short names.
    virtual std::u16string shortPath(const std::u16string&) { return {}; }
    // The order the user's file manager shows names in: below 0 when `a`
    // comes first. By default digits as numbers and ASCII letters without case.
    virtual int compareNames(std::u16string_view a, std::u16string_view b) { return NaturalCompare(a, b); }
};

class FolderRequesterPort {
public:
    virtual ~FolderRequesterPort() = default;
    // Shows the shell's folder browser; the chosen path as the platform gives it,
    // "" when cancelled.
    virtual std::u16string browse(std::string_view prompt, std::u16string_view initialFolder) = 0;
};

}  // namespace vireo
