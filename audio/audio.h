// The sound device: one OpenAL device and context and a fixed number of channels, each
// holding one Ogg Vorbis sound on one OpenAL source. A channel is static (decoded whole at
// load time, handed to OpenAL on its first play) or streamed (the file stays open and is
// decoded into two buffers that take turns while it plays).
//
// Every sound is heard without position: each source is relative to the listener and sits
// at its origin. Single-threaded; every call comes from the main loop.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

template <typename Decoded>
class Decode_Ahead;

// OpenAL stays inside this library: its handles are opaque here.
class CTarvelAudio {
  public:
    // The most one decoding pass collects: a static sound is decoded in blocks of this
    // size, and each stream buffer holds at most this much.
    static constexpr int Decode_Block = 32768;

    // Opens the output device and makes `channels` empty channels. A count of 0 or less
    // opens nothing, and every later call is then silently refused. A device that cannot
    // be opened is logged as a failure; the channels still load (so start-up goes on) and
    // stay silent, and the game runs without sound.
    explicit CTarvelAudio(int channels);
    // Clears every channel and closes the device.
    ~CTarvelAudio();
    CTarvelAudio(const CTarvelAudio&) = delete;
    CTarvelAudio& operator=(const CTarvelAudio&) = delete;

    // Loads Ogg Vorbis file `file` into `channel`, from "data/audio.pak" when the archive
    // holds it, else from the loose file of that name in the current directory. A channel
    // that already holds a sound gives it up first. False (with a level-1 log line) for a
    // bad channel or a missing or undecodable file, and for a static sound whose samples
    // would take more than Max_Static_Bytes (decoding stops there; a stream has no such
    // limit, it holds two buffers at a time). When OpenAL has no source left for the
    // channel, the load logs that at level 1 and still succeeds: the channel is silent, as
    // without a device (Play does nothing, Get_State answers -1), until it is loaded again.
    bool Load(int channel, const char* file, bool streamed);

    // Resumes a paused channel, replays a stopped one, and otherwise starts it: a static
    // sound that is still playing starts over, so sounds never overlap within a channel.
    // A streamed channel starts only when its file fills both buffers.
    void Play(int channel);

    // The source's AL_SOURCE_STATE (AL_INITIAL, AL_PLAYING, AL_PAUSED, AL_STOPPED), or -1
    // for a refused channel, a channel that holds no sound, or a silent channel.
    int Get_State(int channel);

    // Once a frame: refills the buffers that the playing streams have used up, and stops a
    // stream whose file is exhausted.
    void Update();

    // Stops the channel and gives back its source, buffers, decoder and samples. The
    // channel then holds no sound until the next Load.
    void Clear(int channel);

    // Starts decoding the static sounds `files` on a worker thread (see
    // engine/decode_ahead.h), so that start-up can make the window meanwhile; Load then
    // takes their samples instead of decoding them. Prefetch_End waits for the worker and
    // drops what it decoded that was not taken; the destructor does the same.
    void Prefetch(const char* const* files, int count);
    void Prefetch_End();

    struct Decoded_Sound;

    // The most a static sound may decode to: far above the game's sounds (a few seconds
    // each), and several minutes of stereo sound, so that a damaged or hostile file, which
    // may decode to gigabytes from a few kilobytes, cannot fill the memory. Read when a
    // load or a prefetch starts.
    std::size_t Max_Static_Bytes = std::size_t{64} << 20;

  private:
    struct Channel;

    // False, with the method's "incorrect channel passed" line, when `channel` is out of
    // range.
    bool Check_Channel(int channel, const char* method);
    void Release_Channel(Channel& slot);
    bool Make_Source(Channel& slot, int buffers);
    // Opens the decoder of a channel on `stream` (which it then owns) and, for a static
    // channel, decodes the whole sound. False, with Load's line, when either fails.
    bool Decode_File(Channel& slot, std::FILE* stream, const char* file);
    void Update_Stream(int channel);
    // Decodes up to Decode_Block bytes of a streamed channel into `buffer`. False when the
    // decoder had nothing more; the buffer then keeps its previous samples.
    bool Fill_Buffer(int channel, unsigned buffer);

    int count_ = 0;
    std::unique_ptr<Channel[]> channels_;
    struct Output;  // the OpenAL device and context
    std::unique_ptr<Output> output_;
    std::unique_ptr<Decode_Ahead<Decoded_Sound>> prefetched_;
    // One decoding area for every pass, never allocated per pass.
    char scratch_[Decode_Block];
};
