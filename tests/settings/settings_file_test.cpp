// The remembered settings: the file's round trip, every way it can be bad,
// a mode the screen no longer offers, and what each option makes of the
// dialog's starting state.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "settings/command_line.h"
#include "settings/settings_file.h"
#include "settings/startup_settings.h"

namespace {

namespace fs = std::filesystem;

// A config home of its own for each test.
class SettingsFile : public ::testing::Test {
protected:
    fs::path home;
    std::string savedConfigHome;
    bool hadConfigHome = false;

    void SetUp() override
    {
        home = fs::temp_directory_path() / ("gw_settings_" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            hadConfigHome = true;
            savedConfigHome = old;
        }
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadConfigHome)
            setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        fs::permissions(home, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(home);
    }
    void writeText(const std::string& text)
    {
        fs::create_directories(home / "glasswake");
        std::ofstream(home / "glasswake" / "settings.ini", std::ios::binary) << text;
    }
};

const std::vector<DisplayMode> LISTED = {{640, 480}, {1024, 768}, {1280, 720}, {1600, 900}};

std::vector<platform::DisplaySetting> offered(int depth = 24)
{
    std::vector<platform::DisplaySetting> all;
    for (const DisplayMode& m : LISTED)
        all.push_back({m.width, m.height, depth, 60});
    return all;
}

CommandLine options(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"glasswake"};
    argv.insert(argv.end(), args);
    CommandLine cl = parseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(cl.action, CommandLine::Action::Run) << cl.error;
    return cl;
}

}  // namespace

TEST_F(SettingsFile, RoundTripThroughTheConfigFolder)
{
    const std::string path = settingsFilePath();
    EXPECT_EQ(path, (home / "glasswake" / "settings.ini").string());
    RememberedSettings read;
    std::string why;
    EXPECT_EQ(readSettingsFile(path, read, why), SettingsFileStatus::Missing);
    EXPECT_FALSE(loadRememberedSettings(read));

    const RememberedSettings chosen{1600, 900, 24, true, false, false};
    ASSERT_TRUE(writeSettingsFile(path, chosen, why)) << why;
    ASSERT_EQ(readSettingsFile(path, read, why), SettingsFileStatus::Read) << why;
    EXPECT_EQ(read, chosen);
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "[glasswake-settings 1]");

    // Overwritten whole; no temporary file stays behind.
    const RememberedSettings again{640, 480, 32, false, true, true};
    saveRememberedSettings(again);
    ASSERT_TRUE(loadRememberedSettings(read));
    EXPECT_EQ(read, again);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home / "glasswake"))
        ++files;
    EXPECT_EQ(files, 1);

    // Comments, blank lines, spaces, CR LF line ends and unknown keys are fine.
    RememberedSettings parsed;
    ASSERT_EQ(parseSettings("[glasswake-settings 1]\r\n# mine\r\n\r\nwidth = 800\r\nheight=600\r\ndepth=16\r\n"
                            "windowed=1\r\nantialiased=0\r\nforce-16-9=1\r\nvolume=3\r\n",
                            parsed, why),
              SettingsFileStatus::Read)
        << why;
    EXPECT_EQ(parsed, (RememberedSettings{800, 600, 16, true, false, true}));
}

