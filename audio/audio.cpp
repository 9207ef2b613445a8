#include "audio/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/efx.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/log.h"
#include "engine/decode_ahead.h"
#include "engine/pak.h"

namespace {

const char Audio_Archive[] = "data/audio.pak";

// ov_read's sample layout: little-endian, 16-bit, signed.
constexpr int Decode_Big_Endian = 0;
constexpr int Decode_Word_Size = 2;
constexpr int Decode_Signed = 1;

// OpenAL refuses buffer data that is not whole frames of its format. Files with more than
// two channels are handed over as stereo, and their byte count need not be a multiple of a
// stereo frame, so the tail that does not fill a frame is dropped.
ALsizei Whole_Frames(std::size_t bytes, ALenum format) {
    const std::size_t frame = format == AL_FORMAT_MONO16 ? 2 : 4;
    return static_cast<ALsizei>(bytes - bytes % frame);
}

// An Ogg Vorbis file held in memory, read by the decoder as it reads a seekable file.
struct Memory_File {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
};

std::size_t Memory_Read(void* out, std::size_t size, std::size_t count, void* source) {
    Memory_File& file = *static_cast<Memory_File*>(source);
    if (size == 0) return 0;
    const std::size_t items = std::min(count, (file.bytes->size() - file.at) / size);
    // An empty file's bytes may have no address at all, which memcpy must not be given.
    if (items == 0) return 0;
    std::memcpy(out, file.bytes->data() + file.at, items * size);
    file.at += items * size;
    return items;
}

int Memory_Seek(void* source, ogg_int64_t offset, int whence) {
    Memory_File& file = *static_cast<Memory_File*>(source);
    const auto size = static_cast<ogg_int64_t>(file.bytes->size());
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<ogg_int64_t>(file.at)
                                                  : size;
    if (offset < -base || offset > size - base) return -1;
    file.at = static_cast<std::size_t>(base + offset);
    return 0;
}

long Memory_Tell(void* source) { return static_cast<long>(static_cast<Memory_File*>(source)->at); }

}  // namespace

// A static sound as Load decodes it from its file: rate, channel count and every sample;
// `ok` false when the file does not open or decode, or when its samples would take more
// than the limit (`too_long`, no samples kept).
struct CTarvelAudio::Decoded_Sound {
    bool ok = false;
    bool too_long = false;
    int rate = 0;
    int channels = 0;
    std::vector<char> samples;
};

namespace {

// Decodes a whole static sound from its file's bytes, as Load decodes the file itself,
// stopping once the samples would pass `limit` bytes.
CTarvelAudio::Decoded_Sound Decode_Whole(const std::vector<std::uint8_t>& bytes,
                                         std::size_t limit) {
    CTarvelAudio::Decoded_Sound sound;
    Memory_File file{&bytes, 0};
    const ov_callbacks callbacks = {Memory_Read, Memory_Seek, nullptr, Memory_Tell};
    OggVorbis_File decoder{};
    if (ov_open_callbacks(&file, &decoder, nullptr, 0, callbacks) < 0) return sound;
    const vorbis_info* info = ov_info(&decoder, -1);
    sound.rate = static_cast<int>(info->rate);
    sound.channels = info->channels;
    std::vector<char> block(CTarvelAudio::Decode_Block);
    int section = 0;
    for (;;) {
        const long got = ov_read(&decoder, block.data(), CTarvelAudio::Decode_Block,
                                 Decode_Big_Endian, Decode_Word_Size, Decode_Signed, &section);
        if (got < 0) {
            ov_clear(&decoder);
            return CTarvelAudio::Decoded_Sound{};
        }
        if (got == 0) break;
        if (static_cast<std::size_t>(got) > limit - sound.samples.size()) {
            ov_clear(&decoder);
            CTarvelAudio::Decoded_Sound refused;
            refused.too_long = true;
            return refused;
        }
        sound.samples.insert(sound.samples.end(), block.data(), block.data() + got);
    }
    ov_clear(&decoder);
    sound.ok = true;
    return sound;
}

}  // namespace

// OpenAL's object names are unsigned ints: the header says so without including OpenAL.
static_assert(std::is_same_v<ALuint, unsigned>);

struct CTarvelAudio::Output {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
};

