#include "music/audio_device.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "music/playback.h"

namespace {
void fill_device(void*, Uint8* stream, int len) { pull_samples(stream, uint32_t(len)); }

// Without a sound card, alsa-lib reports the fact on stderr in many lines of
// its own. While the device opens those go nowhere; one line of ours says it.
int silence_stderr()
{
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
        dup2(nowhere, STDERR_FILENO);
        close(nowhere);
    }
    return saved;
}

void restore_stderr(int saved)
{
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
}

SDL_AudioDeviceID open_device()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024; // about 23 ms: a switch is heard within a frame or two
    want.callback = fill_device;
    // No changes allowed: SDL converts to whatever the hardware takes.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return device;
}
}

bool open_audio_device()
{
    const int saved = silence_stderr();
    const SDL_AudioDeviceID device = open_device();
    restore_stderr(saved);
    if (device == 0) {
        std::fprintf(stderr, "swipemix: no audio output (%s); the show runs silent\n", SDL_GetError());
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}
