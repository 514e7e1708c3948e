// platform_sdl_dialog.cpp - the settings dialog as a small SDL window drawn
// with Dear ImGui, laid out from the original dialog template in dialog units.
#include <SDL2/SDL.h>
#include <fontconfig/fontconfig.h>

#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <imgui_internal.h>
#include <imgui_impl_sdl.h>

#include <GL/gl.h>

#include <string>

#include "platform/platform.h"
#include "platform/platform_sdl_gamepad.h"

namespace platform {

namespace {

// The template's size in dialog units and its font: Arial, 10 points.
constexpr float DIALOG_WIDTH_DLU = 179.0f;
constexpr float DIALOG_HEIGHT_DLU = 88.0f;
constexpr float FONT_PIXELS = 10.0f * 96.0f / 72.0f;

// The dialog draws only when something happens: after each event a few
// frames let Dear ImGui settle a click or a move; then it sleeps until the
// next event. While a button or a stick is held it keeps a frame's pace, so
// navigation repeats.
constexpr int SETTLE_FRAMES = 3;
constexpr int BUSY_WAIT_MS = 16;
constexpr int IDLE_WAIT_MS = 500;

void (*g_frameHook)() = nullptr;

struct DialogUnits {
    float x = 1.75f;  // pixels per horizontal dialog unit (average character width / 4)
    float y = 2.0f;   // pixels per vertical dialog unit (character height / 8)
    ImVec2 at(float dx, float dy) const { return ImVec2(dx * x, dy * y); }
};

// A pad in hand shows where the navigation stands (from the start on
// "Run ... ", the default button), so its first A already presses a control.
void showNavigationCursor()
{
    GImGui->NavDisableHighlight = false;
    GImGui->NavDisableMouseHover = true;
}

bool inputHeld(const ImGuiIO& io)
{
    for (float value : io.NavInputs)
        if (value > 0.0f)
            return true;
    for (bool down : io.MouseDown)
        if (down)
            return true;
    return false;
}

std::string findFontFile(const char* family)
{
    std::string path;
    if (!FcInit())
        return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

DialogUnits measureDialogUnits()
{
    // Windows derives dialog units from the dialog font: x from the average
    // width of the 52 letters, y from the character height.
    DialogUnits units;
    const ImVec2 letters = ImGui::CalcTextSize("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    if (letters.x > 0.0f)
        units.x = letters.x / 52.0f / 4.0f;
    units.y = ImGui::GetFontSize() * 1.2f / 8.0f;
    return units;
}

void groupBox(const DialogUnits& u, const char* label, float x, float y, float w, float h)
{
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetWindowPos();
    const float lineY = origin.y + y * u.y + ImGui::GetFontSize() * 0.5f;
    const ImVec2 a(origin.x + x * u.x, lineY);
    const ImVec2 b(origin.x + (x + w) * u.x, origin.y + (y + h) * u.y);
    draw->AddRect(a, b, ImGui::GetColorU32(ImGuiCol_Border));
    if (label[0] != '\0') {
        const ImVec2 textPos(a.x + 6.0f * u.x / 1.75f, origin.y + y * u.y);
        const ImVec2 size = ImGui::CalcTextSize(label);
        draw->AddRectFilled(ImVec2(textPos.x - 2.0f, textPos.y), ImVec2(textPos.x + size.x + 2.0f, textPos.y + size.y),
                            ImGui::GetColorU32(ImGuiCol_WindowBg));
        draw->AddText(textPos, ImGui::GetColorU32(ImGuiCol_Text), label);
    }
}

}  // namespace

void setSettingsDialogFrameHook(void (*hook)()) { g_frameHook = hook; }

SettingsDialogResult runSettingsDialog(const SettingsDialogModel& model)
{
    SettingsDialogResult result;
    result.selected = model.selected;
    result.antialiased = model.antialiased;
    result.windowed = model.windowed;
    result.force169 = model.force169;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // The d-pad moves between the controls, A presses, B quits (or closes the list).
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableGamepad;
    const std::string fontFile = findFontFile("Arial");
    if (fontFile.empty() || !io.Fonts->AddFontFromFileTTF(fontFile.c_str(), FONT_PIXELS))
        io.Fonts->AddFontDefault();
    io.Fonts->Build();
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0.0f;
    style.FrameBorderSize = 1.0f;
    style.WindowPadding = ImVec2(0.0f, 0.0f);

    // Dialog units need the font, which needs a frame: measure before the window exists.
    io.DisplaySize = ImVec2(640.0f, 480.0f);
    unsigned char* pixels = nullptr;
    int fw = 0;
    int fh = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &fw, &fh);
    ImGui::NewFrame();
    const DialogUnits u = measureDialogUnits();
    ImGui::EndFrame();

    const int width = static_cast<int>(DIALOG_WIDTH_DLU * u.x + 0.5f);
    const int height = static_cast<int>(DIALOG_HEIGHT_DLU * u.y + 0.5f);
    SDL_Window* window = SDL_CreateWindow(model.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        // Without a dialog window, run with the defaults rather than not at all.
        if (window)
            SDL_DestroyWindow(window);
        ImGui::DestroyContext();
        result.run = true;
        return result;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(1);
    SDL_RaiseWindow(window);
    ImGui_ImplSDL2_InitForOpenGL(window, context);
    ImGui_ImplOpenGL2_Init();

    const char* preview = result.selected >= 0 ? model.modeLabels[static_cast<size_t>(result.selected)].c_str() : "";
    bool done = false;
    int settle = SETTLE_FRAMES;
    auto handle = [&](const SDL_Event& event) {
        settle = SETTLE_FRAMES;
        ImGui_ImplSDL2_ProcessEvent(&event);
        const bool popupOpen = ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopup);
        if (event.type == SDL_CONTROLLERBUTTONDOWN)
            showNavigationCursor();
        if (event.type == SDL_CONTROLLERDEVICEADDED || event.type == SDL_CONTROLLERDEVICEREMOVED) {
            Event ignored;
            sdl::translateGamepadEvent(event, ignored);  // the game finds the pads open
        } else if (event.type == SDL_QUIT ||
                   (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
            done = true;  // the close box quits
        } else if (event.type == SDL_KEYDOWN && !popupOpen) {
            if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
                result.run = true;  // "Run ... " is the default button
                done = true;
            } else if (event.key.keysym.sym == SDLK_ESCAPE) {
                done = true;
            }
        } else if (event.type == SDL_CONTROLLERBUTTONDOWN && event.cbutton.button == SDL_CONTROLLER_BUTTON_B &&
                   !popupOpen) {
            done = true;  // B quits, as Escape does (in an open list it only closes the list)
        }
    };
    while (!done) {
        SDL_Event event;
        while (!done && SDL_PollEvent(&event))
            handle(event);
        if (done)
            break;

        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), static_cast<float>(height)));
        ImGui::Begin("settings", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoBringToFrontOnFocus);

