// Fuzz target: Ogg Vorbis files loaded into channels through the real sound device (OpenAL
// Soft's null backend: a real device and context, no sound card). The input is the loose
// sound file. It is loaded static, streamed, and static from a prefetch, then played and
// updated. A static load must succeed exactly when the file decodes whole within the limit
// (checked against vorbisfile itself), a stream exactly when the file opens, and a
// prefetched load exactly as a plain one.
#include <AL/al.h>
#include <stdlib.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

// Far below the game's limit, so that the runs that reach it stay quick; the refusal
// works alike at any size.
constexpr std::size_t Limit = std::size_t{1} << 20;

struct Reference {
    bool opens = false;
    bool decodes_within_limit = false;
};

Reference Decode_Reference(const char* path) {
    Reference result;
    OggVorbis_File decoder;
    if (ov_fopen(path, &decoder) < 0) return result;
    result.opens = true;
    std::vector<char> block(CTarvelAudio::Decode_Block);
    std::size_t total = 0;
    int section = 0;
    for (;;) {
        const long got =
            ov_read(&decoder, block.data(), CTarvelAudio::Decode_Block, 0, 2, 1, &section);
        if (got < 0) break;
        if (got == 0) {
            result.decodes_within_limit = true;
            break;
        }
        total += static_cast<std::size_t>(got);
        if (total > Limit) break;
    }
    ov_clear(&decoder);
    return result;
}

bool Playing_Or_Done(int state) {
    return state == AL_INITIAL || state == AL_PLAYING || state == AL_STOPPED || state == AL_PAUSED;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Before anything touches OpenAL: the configuration file is read once.
    const std::string config = fuzz::Scratch() + "/alsoft.conf";
    const char text[] = "[general]\ndrivers = null\n";
    fuzz::Write_Input(config, reinterpret_cast<const std::uint8_t*>(text), sizeof text - 1);
    setenv("ALSOFT_CONF", config.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    // Sounds are looked up as data/audio.pak or loose files in the current directory.
    if (chdir(fuzz::Scratch().c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CTarvelAudio* audio = [] {
        auto* made = new CTarvelAudio(3);
        made->Max_Static_Bytes = Limit;
        return made;
    }();
    const char* name = "input.ogg";
    fuzz::Write_Input(fuzz::Scratch() + "/" + name, data, size);
    const Reference reference = Decode_Reference(name);

    const bool loaded = audio->Load(0, name, false);
    if (loaded != reference.decodes_within_limit) std::abort();
    if (audio->Get_State(0) != (loaded ? AL_INITIAL : -1)) std::abort();

    const bool streamed = audio->Load(1, name, true);
    if (streamed != reference.opens) std::abort();
    if (audio->Get_State(1) != (streamed ? AL_INITIAL : -1)) std::abort();

    audio->Prefetch(&name, 1);
    const bool prefetched = audio->Load(2, name, false);
    audio->Prefetch_End();
    if (prefetched != loaded) std::abort();

    for (int channel = 0; channel < 3; ++channel) audio->Play(channel);
    audio->Update();
    audio->Play(0);
    audio->Update();
    for (int channel = 0; channel < 3; ++channel) {
        const int state = audio->Get_State(channel);
        const bool holds = channel == 1 ? streamed : loaded;
        if (holds ? !Playing_Or_Done(state) : state != -1) std::abort();
        audio->Clear(channel);
        if (audio->Get_State(channel) != -1) std::abort();
    }
    return 0;
}
