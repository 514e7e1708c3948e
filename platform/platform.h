// platform.h - the narrow interface between the shell and the operating system.
//
// The game was designed around Win32 and WGL. Everything the shell needs from
// the system - display modes, the window and its GL context, input events,
// the performance counter, message boxes, the clipboard and the settings
// dialog - goes through this header. platform_sdl*.cpp implement it on SDL2
// (with Xlib for the clipboard and Dear ImGui for the dialog); a native
// Windows layer would implement the same functions and nothing else changes.
//
// Input arrives as Events in the vocabulary of the Win32 window procedure:
// key codes are Windows virtual-key codes, the wheel comes in steps of 120.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// --- start-up -----------------------------------------------------------

// Video and event subsystems; false if no display. A video driver that shows
// nothing (SDL's offscreen or dummy) counts as no display unless the user
// named it in SDL_VIDEODRIVER.
bool init();
void shutdown();  // releases whatever init acquired

// Folder of the running executable, with a trailing '/'.
std::string executableDirectory();

// --- display modes -------------------------------------------------------

struct DisplaySetting {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refreshRate = 0;
};

// Setting number `index` of the default display; false when there are no more.
bool displaySetting(int index, DisplaySetting& out);

// --- settings dialog -----------------------------------------------------

struct SettingsDialogModel {
    std::string caption;
    std::vector<std::string> modeLabels;
    int selected = -1;
    bool antialiased = true;
    bool windowed = false;
    bool force169 = true;
};

struct SettingsDialogResult {
    bool run = false;  // "Run ... " pressed (false: "Quit", Escape or the close box)
    int selected = -1;
    bool antialiased = true;
    bool windowed = false;
    bool force169 = true;
};

// Shows the modal settings dialog in its own small window.
SettingsDialogResult runSettingsDialog(const SettingsDialogModel& model);
// Called after every frame the dialog draws (tests drive it from there); nullptr: none.
void setSettingsDialogFrameHook(void (*hook)());

// --- message boxes -------------------------------------------------------

enum class MessageIcon { Information, Exclamation, Stop };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
};

using MessageBoxHandler = MessageResult (*)(const MessageBoxRequest&);

// Shows a modal message box with no owner window.
MessageResult messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons = MessageButtons::Ok);
// Replaces the system message box (tests answer without a dialog); nullptr restores it.
void setMessageBoxHandler(MessageBoxHandler handler);

// --- window and GL context -----------------------------------------------

struct WindowDesc {
    std::string title;
    int x = 0;
    int y = 0;
    int width = 0;   // client area
    int height = 0;
    bool fullscreen = false;
};

// True when the display can switch to width x height at the given depth.
bool fullscreenModeAvailable(int width, int height, int bits);
// Creates the (hidden) window; in full screen the display mode changes.
// While the window exists, SIGINT, SIGTERM and SIGHUP arrive as the quit
// message with code 128 + the signal, so that the game ends through its
// teardown; a second one before that ends the process at once.
bool createWindow(const WindowDesc& desc);
// Requests 32-bit colour with alpha, 24-bit depth, double buffering.
bool choosePixelFormat();
// A compatibility-profile context for the window.
bool createGLContext();
bool makeGLContextCurrent();
bool releaseGLContext();   // no context current
bool deleteGLContext();
bool destroyWindow();
bool hasWindow();
bool hasGLContext();
// Shows the window, raises it and gives it the keyboard focus.
void showWindow();
void restoreDesktopMode();
void showCursor(bool show);
void swapBuffers();
void disableScreenSaver();
// Tests: receives the name of every window and display-mode call from here on,
// in order ("restoreDesktopMode", "showCursor(1)", "destroyWindow", ...);
// nullptr stops it.
using CallObserver = void (*)(const char* call);
void setCallObserver(CallObserver observer);

// --- events --------------------------------------------------------------

enum class EventType {
    Quit,          // the quit message; quitCode holds its code (128 + signal for SIGINT, SIGTERM, SIGHUP)
    Activate,      // minimised tells whether the window is now minimised
    Close,
    KeyDown,
    KeyUp,
    Size,          // width, height of the client area
    LButtonDown,
    LButtonUp,
    RButtonDown,
    RButtonUp,
    MButtonDown,
    MButtonUp,
    MouseWheel,    // wheelDelta in units of 120 per notch
    PadButtonDown, // padButton: which (a trigger counts as a button)
    PadButtonUp,
    PadRemoved,    // a pad went away; whatever it held is released
    Other,
};

// The pad buttons the shell gives a meaning; the others arrive as Other.
enum class PadButton { None, A, B, Back, Start, LeftTrigger, RightTrigger };

struct Event {
    EventType type = EventType::Other;
    int virtualKey = 0;
    bool minimised = false;
    int width = 0;
    int height = 0;
    int wheelDelta = 0;
    int quitCode = 0;
    PadButton padButton = PadButton::None;
};

// Takes the next pending event without waiting; false when none is pending.
bool pollEvent(Event& event);
// Queues the quit message.
void postQuit(int code);

// Windows virtual-key code for an SDL key code (0 when it has none).
int virtualKeyFromKeycode(int32_t keycode);

// --- gamepad -------------------------------------------------------------

// Starts the game-controller layer: its controller database (plus the
// player's own mappings from `extraMappingsFile` when that exists) and hot
// plug. False when there is none; the game then simply has no pad.
bool initGamepads(const std::string& extraMappingsFile);
// The left stick of the pad used last, each axis -1 ... 1 (right and down
// positive), before any dead zone. False when no pad is open.
bool gamepadStick(double& x, double& y);
// Rumbles the pad used last at strength 0 ... 1 for the given time; false
// when no pad is open or it cannot rumble.
bool rumbleGamepad(double strength, int milliseconds);
// The game window's client area in screen pixels; false without a window.
bool windowBounds(int& x, int& y, int& width, int& height);

// --- time, cursor, clipboard ---------------------------------------------

int64_t performanceCounter();
int64_t performanceFrequency();
// Cursor position in screen pixels (not relative to the window).
void cursorPosition(int& x, int& y);
// Puts plain text on the system clipboard, where it stays after the process
// ends (until another program takes the clipboard over).
bool setClipboardText(const std::string& text);

}  // namespace platform
