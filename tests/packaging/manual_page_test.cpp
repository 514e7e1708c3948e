// The manual page stays in step with the program: the options its OPTIONS
// section lists are those of --help, each taking a value exactly where the
// usage shows one, and its header names this version.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "shell/command_line.h"

namespace {

// Option name -> its value's placeholder ("" for none), case folded.
using Options = std::map<std::string, std::string>;

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Options usageOptions()
{
    Options options;
    std::istringstream usage(usageText());
    const std::regex line(R"(^  (--[a-z0-9-]+)(?: ([A-Za-z]+))?  )");
    std::smatch m;
    for (std::string text; std::getline(usage, text);)
        if (std::regex_search(text, m, line))
            options[m[1]] = lower(m[2]);
    return options;
}

// The text of a ".B" or ".BI" line: its arguments (quoted ones keep their
// spaces) joined, as the alternating fonts print them.
std::string macroText(const std::string& line)
{
    std::string text;
    bool quoted = false;
    for (size_t i = line.find(' '); i != std::string::npos && i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] != ' ' || quoted)
            text += line[i];
    }
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

// The tags of the OPTIONS section's paragraphs, ".B \-\-name" or
// ".BI \-\-name " value"".
Options pageOptions(const std::string& page)
{
    Options options;
    std::istringstream in(page);
    bool inOptions = false, tagNext = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0)
            inOptions = line == ".SH OPTIONS";
        if (inOptions && tagNext && (line.rfind(".B ", 0) == 0 || line.rfind(".BI ", 0) == 0)) {
            const std::string text = macroText(line);
            const size_t space = text.find(' ');
            options[text.substr(0, space)] = space == std::string::npos ? "" : lower(text.substr(space + 1));
        }
        tagNext = line == ".TP";
    }
    return options;
}

}  // namespace

TEST(ManualPage, ListsTheOptionsOfTheUsageAndNamesThisVersion)
{
    const std::string path = std::string(GW_SOURCE_DIR) + "/packaging/glasswake.6";
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    const std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    const Options usage = usageOptions();
    ASSERT_GE(usage.size(), 10u);
    EXPECT_EQ(pageOptions(page), usage);

    // ".TH GLASSWAKE 6 DATE "Glasswake 1.0.0" ..." against "glasswake 1.0.0".
    std::smatch m;
    ASSERT_TRUE(std::regex_search(page, m, std::regex(R"re(\n\.TH GLASSWAKE 6 \S+ "([^"]+)")re")));
    EXPECT_EQ(lower(m[1]), lower(versionText()));
}
