// The demo tunes bundled with the run command: a few short pieces rendered by
// additive synthesis into WAV, and one minuet as a Standard MIDI File.
// Header-only so that the generator and its unit test share it.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vireo::demo {

constexpr int kRate = 22050;  // mono, 16-bit: about 43 KB a second
constexpr double kPi = 3.14159265358979323846;

enum class Voice { Piano, Pad, Bell, Bass, Flute };

struct Note {
    double beat;   // start, in beats
    double beats;  // length, in beats
    int key;       // MIDI key number, 60 = middle C
    double gain;
    Voice voice;
};

struct Tune {
    const char* fileName;
    double bpm;
    double tailSeconds;  // lets the last notes ring out
    std::vector<Note> notes;
};

struct DemoFile {
    std::string name;
    std::string bytes;
};

inline double KeyFrequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

// One voice's shape: partial ratios and levels, attack, decay and release.
struct VoiceShape {
    std::vector<double> ratios;
    std::vector<double> levels;
    double attack;       // seconds
    double decay;        // time constant of the fall after the attack; 0 = held
    double sustain;      // level a held voice settles at
    double release;      // seconds after the note's end
    double partialDamp;  // upper partials fade faster by this factor per partial
    double vibrato;      // depth as a ratio of the frequency
    double detune;       // second oscillator for a soft chorus, ratio
};

inline VoiceShape ShapeOf(Voice v) {
    switch (v) {
    case Voice::Piano: return {{1, 2, 3, 4, 5, 6}, {1, .45, .22, .12, .06, .03}, .004, 1.1, 0, .12, .5, 0, 0};
    case Voice::Pad: return {{1, 2, 3}, {1, .25, .08}, .35, 0, 1, .6, 0, 0, .0025};
    case Voice::Bell: return {{1, 2, 3, 5.4}, {1, .32, .1, .05}, .003, .9, 0, .25, .9, 0, 0};
    case Voice::Bass: return {{1, 2, 3}, {1, .3, .08}, .01, 1.6, 0, .15, .3, 0, 0};
    case Voice::Flute: return {{1, 2, 3}, {1, .18, .06}, .06, 0, .85, .14, 0, .004, 0};
    }
    return {};
}

// Adds one note into the mix, with an envelope that ends at exactly zero.
inline void RenderNote(std::vector<float>& mix, double start, double length, double freq, double gain,
                       const VoiceShape& s) {
    const size_t first = static_cast<size_t>(start * kRate);
    const size_t held = static_cast<size_t>(length * kRate);
    const size_t total = held + static_cast<size_t>(s.release * kRate);
    if (first + total > mix.size()) mix.resize(first + total, 0.0f);
    const double norm = [&] {
        double sum = 0;
        for (double l : s.levels) sum += l;
        return 1.0 / sum;
    }();
    double releaseFrom = 0;
    for (size_t n = 0; n < total; ++n) {
        const double t = static_cast<double>(n) / kRate;
        double env;
        if (t < s.attack) {
            env = t / s.attack;
        } else if (s.decay > 0) {
            env = std::exp(-(t - s.attack) / s.decay);
        } else {
            env = s.sustain + (1 - s.sustain) * std::exp(-(t - s.attack) / 0.15);
        }
        if (n == held) releaseFrom = env;
        if (n >= held) {
            const double r = 1.0 - static_cast<double>(n - held) / (total - held);
            env = releaseFrom * r * r;
        }
        // Vibrato of 5 Hz after 0.2 s, as a phase: the integral of 1 + depth * sin.
        constexpr double w = 2 * kPi * 5.0;
        const double tau = s.vibrato > 0 && t > 0.2 ? t + s.vibrato * (1 - std::cos(w * (t - 0.2))) / w : t;
        double v = 0;
        for (size_t k = 0; k < s.ratios.size(); ++k) {
            const double f = freq * s.ratios[k];
            if (f > kRate * 0.45) break;
            const double damp = s.partialDamp > 0 ? std::exp(-t * k * s.partialDamp) : 1;
            double osc = std::sin(2 * kPi * f * tau);
            if (s.detune > 0) osc = 0.5 * (osc + std::sin(2 * kPi * f * (1 + s.detune) * t + 1.0));
            v += s.levels[k] * damp * osc;
        }
        mix[first + n] += static_cast<float>(gain * env * norm * v);
    }
}

