#include "music/tracks.h"

// The default soundtrack (tools/music/make-music) writes these; any MP3 files of the same names serve.
const char* const track_paths[entry_count] = {
    "Music/01-first-light.mp3",    "Music/02-tin-robot.mp3",      "Music/03-night-drive.mp3",
    "Music/04-paper-boats.mp3",    "Music/05-glass-garden.mp3",   "Music/06-neon-rain.mp3",
    "Music/07-slow-orbit.mp3",     "Music/08-copper-wire.mp3",    "Music/09-marble-run.mp3",
    "Music/10-desert-echo.mp3",    "Music/11-pixel-parade.mp3",   "Music/12-tidal-lock.mp3",
    "Music/13-velvet-fog.mp3",     "Music/14-clockwork-fox.mp3",  "Music/15-salt-and-static.mp3",
    "Music/16-lantern-walk.mp3",   "Music/17-quartz-bloom.mp3",   "Music/18-subway-choir.mp3",
    "Music/19-kite-string.mp3",    "Music/20-ember-waltz.mp3",    "Music/21-frost-signal.mp3",
    "Music/22-rubber-band.mp3",    "Music/23-hollow-moon.mp3",    "Music/24-bright-circuit.mp3",
    "Music/25-rain-on-tin.mp3",    "Music/26-amber-loop.mp3",     "Music/27-solar-wind.mp3",
    "Music/28-little-engine.mp3",  "Music/29-deep-current.mp3",   "Music/30-honey-drum.mp3",
    "Music/31-cloud-stair.mp3",    "Music/32-iron-lullaby.mp3",   "Music/33-spark-chase.mp3",
    "Music/34-violet-hour.mp3",    "Music/35-tumble-dice.mp3",    "Music/36-last-light.mp3",
    "Music/37-closing-bell.mp3",
};