struct CTarvelAudio::Channel {
    // Open only while a static sound loads; from Load to Clear for a stream. It owns the
    // file it reads and closes it when cleared.
    OggVorbis_File decoder{};
    // The whole sound of a static channel, interleaved 16-bit samples.
    std::vector<char> decoded;
    bool loaded = false;
    bool streamed = false;
    ALenum format = AL_FORMAT_MONO16;
    int rate = 0;
    // A static channel uses only the first buffer.
    ALuint buffers[2] = {0, 0};
    ALuint source = 0;
    // False for a channel that got no source (no device, or OpenAL had none left): it
    // keeps neither samples nor decoder, and no OpenAL call is made for it.
    bool voiced = false;
};

CTarvelAudio::CTarvelAudio(int channels) : output_(std::make_unique<Output>()) {
    if (channels <= 0) {
        count_ = 0;
        Log_Write(Engine_Log, 0,
                  "CTarvelAudio::CTarvelAudio() :: Did not initialize OpenAl device");
        return;
    }
    Log_Write(Engine_Log, 0,
              "CTarvelAudio::CTarvelAudio() :: Attempting to initialize OpenAL device");

    channels_.reset(new (std::nothrow) Channel[channels]);
    if (!channels_) {
        Log_Write(Engine_Log, 1,
                  "CTarvelAudio::CTarvelAudio() :: failed (could not allocate [%i channel(s)])",
                  channels);
        return;
    }
    count_ = channels;

    // "DirectSound3D" names a Windows output; elsewhere the default device serves.
    output_->device = alcOpenDevice("DirectSound3D");
    if (output_->device == nullptr) output_->device = alcOpenDevice(nullptr);
    if (output_->device != nullptr) {
        // No effect sends: the game uses no effects, and OpenAL Soft keeps per-send mixing
        // state for every one of its voices (three quarters of a megabyte at two sends).
        const ALCint attributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};
        output_->context = alcCreateContext(output_->device, attributes);
    }
    if (output_->context != nullptr && alcMakeContextCurrent(output_->context) != ALC_TRUE) {
        alcDestroyContext(output_->context);
        output_->context = nullptr;
    }
    if (output_->context == nullptr) {
        // Without a context every OpenAL call would be a no-op that leaves its results
        // unset, so the channels skip OpenAL altogether and the game plays silently.
        if (output_->device != nullptr) alcCloseDevice(output_->device);
        output_->device = nullptr;
        Log_Write(Engine_Log, 1,
                  "CTarvelAudio::CTarvelAudio() :: failed (could not open OpenAL device)");
        return;
    }
    Log_Write(Engine_Log, 0,
              "CTarvelAudio::CTarvelAudio() :: OpenAL device initialized [%i channel(s)]",
              channels);
}

