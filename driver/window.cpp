#include "driver/window.h"
#include "driver/studio_window.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_vulkan.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shared/state.h"

namespace {
SDL_Window* show_window;
int back_buffer_width; // the width a frame_height-line picture has in the window
int window_height;     // in the window's pixels
const char* surface_extensions[8];
unsigned surface_extension_count;
std::atomic<bool> escape_pressed;
Uint32 cursor_moved; // SDL ticks of the last motion; 0: hidden
constexpr Uint32 cursor_linger_ms = 1500;

// The width of a frame_height-line picture with the aspect of width x height.
int aspect_width(int width, int height) { return width * frame_height / (height > 0 ? height : frame_height); }

input_event at_pointer(input_kind kind, int x, int y)
{
    int width = 1, height = 1;
    SDL_GetWindowSize(show_window, &width, &height);
    input_event event;
    event.kind = kind, event.x = double(x) / std::max(width, 1), event.y = double(y) / std::max(height, 1);
    return event;
}

unsigned modifiers(Uint16 mod)
{
    return (mod & KMOD_SHIFT ? input_shift : 0u) | (mod & KMOD_CTRL ? input_ctrl : 0u) |
           (mod & KMOD_ALT ? input_alt : 0u);
}

// SDL names a key that types a character by that character; the rest by a
// code of its own, turned here into the studio window's names.
int key_of(SDL_Keycode sym)
{
    if (sym >= 0 && sym < 0x80)
        return sym;
    if (sym >= SDLK_F1 && sym <= SDLK_F12)
        return key_f1 + (sym - SDLK_F1);
    switch (sym) {
    case SDLK_LEFT: return key_left;
    case SDLK_RIGHT: return key_right;
    case SDLK_UP: return key_up;
    case SDLK_DOWN: return key_down;
    case SDLK_PAGEUP: return key_page_up;
    case SDLK_PAGEDOWN: return key_page_down;
    case SDLK_HOME: return key_home;
    case SDLK_END: return key_end;
    default: return key_other;
    }
}

void show_cursor_a_while()
{
    if (!cursor_moved)
        SDL_ShowCursor(SDL_ENABLE);
    cursor_moved = std::max<Uint32>(SDL_GetTicks(), 1);
}

// Sees every event as SDL queues it, so a press is caught even while the
// frame loop takes only one event a frame.
int watch_escape(void*, SDL_Event* event)
{
    if (event->type == SDL_KEYDOWN && event->key.keysym.scancode == SDL_SCANCODE_ESCAPE)
        escape_pressed = true;
    return 0;
}

bool create_surface(void* instance, void* surface)
{
    return SDL_Vulkan_CreateSurface(show_window, static_cast<VkInstance>(instance),
                                    static_cast<VkSurfaceKHR*>(surface));
}
}

// SDL's video on the display the environment names. Where that display does
// not answer, SDL falls back to its offscreen driver, which can show no
// window: that is said as it is, naming the display.
static bool start_video(const char* tool)
{
    // Ctrl-C in a terminal should end the program like any other, not queue a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL 2.26 opens libX11-xcb by its development name, which only the -dev
    // package provides; drivers that offer only the XCB surface need it.
    setenv("SDL_X11_XCB_LIBRARY", "libX11-xcb.so.1", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "%s: no display to show on (%s)\n", tool, SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!driver || (std::strcmp(driver, "offscreen") && std::strcmp(driver, "dummy")) || (asked && !std::strcmp(asked, driver)))
        return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (x && *x)
        std::fprintf(stderr, "%s: cannot reach the display %s (DISPLAY): no X server answers there\n", tool, x);
    else if (wayland && *wayland)
        std::fprintf(stderr, "%s: cannot reach the display %s (WAYLAND_DISPLAY): no compositor answers there\n", tool,
                     wayland);
    else
        std::fprintf(stderr, "%s: no display to show on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", tool);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
}

// Instance extensions the window's surface needs, read once it exists.
static bool finish_window()
{
    surface_extension_count = sizeof surface_extensions / sizeof *surface_extensions;
    if (!SDL_Vulkan_GetInstanceExtensions(show_window, &surface_extension_count, surface_extensions))
        surface_extension_count = 0;
    return true;
}

