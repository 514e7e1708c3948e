// The manual page stays in step with the program: the options its OPTIONS
// section lists are those of --help, each taking a value exactly where the
// usage shows one, and its header names this version.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "settings/command_line.h"

namespace {

// Option name -> its value's placeholder ("" for none), case folded.
using Options = std::map<std::string, std::string>;

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "NAME VALUE" or "NAME" -> the map's entry.
void addOption(Options& options, const std::string& text)
{
    const size_t space = text.find(' ');
    options[text.substr(0, space)] = space == std::string::npos ? "" : lower(text.substr(space + 1));
}

// Lines "  --name [VALUE]  what it does".
Options usageOptions()
{
    Options options;
    std::istringstream usage(usageText());
    for (std::string line; std::getline(usage, line);) {
        if (line.rfind("  --", 0) != 0)
            continue;
        const size_t gap = line.find("  ", 2);
        addOption(options, line.substr(2, gap == std::string::npos ? std::string::npos : gap - 2));
    }
    return options;
}

// The text of a ".B" or ".BI" line: its arguments (quoted ones keep their
// spaces) joined, as the alternating fonts print them, "\-" as "-".
std::string macroText(const std::string& line)
{
    std::string text;
    bool quoted = false;
    for (size_t i = line.find(' '); i != std::string::npos && i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line.compare(i, 2, "\\-") == 0) {
            text += '-';
            ++i;
        } else if (line[i] != ' ' || quoted)
            text += line[i];
    }
    return text;
}

// The tags of the OPTIONS section's paragraphs: ".B \-\-name" or
// ".BI \-\-name " value"" after ".TP".
Options pageOptions(const std::string& page)
{
    Options options;
    std::istringstream in(page);
    bool inOptions = false, tagNext = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0)
            inOptions = line == ".SH OPTIONS";
        if (inOptions && tagNext && (line.rfind(".B ", 0) == 0 || line.rfind(".BI ", 0) == 0))
            addOption(options, macroText(line));
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
    const size_t start = page.find("\n.TH GLASSWAKE 6 ");
    ASSERT_NE(start, std::string::npos);
    const std::string header = page.substr(start + 1, page.find('\n', start + 1) - start - 1);
    const size_t open = header.find('"'), close = header.find('"', open + 1);
    ASSERT_NE(close, std::string::npos) << header;
    EXPECT_EQ(lower(header.substr(open + 1, close - open - 1)), lower(versionText()));
}