CTarvelAudio::~CTarvelAudio() {
    if (count_ <= 0) return;
    for (int c = 0; c < count_; ++c) Clear(c);
    channels_.reset();
    // Our own handles rather than whatever context happens to be current.
    const bool had_device = output_->device != nullptr;
    if (output_->context != nullptr) {
        if (alcGetCurrentContext() == output_->context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(output_->context);
        output_->context = nullptr;
    }
    if (output_->device != nullptr) {
        alcCloseDevice(output_->device);
        output_->device = nullptr;
    }
    count_ = 0;
    if (had_device) {
        Log_Write(Engine_Log, 0, "CTarvelAudio::~CTarvelAudio() :: OpenAL device released");
    }
}

bool CTarvelAudio::Check_Channel(int channel, const char* method) {
    if (channel >= 0 && channel < count_) return true;
    Log_Write(Engine_Log, 1,
              "CTarvelAudio::%s() :: failed (incorrect channel passed [%i of %i total])", method,
              channel, count_);
    return false;
}

bool CTarvelAudio::Make_Source(Channel& slot, int buffers) {
    alGetError();
    alGenBuffers(buffers, slot.buffers);
    if (alGetError() != AL_NO_ERROR) {
        slot.buffers[0] = slot.buffers[1] = 0;
        return false;
    }
    alGenSources(1, &slot.source);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(buffers, slot.buffers);
        slot.buffers[0] = slot.buffers[1] = 0;
        slot.source = 0;
        return false;
    }
    alSource3f(slot.source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(slot.source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSource3f(slot.source, AL_DIRECTION, 0.0f, 0.0f, 0.0f);
    alSourcef(slot.source, AL_ROLLOFF_FACTOR, 0.0f);
    alSourcei(slot.source, AL_SOURCE_RELATIVE, AL_TRUE);
    return true;
}

bool CTarvelAudio::Load(int channel, const char* file, bool streamed) {
    if (count_ <= 0) return false;
    if (!Check_Channel(channel, "Load")) return false;
    if (file == nullptr) file = "";
    Channel& slot = channels_[channel];
    Release_Channel(slot);

    // The member's extracted copy is deleted when `member` goes, on every path.
    Pak_Member member(Audio_Archive, file);
    std::FILE* stream = std::fopen(member.Path(), "rb");
    if (stream == nullptr) {
        Log_Write(Engine_Log, 1, "CTarvelAudio::Load() :: failed (could not find file [%s])", file);
        return false;
    }

    slot.streamed = streamed;
    std::optional<Decoded_Sound> ahead;
    if (!streamed && prefetched_) ahead = prefetched_->Take(file, member.Path());
    if (ahead && ahead->too_long) {
        std::fclose(stream);
        member.Release();
        Log_Write(Engine_Log, 1, "CTarvelAudio::Load() :: failed (sound too long [%s])", file);
        return false;
    }
    if (ahead && ahead->ok) {
        // Decoded ahead from exactly the bytes of this file.
        std::fclose(stream);
        slot.rate = ahead->rate;
        slot.format = ahead->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
        slot.decoded = std::move(ahead->samples);
    } else if (!Decode_File(slot, stream, file)) {
        member.Release();
        return false;
    }

    // A channel that gets no source stays silent, as every channel does without a device:
    // the file is good, so the load succeeds, and start-up (which stops at a failed load)
    // goes on without this one sound.
    slot.voiced = output_->context != nullptr && Make_Source(slot, streamed ? 2 : 1);
    if (!slot.voiced) {
        // Nothing will ever play or feed this channel.
        if (streamed) ov_clear(&slot.decoder);
        std::vector<char>().swap(slot.decoded);
    }
    // A stream's decoder still holds the file open, so its data stays readable until the
    // channel is cleared even though the name is gone.
    member.Release();
    if (output_->context != nullptr && !slot.voiced) {
        Log_Write(Engine_Log, 1,
                  "CTarvelAudio::Load() :: failed (could not create OpenAL source [%s])", file);
    } else {
        Log_Write(Engine_Log, 0, "CTarvelAudio::Load() :: [%s]", file);
    }
    slot.loaded = true;
    return true;
}

bool CTarvelAudio::Decode_File(Channel& slot, std::FILE* stream, const char* file) {
    if (ov_open(stream, &slot.decoder, nullptr, 0) < 0) {
        // A failed ov_open leaves the file to us.
        std::fclose(stream);
        slot.decoder = OggVorbis_File{};
        Log_Write(Engine_Log, 1,
                  slot.streamed
                      ? "CTarvelAudio::Load() :: failed (could not initialize stream [%s])"
                      : "CTarvelAudio::Load() :: failed (could not initialize [%s])",
                  file);
        return false;
    }
    const vorbis_info* info = ov_info(&slot.decoder, -1);
    slot.rate = static_cast<int>(info->rate);
    slot.format = info->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;

    if (!slot.streamed) {
        int section = 0;
        for (;;) {
            long got = ov_read(&slot.decoder, scratch_, Decode_Block, Decode_Big_Endian,
                               Decode_Word_Size, Decode_Signed, &section);
            if (got < 0) {
                ov_clear(&slot.decoder);
                std::vector<char>().swap(slot.decoded);
                Log_Write(Engine_Log, 1,
                          "CTarvelAudio::Load() :: failed (could not decode file [%s])", file);
                return false;
            }
            if (got == 0) break;
            if (static_cast<std::size_t>(got) > Max_Static_Bytes - slot.decoded.size()) {
                ov_clear(&slot.decoder);
                std::vector<char>().swap(slot.decoded);
                Log_Write(Engine_Log, 1, "CTarvelAudio::Load() :: failed (sound too long [%s])",
                          file);
                return false;
            }
            slot.decoded.insert(slot.decoded.end(), scratch_, scratch_ + got);
        }
        ov_clear(&slot.decoder);
    }
    return true;
}

void CTarvelAudio::Prefetch(const char* const* files, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.emplace_back(files[i] != nullptr ? files[i] : "");
    prefetched_ = std::make_unique<Decode_Ahead<Decoded_Sound>>(
        Audio_Archive, names, [limit = Max_Static_Bytes](const std::vector<std::uint8_t>& bytes) {
            return Decode_Whole(bytes, limit);
        });
}

void CTarvelAudio::Prefetch_End() { prefetched_.reset(); }

void CTarvelAudio::Play(int channel) {
    if (count_ <= 0) return;
    if (!Check_Channel(channel, "Play")) return;
    Channel& slot = channels_[channel];
    const int state = Get_State(channel);
    if (state == -1) return;  // nothing loaded, or a silent channel

    if (state == AL_PAUSED || state == AL_STOPPED) {
        // Resume, or replay: a static source its buffer from the start, a stream the
        // buffers still queued on it (the decoder is not rewound).
        alSourcePlay(slot.source);
        return;
    }
    if (slot.streamed) {
        if (state == AL_PLAYING) return;
        if (!Fill_Buffer(channel, slot.buffers[0]) || !Fill_Buffer(channel, slot.buffers[1])) {
            return;
        }
        alSourceQueueBuffers(slot.source, 2, slot.buffers);
        alSourcePlay(slot.source);
        return;
    }
    const ALsizei size = Whole_Frames(slot.decoded.size(), slot.format);
    if (size == 0) return;
    if (state == AL_INITIAL) {
        // The samples reach OpenAL on the first play only; a playing source would refuse
        // both calls anyway.
        alBufferData(slot.buffers[0], slot.format, slot.decoded.data(), size, slot.rate);
        alSourcei(slot.source, AL_BUFFER, static_cast<ALint>(slot.buffers[0]));
    }
    // On a playing source this starts the sound over.
    alSourcePlay(slot.source);
}

int CTarvelAudio::Get_State(int channel) {
    if (count_ <= 0) return -1;
    if (!Check_Channel(channel, "Get_State")) return -1;
    const Channel& slot = channels_[channel];
    if (!slot.loaded || !slot.voiced) return -1;
    ALint state = -1;
    alGetSourcei(slot.source, AL_SOURCE_STATE, &state);
    return state;
}

void CTarvelAudio::Update() {
    for (int c = 0; c < count_; ++c) {
        const Channel& slot = channels_[c];
        if (slot.loaded && slot.streamed && Get_State(c) == AL_PLAYING) Update_Stream(c);
    }
}

void CTarvelAudio::Update_Stream(int channel) {
    Channel& slot = channels_[channel];
    ALint processed = 0;
    alGetSourcei(slot.source, AL_BUFFERS_PROCESSED, &processed);
    bool active = true;
    for (ALint i = 0; i < processed; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(slot.source, 1, &buffer);
        active = Fill_Buffer(channel, buffer);
        // Queued again even when the fill found nothing: it keeps its old samples, and the
        // stop below follows.
        alSourceQueueBuffers(slot.source, 1, &buffer);
    }
    // Only the last fill of the pass decides.
    if (!active) alSourceStop(slot.source);
}

bool CTarvelAudio::Fill_Buffer(int channel, unsigned buffer) {
    Channel& slot = channels_[channel];
    int collected = 0;
    int section = 0;
    while (collected < Decode_Block) {
        long got = ov_read(&slot.decoder, scratch_ + collected, Decode_Block - collected,
                           Decode_Big_Endian, Decode_Word_Size, Decode_Signed, &section);
        if (got <= 0) break;  // end of the stream, or a decoding error
        collected += static_cast<int>(got);
    }
    const ALsizei size = Whole_Frames(static_cast<std::size_t>(collected), slot.format);
    if (size == 0) return false;
    alBufferData(buffer, slot.format, scratch_, size, slot.rate);
    return true;
}

void CTarvelAudio::Clear(int channel) {
    if (count_ <= 0) return;
    if (!Check_Channel(channel, "Clear")) return;
    Release_Channel(channels_[channel]);
}

void CTarvelAudio::Release_Channel(Channel& slot) {
    if (!slot.loaded) return;
    if (slot.voiced) {
        alSourceStop(slot.source);
        // Detaches a static buffer and empties a stream's queue alike, so that both
        // buffers can be deleted (a buffer still attached to a source is not).
        alSourcei(slot.source, AL_BUFFER, 0);
        alDeleteSources(1, &slot.source);
        alDeleteBuffers(slot.streamed ? 2 : 1, slot.buffers);
    }
    if (slot.streamed) ov_clear(&slot.decoder);
    slot.decoder = OggVorbis_File{};
    std::vector<char>().swap(slot.decoded);
    slot.buffers[0] = slot.buffers[1] = 0;
    slot.source = 0;
    slot.voiced = false;
    slot.loaded = false;
}