TEST_F(SettingsFile, CorruptOrUnreadableGivesTheDefaultsAndOneLine)
{
    const std::string good = formatSettings({1280, 720, 24, false, true, true});
    for (const std::string& text :
         {std::string(""), std::string("width=1280\n"), std::string("[glasswake-settings 2]\nwidth=1\n"),
          good.substr(0, good.size() - 13),                        // cut short: a key is missing
          std::string(good).replace(good.find("720"), 3, "-720"),  // bad numbers and flags
          std::string(good).replace(good.find("windowed=0"), 10, "windowed=yes"),
          std::string(good).replace(good.find("width=1280"), 10, "width=99999999"),
          good + "garbage line\n", std::string("[glasswake-settings 1]\0\x01\x02", 25),
          good + std::string(SETTINGS_FILE_MAX_BYTES, '#')}) {
        writeText(text);
        RememberedSettings out{1, 2, 3, true, false, false};
        const RememberedSettings untouched = out;
        std::string why;
        EXPECT_EQ(readSettingsFile(settingsFilePath(), out, why), SettingsFileStatus::Corrupt) << text.substr(0, 40);
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(out, untouched);

        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadRememberedSettings(out));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        // What the dialog then starts with is the designed default.
        const DialogPreset p = presetSettings(LISTED, offered(), nullptr, CommandLine{});
        EXPECT_EQ(p.selected, 2);
    }

    // A folder where the file should be, and (unless root) a file nobody may read.
    fs::remove(home / "glasswake" / "settings.ini");
    fs::create_directories(home / "glasswake" / "settings.ini");
    RememberedSettings out;
    std::string why;
    EXPECT_EQ(readSettingsFile(settingsFilePath(), out, why), SettingsFileStatus::Unreadable);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadRememberedSettings(out));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("settings.ini"), std::string::npos);
    fs::remove(home / "glasswake" / "settings.ini");
    if (geteuid() != 0) {
        writeText(formatSettings({1280, 720, 24, false, true, true}));
        fs::permissions(home / "glasswake" / "settings.ini", fs::perms::none);
        EXPECT_EQ(readSettingsFile(settingsFilePath(), out, why), SettingsFileStatus::Unreadable);
        // Nor can a settings folder that is not writable take the new file.
        fs::permissions(home / "glasswake", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(writeSettingsFile(settingsFilePath(), RememberedSettings{}, why));
        fs::permissions(home / "glasswake", fs::perms::owner_all);
    }
}

TEST(StartupSettings, RememberedModeCountsOnlyWhileTheScreenOffersIt)
{
    const RememberedSettings remembered{1600, 900, 24, true, false, false};
    DialogPreset p = presetSettings(LISTED, offered(), &remembered, CommandLine{});
    EXPECT_EQ(p.selected, 3);
    EXPECT_TRUE(p.windowed);
    EXPECT_FALSE(p.antialiased);
    EXPECT_FALSE(p.force169);
    EXPECT_EQ(p.modes.size(), LISTED.size());

    // The mode vanished, or the screen offers it at another depth only:
    // the designed default, while the check boxes are still remembered.
    const RememberedSettings vanished{1920, 1080, 24, true, false, false};
    p = presetSettings(LISTED, offered(), &vanished, CommandLine{});
    EXPECT_EQ(p.selected, 2);
    EXPECT_TRUE(p.windowed);
    p = presetSettings(LISTED, offered(16), &remembered, CommandLine{});
    EXPECT_EQ(p.selected, 2);

    // What is remembered of a choice: the size with the depth the screen gave it.
    SettingsChoice choice;
    choice.mode = {1024, 768};
    choice.windowed = true;
    const RememberedSettings r = rememberedFromChoice(choice, offered(32));
    EXPECT_EQ(r, (RememberedSettings{1024, 768, 32, true, true, true}));
}

TEST(StartupSettings, EachOptionSetsTheDialogsStartingState)
{
    // No options and nothing remembered: exactly the designed defaults.
    DialogPreset p = presetSettings(LISTED, offered(), nullptr, CommandLine{});
    EXPECT_EQ(p.selected, 2);
    EXPECT_FALSE(p.windowed);
    EXPECT_TRUE(p.antialiased);
    EXPECT_TRUE(p.force169);
    EXPECT_EQ(p.modes.size(), LISTED.size());

    // Options win over what was remembered.
    const RememberedSettings remembered{640, 480, 24, true, false, false};
    p = presetSettings(LISTED, offered(), &remembered, options({"--fullscreen", "--antialias", "--force-16-9"}));
    EXPECT_EQ(p.selected, 0);
    EXPECT_FALSE(p.windowed);
    EXPECT_TRUE(p.antialiased);
    EXPECT_TRUE(p.force169);
    p = presetSettings(LISTED, offered(), nullptr, options({"--windowed", "--no-antialias", "--no-force-16-9"}));
    EXPECT_TRUE(p.windowed);
    EXPECT_FALSE(p.antialiased);
    EXPECT_FALSE(p.force169);

    // --size: a listed mode is selected as it is.
    p = presetSettings(LISTED, offered(), nullptr, options({"--size", "1024x768"}));
    EXPECT_EQ(p.selected, 1);
    // Full screen takes the closest mode the screen offers.
    p = presetSettings(LISTED, offered(), nullptr, options({"--fullscreen", "--size=1300x700"}));
    EXPECT_EQ(p.selected, 2);
    p = presetSettings(LISTED, offered(), nullptr, options({"--size", "3000x2000"}));
    EXPECT_EQ(p.selected, 3);
    EXPECT_EQ(p.modes.size(), LISTED.size());
    // A window may have any size: it joins the list.
    p = presetSettings(LISTED, offered(), &remembered, options({"--size", "900x500"}));
    ASSERT_EQ(p.modes.size(), LISTED.size() + 1);
    EXPECT_EQ(p.selected, 4);
    EXPECT_EQ(p.modes[4].width, 900);
    EXPECT_EQ(p.modes[4].height, 500);
    // So may a full screen when the screen lists nothing at all.
    p = presetSettings({}, {}, nullptr, options({"--size", "800x600"}));
    ASSERT_EQ(p.modes.size(), 1u);
    EXPECT_EQ(p.selected, 0);

    EXPECT_EQ(closestDisplayModeIndex({}, 1, 1), -1);
    EXPECT_EQ(closestDisplayModeIndex(LISTED, 1200, 700), 2);
}

