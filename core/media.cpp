#include "core/media.h"

namespace vireo {

std::u16string ExtensionOf(std::u16string_view name) {
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return {};
    std::u16string extension(name.substr(dot + 1));
    // Only ASCII letters can lower-case into an extension: no look-alike.
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 0x20);
    return extension;
}

Engine EngineFor(std::u16string_view name) {
    const std::u16string extension = ExtensionOf(name);
    for (const char16_t* e : {u"wav", u"mp3", u"mid", u"wma"})
        if (extension == e) return Engine::Mci;
    // Not .ogg or .opus: a stock Windows needs a Store extension for them.
    for (const char16_t* e : {u"flac", u"m4a", u"aac"})
        if (extension == e) return Engine::MediaFoundation;
    return Engine::None;
}

}  // namespace vireo
