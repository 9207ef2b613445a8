// The one thing the simulation and the menus ask of the sound device: start a channel.
// Kept free of any audio library so that the simulation builds and runs headless; tests
// hand it a recorder, the game hands it the real device.
#pragma once

class Sound_Player {
  public:
    virtual ~Sound_Player() = default;
    // Starts, restarts or resumes `channel`. Callers play only while the "Sound" setting
    // is on; a channel that does not exist or holds no sound is ignored by the player.
    virtual void Play(int channel) = 0;
};
