// File and directory ports over the real POSIX file system, for the unit tests.
// Backslashes in paths are taken as slashes, so the core's Windows-style paths work.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/names.h"
#include "core/storage.h"

namespace vireo::test {

inline std::string PosixPath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A fresh folder under the system's temporary folder, removed with its content.
class LibraryTempDir {
public:
    LibraryTempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/vireo-lib-XXXXXX";
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl + "/";
    }
    ~LibraryTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    LibraryTempDir(const LibraryTempDir&) = delete;
    LibraryTempDir& operator=(const LibraryTempDir&) = delete;

    // Ends with a slash.
    const std::string& path() const { return path_; }
    std::u16string path16() const { return FromUtf8(path_); }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(PosixPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(PosixPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(PosixPath(path).c_str(), &st) == 0;
}

class PosixOpenFile : public OpenFile {
public:
    explicit PosixOpenFile(int fd) : fd_(fd) {}
    ~PosixOpenFile() override { ::close(fd_); }
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    bool readAll(std::string& bytes) override {
        bytes.clear();
        char buf[4096];
        for (;;) {
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n < 0) return false;
            if (n == 0) return true;
            bytes.append(buf, static_cast<size_t>(n));
        }
    }
    bool rewrite(std::string_view bytes) override {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return ::ftruncate(fd_, static_cast<off_t>(bytes.size())) == 0;
    }

private:
    int fd_;
};

// Sharing can't be expressed on POSIX; `refuse` stands in for a file the
// platform won't open in some mode (locked, read-only, directory not writable).
class PosixFiles : public FilePort {
public:
    struct Call {
        std::string path;
        FileAccess access;
        FileShare share;
        FileCreation creation;
        bool granted;
    };
    std::vector<Call> calls;
    std::function<bool(const Call&)> refuse;

    std::unique_ptr<OpenFile> open(const std::u16string& path16, FileAccess access, FileShare share,
                                   FileCreation creation) override {
        const std::string path = ToUtf8(path16);
        Call call{path, access, share, creation, false};
        if (refuse && refuse(call)) {
            calls.push_back(call);
            return nullptr;
        }
        int flags = access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY;
        if (creation == FileCreation::OpenAlways) flags |= O_CREAT;
        if (creation == FileCreation::CreateAlways) flags |= O_CREAT | O_TRUNC;
        int fd = ::open(PosixPath(path).c_str(), flags | O_CLOEXEC, 0644);
        call.granted = fd >= 0;
        calls.push_back(call);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixOpenFile>(fd);
    }
    // How each try of a replace ends (0 first), as the volume and another
    // program's hold decide: Replaced lets it go on, Displaced moves the old
    // file to the backup name and stops there. A target without write
    // permission is Refused, as a read-only file is on Windows, and so is a
    // replace whose backup name is taken. Renames of a file in `stuck` fail.
    std::function<ReplaceResult(int)> holder;
    std::vector<std::string> stuck;
    int replaceTries = 0;
    std::vector<unsigned> waits;
    ReplaceResult replace(const std::u16string& from, const std::u16string& to, const std::u16string& backup) override {
        const ReplaceResult held = holder ? holder(replaceTries++) : ReplaceResult::Replaced;
        const std::string target = PosixPath(ToUtf8(to)), old = PosixPath(ToUtf8(backup));
        struct stat st {};
        const bool missing = ::stat(target.c_str(), &st) != 0;
        if (!missing && (!(st.st_mode & S_IWUSR) || ::access(old.c_str(), F_OK) == 0)) return ReplaceResult::Refused;
        if (held != ReplaceResult::Replaced && held != ReplaceResult::Displaced) return held;
        if (missing) return rename(from, to, false) ? ReplaceResult::Replaced : ReplaceResult::Refused;
        ::rename(target.c_str(), old.c_str());
        if (held == ReplaceResult::Displaced) return held;
        return ::rename(PosixPath(ToUtf8(from)).c_str(), target.c_str()) ? ReplaceResult::Refused : ReplaceResult::Replaced;
    }
    bool rename(const std::u16string& from, const std::u16string& to, bool over) override {
        const std::string target = PosixPath(ToUtf8(to));
        struct stat st {};
        if (std::count(stuck.begin(), stuck.end(), ToUtf8(from)) || (!over && ::stat(target.c_str(), &st) == 0)) return false;
        return ::rename(PosixPath(ToUtf8(from)).c_str(), target.c_str()) == 0;
    }
    bool remove(const std::u16string& path) override { return ::unlink(PosixPath(ToUtf8(path)).c_str()) == 0; }
    void wait(unsigned ms) override { waits.push_back(ms); }
};

// Lists a folder in name order, "." and ".." included as on Windows. Paths
// and names are UTF-8 on this side.
class PosixDirectories : public DirectoryPort {
public:
    std::vector<std::string> patterns;

    ListResult list(const std::u16string& pattern16, std::vector<std::u16string>& entries) override {
        const std::string pattern = ToUtf8(pattern16);
        patterns.push_back(pattern);
        entries.clear();
        std::string p = PosixPath(pattern);
        const std::string all = "*.*";
        if (p.size() < all.size() || p.compare(p.size() - all.size(), all.size(), all) != 0) {
            return ListResult::CannotStart;
        }
        p.resize(p.size() - all.size());
        if (p.empty()) p = ".";
        DIR* d = ::opendir(p.c_str());
        if (!d) return ListResult::CannotStart;
        while (dirent* e = ::readdir(d)) entries.push_back(FromUtf8(e->d_name));
        ::closedir(d);
        std::sort(entries.begin(), entries.end());
        return entries.empty() ? ListResult::NoEntries : ListResult::Listed;
    }

    FoundEntry find(const std::u16string& name) override {
        struct stat st {};
        if (::stat(PosixPath(ToUtf8(name)).c_str(), &st) != 0) return {};
        return {true, S_ISDIR(st.st_mode), static_cast<int64_t>(st.st_size)};
    }
};

}  // namespace vireo::test
