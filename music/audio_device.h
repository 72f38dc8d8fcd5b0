// The default audio output, pulling its sound from pull_samples.
#pragma once

// Opens and starts the device. False, after one line on stderr, when there is none.
bool open_audio_device();
