// platform_sdl.cpp - the platform layer on SDL2: display modes, the window and
// its GL context, events, the counter, the cursor and message boxes.
#include "platform/platform.h"

#include <SDL2/SDL.h>

#include <csignal>
#include <cstring>

#include "platform/platform_sdl_gamepad.h"

namespace platform {

namespace {

SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
bool g_fullscreen = false;
MessageBoxHandler g_messageBoxHandler = nullptr;
CallObserver g_callObserver = nullptr;
Uint32 g_quitEvent = 0;  // user event type carrying the quit code

void report(const char* call)
{
    if (g_callObserver)
        g_callObserver(call);
}

// --- SIGINT, SIGTERM and SIGHUP while the game window exists ---------------

// Written by the handler only; pollEvent turns it into the quit message.
volatile std::sig_atomic_t g_quitSignal = 0;
bool g_quitSignalDelivered = false;

extern "C" void onQuitSignal(int signal)
{
    // A second signal while the first waits for the loop (a start-up that
    // does not come back, say) ends the process the ordinary way.
    if (g_quitSignal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_quitSignal = signal;
}

void setQuitSignalHandlers(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);  // the terminal closed
}

// SDL's drivers that open no window anyone can see.
bool showsNothing(const char* driver)
{
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Whether SDL_VIDEODRIVER (a comma-separated list) names the driver.
bool askedFor(const char* driver)
{
    const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!wanted)
        return false;
    const size_t length = std::strlen(driver);
    for (const char* p = wanted; *p;) {
        const char* end = std::strchr(p, ',');
        const size_t n = end ? size_t(end - p) : std::strlen(p);
        if (n == length && SDL_strncasecmp(p, driver, n) == 0)
            return true;
        p += end ? n + 1 : n;
    }
    return false;
}

SDL_MessageBoxFlags iconFlag(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::Stop: return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::Information: break;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

MessageResult systemMessageBox(const MessageBoxRequest& request)
{
    SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"},
    };
    // Yes is the default (Enter); Escape answers No.
    SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    SDL_MessageBoxData data{};
    data.flags = iconFlag(request.icon);
    data.window = nullptr;
    data.title = request.caption.c_str();
    data.message = request.text.c_str();
    data.numbuttons = yesNo ? 2 : 1;
    data.buttons = yesNo ? yesNoButtons : okButtons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0)
        return yesNo ? MessageResult::No : MessageResult::Ok;
    if (!yesNo)
        return MessageResult::Ok;
    return pressed == 1 ? MessageResult::Yes : MessageResult::No;
}

int keyFromSdlButton(Uint8 button, bool down, EventType& type)
{
    switch (button) {
    case SDL_BUTTON_LEFT: type = down ? EventType::LButtonDown : EventType::LButtonUp; return 1;
    case SDL_BUTTON_RIGHT: type = down ? EventType::RButtonDown : EventType::RButtonUp; return 1;
    case SDL_BUTTON_MIDDLE: type = down ? EventType::MButtonDown : EventType::MButtonUp; return 1;
    default: return 0;
    }
}

}  // namespace

// --- start-up --------------------------------------------------------------

bool init()
{
    // The game window installs its own handlers (createWindow); before it
    // exists there is nothing to restore and the signals keep their defaults.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0)
        return false;
    // Without X or Wayland, SDL falls back to a driver that draws into memory:
    // the dialog would run unseen for ever. That is no display, unless asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (showsNothing(driver) && !askedFor(driver)) {
        SDL_Quit();
        return false;
    }
    if (g_quitEvent == 0)
        g_quitEvent = SDL_RegisterEvents(1);
    return true;
}

void shutdown() { SDL_Quit(); }

std::string executableDirectory()
{
    char* base = SDL_GetBasePath();
    if (!base)
        return "./";
    std::string dir = base;
    SDL_free(base);
    return dir;
}

// --- display modes -----------------------------------------------------------

bool displaySetting(int index, DisplaySetting& out)
{
    if (index < 0 || index >= SDL_GetNumDisplayModes(0))
        return false;
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, index, &mode) != 0)
        return false;
    out.width = mode.w;
    out.height = mode.h;
    out.bitsPerPixel = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    out.refreshRate = mode.refresh_rate;
    return true;
}

// --- message boxes -------------------------------------------------------------

MessageResult messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons)
{
    const MessageBoxRequest request{text, caption, icon, buttons};
    if (g_messageBoxHandler)
        return g_messageBoxHandler(request);
    return systemMessageBox(request);
}

void setMessageBoxHandler(MessageBoxHandler handler) { g_messageBoxHandler = handler; }

// --- window and GL context -------------------------------------------------------

bool fullscreenModeAvailable(int width, int height, int bits)
{
    // Any mode of the display with this size will do; SDL picks the format.
    // 32-bit requests accept the 24-bit colour modes X servers report.
    for (int i = 0; i < SDL_GetNumDisplayModes(0); ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        const int modeBits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        if (mode.w == width && mode.h == height && (modeBits >= 24 || modeBits == bits))
            return true;
    }
    return false;
}

