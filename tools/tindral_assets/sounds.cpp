// The six sound effects, synthesised and encoded as Ogg Vorbis (mono, 44.1 Rate_Hz).
//
// Each is short and has its own character, so that a player can tell the events apart
// without looking: a soft tick for a menu change, a two-note chime for a menu choice, a
// rising fanfare for a goal, a pitched "pock" for the paddle, a bright click for two
// spheres and a dull thud for the wall. Peaks are normalised well below full scale so the
// encoder's ripple cannot clip.
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "tools/tindral_assets/assets.h"
#include "tools/vorbis_encode.h"

namespace {

constexpr int Rate = 44100;
constexpr float Pi = 3.14159265f;

using Samples = std::vector<float>;

Samples Silence(float seconds) {
    return Samples(size_t(seconds * Rate), 0.0f);
}

float Time(size_t i) {
    return float(i) / Rate;
}

// Deterministic noise: the archives come out the same on every build.
struct Noise {
    unsigned state = 0x12345678u;
    float Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(state & 0xFFFFFF) / float(0x800000) - 1.0f;
    }
};

// A decaying partial: frequency f (Hz), amplitude a, decay time constant tau (s),
// starting at `start` seconds.
void Add_Partial(Samples& s, float start, float f, float a, float tau, float attack = 0.002f) {
    for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
        float t = Time(i) - start;
        float env = std::exp(-t / tau) * std::min(1.0f, t / attack);
        s[i] += a * env * std::sin(2 * Pi * f * t);
    }
}

// A tone that glides exponentially from f0 to f1 over `glide` seconds.
void Add_Glide(Samples& s, float start, float f0, float f1, float glide, float a, float tau) {
    float phase = 0;
    for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
        float t = Time(i) - start;
        float f = f1 + (f0 - f1) * std::exp(-t / glide);
        phase += 2 * Pi * f / Rate;
        float env = std::exp(-t / tau) * std::min(1.0f, t / 0.002f);
        s[i] += a * env * std::sin(phase);
    }
}

// Noise through a one-pole low-pass at `cutoff` Hz, decaying with tau.
void Add_Noise(Samples& s, float start, float cutoff, float a, float tau, unsigned seed) {
    Noise n;
    n.state ^= seed;
    float k = 1.0f - std::exp(-2 * Pi * cutoff / Rate), y = 0;
    for (size_t i = size_t(start * Rate); i < s.size(); ++i) {
        float t = Time(i) - start;
        y += k * (n.Next() - y);
        s[i] += a * y * std::exp(-t / tau) * std::min(1.0f, t / 0.0005f);
    }
}

// A note with a few harmonics (a soft square-ish timbre).
void Add_Note(Samples& s, float start, float f, float a, float tau, float length) {
    const float harmonics[][2] = {{1, 1.0f}, {2, 0.25f}, {3, 0.3f}, {5, 0.12f}};
    size_t end = std::min(s.size(), size_t((start + length) * Rate));
    for (size_t i = size_t(start * Rate); i < end; ++i) {
        float t = Time(i) - start;
        float release = std::min(1.0f, (start + length - Time(i)) / 0.03f);
        float env = std::exp(-t / tau) * std::min(1.0f, t / 0.004f) * release;
        float v = 0;
        for (const auto& h : harmonics) v += h[1] * std::sin(2 * Pi * f * h[0] * t);
        s[i] += a * env * v;
    }
}

void Finish(Samples& s, float peak) {
    // Short fade at the very end, then scale to the wanted peak.
    size_t fade = std::min(s.size(), size_t(0.01f * Rate));
    for (size_t i = 0; i < fade; ++i) s[s.size() - 1 - i] *= float(i) / float(fade);
    float top = 0;
    for (float v : s) top = std::max(top, std::fabs(v));
    if (top > 0) {
        for (float& v : s) v *= peak / top;
    }
}

Samples Menu_Change() {
    Samples s = Silence(0.075f);
    Add_Partial(s, 0, 1760, 1.0f, 0.014f, 0.001f);
    Add_Partial(s, 0, 2640, 0.35f, 0.008f, 0.001f);
    Finish(s, 0.45f);
    return s;
}

