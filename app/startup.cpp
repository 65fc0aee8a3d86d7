#include "app/startup.h"

#include "core/storage.h"

namespace vireo {

int64_t FileSizeQuery(DirectoryPort& dirs, std::u16string path) {
    while (!path.empty() && path.back() == u'\\') path.pop_back();
    // An empty name can only be missing; don't hand it to the platform.
    if (path.empty()) return -1;
    const FoundEntry e = dirs.find(path);
    if (!e.found) return -1;
    if (e.directory) return -2;
    return e.size;
}

std::string PlatformTagFor(int64_t answer) {
    return std::string(answer == -2 ? kPlatform64 : kPlatform32);
}

std::string CheckPlatform(DirectoryPort& dirs, std::u16string_view programFilesX86) {
    const std::u16string_view folder = programFilesX86.empty() ? kPlatformCheckPath : programFilesX86;
    return PlatformTagFor(FileSizeQuery(dirs, std::u16string(folder)));
}

std::u16string ProgramDirOf(std::u16string_view programPath) {
    const size_t cut = LastNameAt(programPath);
    if (cut == 0) return u".\\";
    return std::u16string(programPath.substr(0, cut));
}

}  // namespace vireo