bool create_window()
{
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (!start_video("swipemix"))
        return false;
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(0, &screen) != 0)
        screen = {0, 0, 1920, 1080};
    show_window = SDL_CreateWindow("", screen.x, screen.y, screen.w, screen.h,
                                   SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_VULKAN |
                                       SDL_WINDOW_SHOWN);
    if (!show_window) {
        std::fprintf(stderr, "swipemix: cannot create the show window (%s)\n", SDL_GetError());
        return false;
    }
    int width = screen.w, height = screen.h;
    SDL_GetWindowSize(show_window, &width, &height);
    back_buffer_width = aspect_width(width, height);
    SDL_ShowCursor(SDL_DISABLE);
    SDL_AddEventWatch(watch_escape, nullptr);
    return finish_window();
}

bool create_studio_window(int width, int height)
{
    if (!start_video("swipemix-studio"))
        return false;
    SDL_AddEventWatch(watch_escape, nullptr);
    show_window = SDL_CreateWindow("swipemix studio", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_VULKAN | SDL_WINDOW_SHOWN);
    if (!show_window) {
        std::fprintf(stderr, "swipemix-studio: cannot create a window (%s)\n", SDL_GetError());
        return false;
    }
    SDL_GetWindowSize(show_window, &width, &height);
    back_buffer_width = aspect_width(width, height), window_height = height;
    SDL_ShowCursor(SDL_DISABLE);
    return finish_window();
}

input_event next_input_event()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        input_event e;
        if (event.type == SDL_QUIT)
            return e.kind = input_kind::quit, e;
        if (event.type == SDL_MOUSEMOTION) {
            show_cursor_a_while();
            if (event.motion.state & SDL_BUTTON_LMASK)
                return at_pointer(input_kind::drag, event.motion.x, event.motion.y);
            continue;
        }
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) {
            e = at_pointer(input_kind::press, event.button.x, event.button.y);
            e.clicks = event.button.clicks;
            e.time_ms = event.button.timestamp;
            return e;
        }
        if (event.type == SDL_MOUSEWHEEL && event.wheel.y != 0) {
            const bool up = (event.wheel.y > 0) != (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED);
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            e = at_pointer(input_kind::wheel, x, y);
            e.wheel = up ? 1 : -1, e.mods = modifiers(SDL_GetModState());
            return e;
        }
        // A paused studio draws nothing new: a frame presented before the window showed must come again.
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED)
            return e.kind = input_kind::exposed, e;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED &&
            event.window.data1 > 0 && event.window.data2 > 0) {
            const int width = aspect_width(event.window.data1, event.window.data2);
            if (width == back_buffer_width && event.window.data2 == window_height)
                continue;
            back_buffer_width = width, window_height = event.window.data2;
            return e.kind = input_kind::resized, e;
        }
        if (event.type != SDL_KEYDOWN)
            continue;
        e.kind = input_kind::key, e.key = key_of(event.key.keysym.sym), e.mods = modifiers(event.key.keysym.mod);
        return e;
    }
    if (cursor_moved && SDL_GetTicks() - cursor_moved > cursor_linger_ms) {
        SDL_ShowCursor(SDL_DISABLE);
        cursor_moved = 0;
    }
    return {};
}

void wait_for_event(double seconds) { SDL_WaitEventTimeout(nullptr, int(seconds * 1000)); }

void set_window_title(const char* title) { SDL_SetWindowTitle(show_window, title); }

bool quit_asked()
{
    SDL_PumpEvents();
    return escape_pressed.load() || SDL_HasEvent(SDL_QUIT);
}

int window_back_buffer_width() { return back_buffer_width; }

int display_refresh_hz()
{
    SDL_DisplayMode mode;
    const int display = SDL_GetWindowDisplayIndex(show_window);
    return display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
}

void toggle_full_screen()
{
    const bool full = SDL_GetWindowFlags(show_window) & SDL_WINDOW_FULLSCREEN;
    SDL_SetWindowFullscreen(show_window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

int window_pixel_height() { return window_height; }

window_link show_window_link() { return {surface_extensions, surface_extension_count, create_surface}; }

void pump_one_message()
{
    SDL_Event event;
    SDL_PollEvent(&event);
}

bool escape_requested()
{
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return escape_pressed.exchange(false) || keys[SDL_SCANCODE_ESCAPE];
}
