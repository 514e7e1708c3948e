#include "settings/command_line.h"

#include "shell/window.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

CommandLine parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"glasswake"};
    argv.insert(argv.end(), args);
    return parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, NoOptionsRunsAsDesigned)
{
    const CommandLine cl = parse({});
    EXPECT_EQ(cl.action, CommandLine::Action::Run);
    EXPECT_FALSE(cl.windowed.has_value());
    EXPECT_FALSE(cl.antialiased.has_value());
    EXPECT_FALSE(cl.force169.has_value());
    EXPECT_EQ(cl.width, 0);
    EXPECT_FALSE(cl.noSound);
    EXPECT_FALSE(cl.skipDialog);
}

TEST(CommandLine, EveryOptionIsRead)
{
    const CommandLine cl = parse({"--windowed", "--size", "800x600", "--no-antialias", "--no-force-16-9",
                                  "--no-sound", "--skip-dialog", "--record=run.gwreplay"});
    ASSERT_EQ(cl.action, CommandLine::Action::Run) << cl.error;
    EXPECT_EQ(cl.windowed, true);
    EXPECT_EQ(cl.width, 800);
    EXPECT_EQ(cl.height, 600);
    EXPECT_EQ(cl.antialiased, false);
    EXPECT_EQ(cl.force169, false);
    EXPECT_TRUE(cl.noSound);
    EXPECT_TRUE(cl.skipDialog);
    EXPECT_EQ(cl.recordPath, "run.gwreplay");

    // The later of two opposite options wins, as with most Unix programs.
    const CommandLine last = parse({"--windowed", "--fullscreen", "--antialias", "--force-16-9", "--replay", "a"});
    EXPECT_EQ(last.windowed, false);
    EXPECT_EQ(last.antialiased, true);
    EXPECT_EQ(last.force169, true);
    EXPECT_EQ(last.replayPath, "a");
}

TEST(CommandLine, HelpAndVersion)
{
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--windowed", "--version"}).action, CommandLine::Action::Version);
    EXPECT_NE(usageText().find("--skip-dialog"), std::string::npos);
    EXPECT_EQ(versionText().rfind("glasswake ", 0), 0u);
}

TEST(CommandLine, BadInputIsAUsageError)
{
    for (auto args : std::vector<std::vector<const char*>>{
             {"--bogus"}, {"-x"}, {"file"}, {"--size"}, {"--size", "1280"}, {"--size", "0x720"},
             {"--size", "1280x"}, {"--size", "x720"}, {"--size", "12a0x720"}, {"--size", "99999x1"},
             {"--size=-5x3"}, {"--record"}, {"--replay="}, {"--windowed=yes"},
             {"--record", "a", "--replay", "b"}}) {
        std::vector<const char*> argv{"glasswake"};
        argv.insert(argv.end(), args.begin(), args.end());
        const CommandLine cl = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(cl.action, CommandLine::Action::UsageError) << argv.back();
        EXPECT_FALSE(cl.error.empty());
    }
}

TEST(CommandLine, EntryPointExitsWithTwoOnAUsageErrorBeforeAnyWindow)
{
    const char* bogus[] = {"glasswake", "--size", "1280y720"};
    testing::internal::CaptureStderr();
    EXPECT_EQ(glasswakeMain(3, bogus), 2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("1280y720"), std::string::npos);
    EXPECT_NE(said.find("Usage: glasswake"), std::string::npos);

    const char* help[] = {"glasswake", "--help"};
    testing::internal::CaptureStdout();
    EXPECT_EQ(glasswakeMain(2, help), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), usageText());
    commandLine = CommandLine{};
}

}  // namespace

TEST(CommandLine, FrameRateCounterIsOffUnlessAsked)
{
    EXPECT_FALSE(parse({}).showFps.has_value());
    EXPECT_EQ(parse({"--show-fps"}).showFps, true);
    EXPECT_EQ(parse({"--show-fps", "--no-show-fps"}).showFps, false);
    EXPECT_EQ(parse({"--show-fps=1"}).action, CommandLine::Action::UsageError);
    EXPECT_NE(usageText().find("--show-fps"), std::string::npos);
}