        groupBox(u, "Resolution", 2, 3, 174, 28);
        groupBox(u, "", 2, 29, 174, 26);
        groupBox(u, "", 2, 53, 174, 34);

        ImGui::SetCursorPos(u.at(16, 12));
        ImGui::SetNextItemWidth(144 * u.x);
        if (ImGui::BeginCombo("##resolution", preview)) {
            for (size_t i = 0; i < model.modeLabels.size(); ++i) {
                const bool selected = static_cast<int>(i) == result.selected;
                if (ImGui::Selectable(model.modeLabels[i].c_str(), selected)) {
                    result.selected = static_cast<int>(i);
                    preview = model.modeLabels[i].c_str();
                }
                if (selected)
                    ImGui::SetItemDefaultFocus();
            }
            ImGui::EndCombo();
        }

        ImGui::SetCursorPos(u.at(18, 37));
        ImGui::Checkbox("Antialiased", &result.antialiased);
        ImGui::SetCursorPos(u.at(68, 37));
        ImGui::Checkbox("Windowed", &result.windowed);
        ImGui::SetCursorPos(u.at(117, 37));
        ImGui::Checkbox("Force 16:9", &result.force169);

        ImGui::SetCursorPos(u.at(17, 61));
        if (ImGui::Button("Run ... ", u.at(109, 21))) {
            result.run = true;
            done = true;
        }
        ImGui::SetItemDefaultFocus();
        ImGui::SetCursorPos(u.at(135, 61));
        if (ImGui::Button("Quit", u.at(24, 21)))
            done = true;

        ImGui::End();
        ImGui::Render();
        glViewport(0, 0, width, height);
        glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(window);
        if (g_frameHook)
            g_frameHook();

        if (done)
            break;
        if (settle > 0)
            --settle;
        const int wait = settle > 0 || inputHeld(io) ? BUSY_WAIT_MS : IDLE_WAIT_MS;
        if (SDL_WaitEventTimeout(&event, wait))
            handle(event);
    }

    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    // Drop anything the dialog left queued so the game window starts clean.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return result;
}

}  // namespace platform