bool createWindow(const WindowDesc& desc)
{
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    g_fullscreen = desc.fullscreen;
    if (desc.fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN;
    g_window = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width, desc.height, flags);
    if (!g_window)
        return false;
    g_quitSignal = 0;
    g_quitSignalDelivered = false;
    setQuitSignalHandlers(onQuitSignal);
    if (desc.fullscreen) {
        SDL_DisplayMode mode{};
        mode.w = desc.width;
        mode.h = desc.height;
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(0, &mode, &closest))
            SDL_SetWindowDisplayMode(g_window, &closest);
    }
    return true;
}

bool choosePixelFormat()
{
    // 32-bit colour with alpha, 24-bit depth, no stencil or accumulation, double buffered.
    bool ok = SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0;
    ok &= SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY) == 0;
    return ok;
}

bool createGLContext()
{
    g_context = SDL_GL_CreateContext(g_window);
    return g_context != nullptr;
}

bool makeGLContextCurrent() { return SDL_GL_MakeCurrent(g_window, g_context) == 0; }

bool releaseGLContext()
{
    report("releaseGLContext");
    return SDL_GL_MakeCurrent(g_window, nullptr) == 0;
}

bool deleteGLContext()
{
    report("deleteGLContext");
    SDL_GL_DeleteContext(g_context);
    g_context = nullptr;
    return true;
}

bool destroyWindow()
{
    report("destroyWindow");
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
    // Nothing is left to restore: a signal may end the process right away.
    setQuitSignalHandlers(SIG_DFL);
    return true;
}

bool hasWindow() { return g_window != nullptr; }

bool windowBounds(int& x, int& y, int& width, int& height)
{
    if (!g_window)
        return false;
    SDL_GetWindowPosition(g_window, &x, &y);
    SDL_GetWindowSize(g_window, &width, &height);
    return true;
}
bool hasGLContext() { return g_context != nullptr; }

void showWindow()
{
    SDL_ShowWindow(g_window);
    SDL_RaiseWindow(g_window);
    SDL_SetWindowInputFocus(g_window);
}

void restoreDesktopMode()
{
    report("restoreDesktopMode");
    if (g_window && g_fullscreen)
        SDL_SetWindowFullscreen(g_window, 0);
    g_fullscreen = false;
}

void showCursor(bool show)
{
    report(show ? "showCursor(1)" : "showCursor(0)");
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void swapBuffers()
{
    if (g_window)
        SDL_GL_SwapWindow(g_window);
}

void disableScreenSaver() { SDL_DisableScreenSaver(); }

void setCallObserver(CallObserver observer) { g_callObserver = observer; }

// --- events ----------------------------------------------------------------------

bool pollEvent(Event& event)
{
    event = Event{};
    if (g_quitSignal != 0 && !g_quitSignalDelivered) {
        g_quitSignalDelivered = true;
        event.type = EventType::Quit;
        event.quitCode = 128 + g_quitSignal;
        return true;
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return false;
    if (e.type == g_quitEvent) {
        event.type = EventType::Quit;
        event.quitCode = e.user.code;
        return true;
    }
    if (sdl::translateGamepadEvent(e, event))
        return true;
    switch (e.type) {
    case SDL_QUIT:
        event.type = EventType::Close;
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: event.type = EventType::Close; break;
        case SDL_WINDOWEVENT_MINIMIZED: event.type = EventType::Activate; event.minimised = true; break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_FOCUS_GAINED: event.type = EventType::Activate; event.minimised = false; break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            event.type = EventType::Size;
            event.width = e.window.data1;
            event.height = e.window.data2;
            break;
        default: break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        event.virtualKey = virtualKeyFromKeycode(e.key.keysym.sym);
        event.type = event.virtualKey == 0 ? EventType::Other
                     : e.type == SDL_KEYDOWN ? EventType::KeyDown
                                             : EventType::KeyUp;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        keyFromSdlButton(e.button.button, e.type == SDL_MOUSEBUTTONDOWN, event.type);
        break;
    case SDL_MOUSEWHEEL:
        event.type = EventType::MouseWheel;
        event.wheelDelta = (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
        break;
    default:
        break;
    }
    return true;
}

void postQuit(int code)
{
    SDL_Event e{};
    e.type = g_quitEvent;
    e.user.code = code;
    SDL_PushEvent(&e);
}

int virtualKeyFromKeycode(int32_t keycode)
{
    if (keycode >= SDLK_a && keycode <= SDLK_z)
        return 'A' + (keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9)
        return '0' + (keycode - SDLK_0);
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12)
        return 0x70 + (keycode - SDLK_F1);
    if (keycode >= SDLK_KP_1 && keycode <= SDLK_KP_9)
        return 0x61 + (keycode - SDLK_KP_1);
    switch (keycode) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 0x0D;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_KP_0: return 0x60;
    default: return 0;
    }
}

// --- time and cursor ----------------------------------------------------------------

int64_t performanceCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }
int64_t performanceFrequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

void cursorPosition(int& x, int& y)
{
    SDL_GetGlobalMouseState(&x, &y);
}

}  // namespace platform

// --- clipboard ---------------------------------------------------------------------

#include "platform/x11_clipboard.h"

namespace platform {

bool setClipboardText(const std::string& text)
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::string(driver) == "x11" &&
        x11clipboard::handOver(executableDirectory() + "glasswake-clipboard", text))
        return true;
    // Elsewhere the system keeps the text itself (or we hold it while we live).
    return SDL_SetClipboardText(text.c_str()) == 0;
}

}  // namespace platform
