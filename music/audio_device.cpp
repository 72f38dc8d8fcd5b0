#include "music/audio_device.h"

#include <SDL.h>

#include <cstdio>

#include "music/playback.h"

namespace {
void fill_device(void*, Uint8* stream, int len) { pull_samples(stream, uint32_t(len)); }
}

bool open_audio_device()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "swipemix: no audio output (%s); the show runs silent\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024; // about 23 ms: a switch is heard within a frame or two
    want.callback = fill_device;
    // No changes allowed: SDL converts to whatever the hardware takes.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0) {
        std::fprintf(stderr, "swipemix: no audio output (%s); the show runs silent\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}