TEST_F(SettingsFile, SkippedDialogRunsWithRememberedAndGivenSettingsAndRemembersNothing)
{
    writeText(formatSettings({1024, 768, 24, true, false, true}));
    const CommandLine saved = commandLine;
    const std::vector<DisplayMode> savedModes = displayModes;
    const DisplaySizes savedSizes{fullscreen, antialiased, windowWidth, windowHeight, renderWidth, renderHeight};
    displayModes = LISTED;

    commandLine = options({"--skip-dialog"});
    runSettingsDialog();
    // Remembered 1024 x 768 (if the screen offers it) or the default, windowed, forced to 16:9.
    EXPECT_FALSE(fullscreen);
    EXPECT_FALSE(antialiased);
    EXPECT_EQ(renderHeight, static_cast<int>(static_cast<float>(renderWidth / (16.0 / 9.0))));
    EXPECT_EQ(windowHeight, renderHeight);

    commandLine = options({"--skip-dialog", "--size", "800x600", "--no-force-16-9", "--antialias"});
    runSettingsDialog();
    EXPECT_FALSE(fullscreen);
    EXPECT_TRUE(antialiased);
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_EQ(renderWidth, 800);
    EXPECT_EQ(renderHeight, 600);

    RememberedSettings after;
    ASSERT_TRUE(loadRememberedSettings(after));
    EXPECT_EQ(after, (RememberedSettings{1024, 768, 24, true, false, true}));

    commandLine = saved;
    displayModes = savedModes;
    fullscreen = savedSizes.fullscreen;
    antialiased = savedSizes.antialiased;
    windowWidth = savedSizes.windowWidth;
    windowHeight = savedSizes.windowHeight;
    renderWidth = savedSizes.renderWidth;
    renderHeight = savedSizes.renderHeight;
}

TEST_F(SettingsFile, FrameRateCounterIsRememberedAndOlderFilesLackIt)
{
    // A file written before the counter existed reads, the counter off.
    RememberedSettings parsed;
    std::string why;
    ASSERT_EQ(parseSettings(formatSettings({800, 600, 16, true, false, true}), parsed, why), SettingsFileStatus::Read);
    const std::string older = "[glasswake-settings 1]\nwidth=800\nheight=600\ndepth=16\nwindowed=1\nantialiased=0\n"
                              "force-16-9=1\n";
    ASSERT_EQ(parseSettings(older, parsed, why), SettingsFileStatus::Read) << why;
    EXPECT_FALSE(parsed.showFps);
    EXPECT_EQ(parseSettings(older + "show-fps=2\n", parsed, why), SettingsFileStatus::Corrupt);

    RememberedSettings shown{1280, 720, 24, false, true, true};
    shown.showFps = true;
    ASSERT_EQ(parseSettings(formatSettings(shown), parsed, why), SettingsFileStatus::Read) << why;
    EXPECT_EQ(parsed, shown);

    // Remembered, then the command line's word wins; the choice carries it to the file.
    DialogPreset p = presetSettings(LISTED, offered(), &shown, CommandLine{});
    EXPECT_TRUE(p.showFps);
    p = presetSettings(LISTED, offered(), &shown, options({"--no-show-fps"}));
    EXPECT_FALSE(p.showFps);
    p = presetSettings(LISTED, offered(), nullptr, options({"--show-fps"}));
    EXPECT_TRUE(p.showFps);
    SettingsChoice choice;
    choice.mode = {1280, 720};
    choice.showFps = true;
    EXPECT_TRUE(rememberedFromChoice(choice, offered()).showFps);
}
