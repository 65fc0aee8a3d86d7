// The second engine: titles that MCI cannot open on a stock Windows (FLAC,
// AAC and ALAC) play through Media Foundation, behind this port.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vireo {

// Which engine holds the open title; None when nothing is open.
enum class Engine { None, Mci, MediaFoundation };

enum class MediaState {
    Closed,    // nothing open
    Creating,  // the file is being opened: nothing is known of it yet
    Opening,   // opened, asked to play, not playing yet
    Playing,
    Paused,
    Stopped,  // played to its end
    Failed,   // could not go on decoding (damaged, protected, no device)
};

// The engine of a title, by the extension after its last dot, in any case:
// MCI for .wav .mp3 .mid .wma; Media Foundation for .flac .m4a .aac, which a
// stock Windows 10 or 11 decodes and MCI cannot open; None for anything else,
// which is no title.
Engine EngineFor(std::u16string_view name);
// The extension after the last dot, its ASCII letters in lower case; "" for none.
std::u16string ExtensionOf(std::u16string_view name);

class MediaPort {
public:
    virtual ~MediaPort() = default;
    // Begins to open one file, audio only, and returns at once: the file may
    // take seconds to answer (a disk that spins up, a share that wakes, a file
    // a sync client fetches first) and the strip must answer meanwhile. False
    // when it cannot even begin; a file nothing decodes fails later (Failed).
    // Closes what was open before.
    virtual bool open(const std::u16string& path) = 0;
    // Milliseconds; -1 while unknown (always while Creating).
    virtual int64_t durationMs() = 0;
    virtual int64_t positionMs() = 0;
    virtual MediaState state() = 0;
    // Plays from `fromMs`, or on from where it stands when it is -1 (or when
    // the title cannot seek).
    virtual bool play(int64_t fromMs) = 0;
    // False when the title cannot pause: it plays on.
    virtual bool pause() = 0;
    // A pause the engine accepted and then refused: true once, and the title
    // plays on.
    virtual bool pauseRefused() = 0;
    virtual void close() = 0;
};

}  // namespace vireo