inline std::vector<int16_t> RenderTune(const Tune& tune) {
    const double beat = 60.0 / tune.bpm;
    double end = 0;
    for (const Note& n : tune.notes) end = std::max(end, (n.beat + n.beats) * beat);
    std::vector<float> mix(static_cast<size_t>((end + tune.tailSeconds) * kRate), 0.0f);
    for (const Note& n : tune.notes)
        RenderNote(mix, n.beat * beat, n.beats * beat, KeyFrequency(n.key), n.gain, ShapeOf(n.voice));
    mix.resize(static_cast<size_t>((end + tune.tailSeconds) * kRate), 0.0f);

    // A little room: two soft echoes.
    std::vector<float> wet(mix);
    const size_t d1 = static_cast<size_t>(0.19 * kRate), d2 = static_cast<size_t>(0.31 * kRate);
    for (size_t n = 0; n < wet.size(); ++n) {
        if (n >= d1) wet[n] += 0.18f * wet[n - d1];
        if (n >= d2) wet[n] += 0.10f * mix[n - d2];
    }
    // Fade out the last half second, then scale to a comfortable peak.
    const size_t fade = static_cast<size_t>(0.5 * kRate);
    for (size_t n = 0; n < fade && n < wet.size(); ++n)
        wet[wet.size() - 1 - n] *= static_cast<float>(n) / fade;
    float peak = 0;
    for (float v : wet) peak = std::max(peak, std::fabs(v));
    const double scale = peak > 0 ? 0.6 * 32767 / peak : 0;
    std::vector<int16_t> out(wet.size());
    for (size_t n = 0; n < wet.size(); ++n) out[n] = static_cast<int16_t>(std::lround(wet[n] * scale));
    return out;
}