Samples Menu_Select() {
    Samples s = Silence(0.34f);
    for (auto [start, f] : {std::pair{0.0f, 880.0f}, std::pair{0.085f, 1318.5f}}) {
        Add_Partial(s, start, f, 1.0f, 0.09f);
        Add_Partial(s, start, f * 2, 0.3f, 0.05f);
        Add_Partial(s, start, f * 3, 0.12f, 0.03f);
    }
    Finish(s, 0.55f);
    return s;
}

Samples Goal() {
    Samples s = Silence(1.25f);
    const float notes[] = {523.25f, 659.25f, 783.99f, 1046.5f};
    for (int i = 0; i < 4; ++i) Add_Note(s, 0.09f * float(i), notes[i], 0.55f, 0.25f, 0.16f);
    // The final chord, held and fading.
    for (float f : {523.25f, 659.25f, 783.99f, 1046.5f}) Add_Note(s, 0.36f, f, 0.3f, 0.35f, 0.85f);
    // A rush of noise, like a crowd's breath.
    Noise n;
    float y = 0, k = 1.0f - std::exp(-2 * Pi * 2500.0f / Rate);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = Time(i);
        y += k * (n.Next() - y);
        float env = std::sin(Pi * std::min(1.0f, t / 1.1f)) * 0.18f;
        s[i] += y * env;
    }
    Finish(s, 0.7f);
    return s;
}

Samples Sphere_Paddle() {
    // Pitched, like a bat: a tone that settles from 700 to 520 Hz, with its octave.
    Samples s = Silence(0.16f);
    Add_Glide(s, 0, 700, 520, 0.012f, 1.0f, 0.06f);
    Add_Partial(s, 0, 1040, 0.3f, 0.03f, 0.001f);
    Add_Noise(s, 0, 4000, 0.4f, 0.003f, 1);
    Finish(s, 0.75f);
    return s;
}

Samples Sphere_Sphere() {
    Samples s = Silence(0.09f);
    Add_Partial(s, 0, 2200, 1.0f, 0.012f, 0.0005f);
    Add_Partial(s, 0, 3350, 0.7f, 0.009f, 0.0005f);
    Add_Partial(s, 0, 4810, 0.45f, 0.006f, 0.0005f);
    Add_Noise(s, 0, 9000, 0.5f, 0.0015f, 2);
    Finish(s, 0.6f);
    return s;
}

Samples Sphere_Wall() {
    Samples s = Silence(0.15f);
    Add_Glide(s, 0, 140, 90, 0.03f, 1.0f, 0.045f);
    Add_Noise(s, 0, 800, 1.6f, 0.02f, 3);
    Add_Partial(s, 0, 410, 0.15f, 0.05f);
    Finish(s, 0.7f);
    return s;
}

// Ogg Vorbis bytes of mono float samples (VBR quality 0.6).
std::vector<std::uint8_t> Encode_Vorbis(const Samples& samples, int serial) {
    Vorbis_Settings settings;
    settings.rate = Rate;
    settings.quality = 0.6f;
    settings.serial = serial;  // fixed serials: identical archives on every build
    settings.encoder_tag = "tindral-assets";
    std::vector<std::uint8_t> bytes = Vorbis_Encode(
        settings, static_cast<long>(samples.size()), [&samples](float** channels, long first,
                                                               long count) {
            std::memcpy(channels[0], samples.data() + first, size_t(count) * sizeof(float));
        });
    if (bytes.empty()) throw std::runtime_error("vorbis encoder refused the settings");
    return bytes;
}

}  // namespace

std::vector<Asset_File> Make_Sounds() {
    struct Sound {
        const char* name;
        Samples (*make)();
    };
    const Sound sounds[] = {
        {"menu_change.ogg", Menu_Change},
        {"menu_select.ogg", Menu_Select},
        {"game_goal.ogg", Goal},
        {"game_sphere_paddle.ogg", Sphere_Paddle},
        {"game_sphere_sphere.ogg", Sphere_Sphere},
        {"game_sphere_wall.ogg", Sphere_Wall},
    };
    std::vector<Asset_File> files;
    int serial = 0x54494E00;  // "TIN"
    for (const Sound& s : sounds)
        files.push_back(Asset_File{s.name, Encode_Vorbis(s.make(), ++serial)});
    return files;
}
