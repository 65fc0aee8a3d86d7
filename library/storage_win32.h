// Win32 implementations of the file, directory and folder-requester ports.
#pragma once
#include "core/storage.h"

namespace vireo {

class Win32Files : public FilePort {
public:
    std::unique_ptr<OpenFile> open(const std::u16string& path, FileAccess access, FileShare share,
                                   FileCreation creation) override;
    ReplaceResult replace(const std::u16string& from, const std::u16string& to, const std::u16string& backup) override;
    bool rename(const std::u16string& from, const std::u16string& to, bool over) override;
    bool remove(const std::u16string& path) override;
    void wait(unsigned ms) override;
};

class Win32Directories : public DirectoryPort {
public:
    ListResult list(const std::u16string& pattern, std::vector<std::u16string>& names) override;
    FoundEntry find(const std::u16string& name) override;
    std::u16string shortPath(const std::u16string& path) override;
    // As the user's Explorer: digits as numbers, case and accents by the locale.
    int compareNames(std::u16string_view a, std::u16string_view b) override;
};

// The shell's folder browser. COM must be initialised on the thread.
class Win32FolderRequester : public FolderRequesterPort {
public:
    std::u16string browse(std::string_view prompt, std::u16string_view initialFolder) override;
};

}  // namespace vireo