inline void PutLE(std::string& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void PutBE(std::string& b, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string EncodeWav(const std::vector<int16_t>& samples) {
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    std::string b;
    b.reserve(44 + data);
    b += "RIFF";
    PutLE(b, 36 + data, 4);
    b += "WAVEfmt ";
    PutLE(b, 16, 4);
    PutLE(b, 1, 2);  // PCM
    PutLE(b, 1, 2);  // mono
    PutLE(b, kRate, 4);
    PutLE(b, kRate * 2, 4);
    PutLE(b, 2, 2);
    PutLE(b, 16, 2);
    b += "data";
    PutLE(b, data, 4);
    for (int16_t s : samples) PutLE(b, static_cast<uint16_t>(s), 2);
    return b;
}

// Notes given as "key:beats" steps, one after another from a start beat.
inline void AddLine(std::vector<Note>& out, double startBeat, Voice v, double gain,
                    std::initializer_list<std::pair<int, double>> steps) {
    double at = startBeat;
    for (auto [key, beats] : steps) {
        if (key > 0) out.push_back({at, beats, key, gain, v});
        at += beats;
    }
}

inline void AddChord(std::vector<Note>& out, double beat, double beats, Voice v, double gain,
                     const std::vector<int>& keys) {
    for (int k : keys) out.push_back({beat, beats, k, gain, v});
}

// Key numbers used below.
enum : int {
    F1 = 29, G1 = 31, A1 = 33, Bb1 = 34, B1 = 35,
    C2 = 36, D2 = 38, E2 = 40, F2 = 41, Fs2 = 42, G2 = 43, A2 = 45, Bb2 = 46, B2 = 47,
    C3 = 48, D3 = 50, E3 = 52, F3 = 53, Fs3 = 54, G3 = 55, A3 = 57, Bb3 = 58, B3 = 59,
    C4 = 60, D4 = 62, E4 = 64, F4 = 65, Fs4 = 66, G4 = 67, A4 = 69, Bb4 = 70, B4 = 71,
    C5 = 72, D5 = 74, E5 = 76, F5 = 77, Fs5 = 78, G5 = 79, A5 = 81, Bb5 = 82, B5 = 83,
    C6 = 84, D6 = 86, E6 = 88, G6 = 91,
};

// Dawn: a slow melody in F over soft pads and a low bass.
inline Tune Aube() {
    Tune t{"01 Aube.wav", 104, 1.3, {}};
    auto& n = t.notes;
    AddLine(n, 0, Voice::Piano, 0.9,
            {{A4, 1}, {C5, 1}, {F5, 2},
             {E5, 1}, {D5, .5}, {C5, .5}, {E5, 2},
             {D5, 1}, {F5, 1}, {Bb4, 1}, {D5, 1},
             {C5, 1}, {Bb4, .5}, {G4, .5}, {F4, 3}});
    AddChord(n, 0, 4, Voice::Pad, 0.28, {F3, A3, C4});
    AddChord(n, 4, 4, Voice::Pad, 0.28, {A3, C4, E4});
    AddChord(n, 8, 4, Voice::Pad, 0.28, {Bb3, D4, F4});
    AddChord(n, 12, 2, Voice::Pad, 0.28, {Bb3, C4, E4, G4});
    AddChord(n, 14, 3, Voice::Pad, 0.28, {A3, C4, F4});
    AddLine(n, 0, Voice::Bass, 0.55, {{F2, 4}, {A2, 4}, {Bb1, 4}, {C2, 2}, {F2, 3}});
    return t;
}

// Brook: a rippling arpeggio in G with a soft bass.
inline Tune Ruisseau() {
    Tune t{"02 Ruisseau.wav", 116, 1.5, {}};
    auto& n = t.notes;
    const int chords[4][5] = {{G3, B3, D4, G4, B4}, {E3, G3, B3, E4, G4}, {C4, E4, G4, C5, E5}, {D4, Fs4, A4, D5, Fs5}};
    const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int bar = 0; bar < 4; ++bar)
        for (int i = 0; i < 8; ++i)
            n.push_back({bar * 4 + i * 0.5, 0.75, chords[bar][order[i]], i == 0 ? 0.8 : 0.6, Voice::Bell});
    AddChord(n, 16, 3, Voice::Bell, 0.55, {G3, D4, G4, B4, D5});
    AddLine(n, 0, Voice::Bass, 0.5, {{G2, 4}, {E2, 4}, {C2, 4}, {D2, 4}, {G1, 3}});
    AddLine(n, 0, Voice::Pad, 0.18, {{D5, 4}, {B4, 4}, {C5, 4}, {A4, 4}, {B4, 3}});
    return t;
}

// Waltz: a flute-like tune in C, bass on the first beat, chords on the others.
inline Tune Valse() {
    Tune t{"03 Valse.wav", 156, 1.4, {}};
    auto& n = t.notes;
    AddLine(n, 0, Voice::Flute, 0.8,
            {{G4, 1}, {C5, 1}, {E5, 1},
             {D5, 3},
             {F5, 1}, {E5, 1}, {D5, 1},
             {E5, 3},
             {G5, 1}, {E5, 1}, {C5, 1},
             {A5, 1}, {G5, 1}, {F5, 1},
             {E5, 1}, {D5, 1}, {B4, 1},
             {C5, 3}});
    const int bass[8] = {C3, G2, G2, C3, C3, F2, G2, C3};
    const std::vector<int> chords[8] = {{E4, G4}, {F4, B4}, {F4, B4}, {E4, G4},
                                                  {E4, G4}, {F4, A4}, {F4, B4}, {E4, G4}};
    for (int bar = 0; bar < 8; ++bar) {
        n.push_back({bar * 3.0, 1, bass[bar], 0.6, Voice::Bass});
        if (bar < 7) {
            AddChord(n, bar * 3.0 + 1, 0.6, Voice::Piano, 0.28, chords[bar]);
            AddChord(n, bar * 3.0 + 2, 0.6, Voice::Piano, 0.28, chords[bar]);
        } else {
            AddChord(n, bar * 3.0 + 1, 2, Voice::Piano, 0.28, {C4, E4, G4});
        }
    }
    return t;
}

// --- Standard MIDI File, format 0 ---

inline void PutVarLen(std::string& b, uint32_t v) {
    char tmp[5];
    int n = 0;
    tmp[n++] = static_cast<char>(v & 0x7F);
    while (v >>= 7) tmp[n++] = static_cast<char>((v & 0x7F) | 0x80);
    while (n) b += tmp[--n];
}

struct MidiEvent {
    uint32_t tick;
    int order;  // at one tick: meta first, then note-offs, then the rest
    std::string bytes;
};

// Minuet in G for two channels: a tune over a bass, 3/4 time.
inline std::string EncodeMenuet() {
    constexpr uint32_t kDivision = 480;  // ticks per quarter note
    std::vector<MidiEvent> ev;
    auto meta = [&](uint32_t tick, std::string bytes) { ev.push_back({tick, 0, std::move(bytes)}); };
    meta(0, std::string("\xFF\x03\x06Menuet", 9));
    meta(0, std::string("\xFF\x51\x03\x07\xA1\x20", 6));      // 500000 us a beat: 120 bpm
    meta(0, std::string("\xFF\x58\x04\x03\x02\x18\x08", 7));  // 3/4
    meta(0, std::string("\xFF\x59\x02\x01\x00", 5));          // G major
    auto channel = [&](uint32_t tick, int order, int status, int a, int b) {
        std::string s;
        s += static_cast<char>(status);
        s += static_cast<char>(a);
        if (b >= 0) s += static_cast<char>(b);
        ev.push_back({tick, order, s});
    };
    channel(0, 1, 0xC0, 0, -1);       // piano
    channel(0, 1, 0xC1, 0, -1);
    channel(0, 1, 0xB0, 7, 100);      // volume
    channel(0, 1, 0xB1, 7, 80);
    auto line = [&](int ch, int velocity, std::initializer_list<std::pair<int, double>> steps) {
        double at = 0;
        for (auto [key, beats] : steps) {
            const uint32_t on = static_cast<uint32_t>(at * kDivision);
            const uint32_t off = static_cast<uint32_t>((at + beats) * kDivision) - 10;
            channel(on, 2, 0x90 | ch, key, velocity);
            channel(off, 1, 0x80 | ch, key, 64);
            at += beats;
        }
        return at;
    };
    const double end = line(0, 84,
                            {{B4, 1}, {D5, 1}, {G5, 1},
                             {Fs5, 1}, {E5, .5}, {D5, .5}, {A4, 1},
                             {E5, 1}, {G5, .5}, {E5, .5}, {C5, 1},
                             {D5, 3},
                             {B4, 1}, {G4, .5}, {B4, .5}, {D5, 1},
                             {E5, 1}, {C5, 1}, {A4, 1},
                             {Fs4, 1}, {A4, 1}, {D5, .5}, {C5, .5},
                             {B4, 1}, {G4, 2}});
    line(1, 70, {{G2, 3}, {Fs2, 3}, {C3, 3}, {D3, 1}, {C3, 1}, {B2, 1},
                 {G2, 3}, {C3, 3}, {D3, 3}, {G2, 3}});
    meta(static_cast<uint32_t>(end * kDivision) + kDivision, std::string("\xFF\x2F\x00", 3));
    std::stable_sort(ev.begin(), ev.end(), [](const MidiEvent& a, const MidiEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string track;
    uint32_t now = 0;
    for (const MidiEvent& e : ev) {
        PutVarLen(track, e.tick - now);
        now = e.tick;
        track += e.bytes;
    }
    std::string b = "MThd";
    PutBE(b, 6, 4);
    PutBE(b, 0, 2);  // format 0
    PutBE(b, 1, 2);  // one track
    PutBE(b, kDivision, 2);
    b += "MTrk";
    PutBE(b, static_cast<uint32_t>(track.size()), 4);
    b += track;
    return b;
}

inline std::vector<DemoFile> BuildDemoFiles() {
    std::vector<DemoFile> files;
    for (const Tune& t : {Aube(), Ruisseau(), Valse()}) files.push_back({t.fileName, EncodeWav(RenderTune(t))});
    files.push_back({"04 Menuet.mid", EncodeMenuet()});
    return files;
}

}  // namespace vireo::demo
