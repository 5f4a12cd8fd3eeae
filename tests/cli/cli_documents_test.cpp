// The documents say what the program does: every "$ command" example in the
// README and in docs/ is run (from the top of the checkout, with
// build/kelbrant and scripts/kelbrant standing for the program under test)
// and must print what the page shows (standard output, then standard error;
// numbers to 1e-12 relative, every other word exactly); the synopsis in
// docs/command-line.md is the program's own, and its routine tables list
// what `kelbrant eval --list` lists, in its order.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/documents.h"
#include "support/run_cli.h"

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string command_line_page() { return file_contents(document_path("command-line.md")); }

void replace_all(std::string* s, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = s->find(from, at)) != std::string::npos; at += to.size())
        s->replace(at, from.size(), to);
}

// Words split at blanks, commas and semicolons; numbers compared as numbers.
bool same_output(const std::string& got, const std::string& want)
{
    const auto words = [](const std::string& text) {
        std::vector<std::string> w;
        std::string current;
        for (const char c : text) {
            if (c == ' ' || c == ',' || c == ';' || c == '\n') {
                w.push_back(current);
                current.clear();
                w.push_back(std::string(1, c));
            } else {
                current += c;
            }
        }
        w.push_back(current);
        return w;
    };
    const std::vector<std::string> a = words(got), b = words(want);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        char* end_a = nullptr;
        char* end_b = nullptr;
        const double x = std::strtod(a[i].c_str(), &end_a);
        const double y = std::strtod(b[i].c_str(), &end_b);
        if (a[i].empty() || *end_a != '\0' || *end_b != '\0' || !(std::fabs(x - y) <= 1e-12 * std::fabs(y)))
            return false;
    }
    return true;
}

// The examples of one page, run as shown; returns how many it has.
int run_examples(const std::string& path)
{
    const std::vector<std::string> lines = lines_of(file_contents(path));
    const std::string program = std::string(KELBRANT_EMULATOR) + " '" + cli_path() + "'";
    int examples = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, 6, "    $ ") != 0)
            continue;
        std::string command = lines[i].substr(6);
        std::string expected;
        for (size_t j = i + 1; j < lines.size() && lines[j].compare(0, 4, "    ") == 0 &&
                               lines[j].compare(0, 6, "    $ ") != 0;
             ++j)
            expected += lines[j].substr(4) + "\n";
        replace_all(&command, "scripts/kelbrant ", program + " ");
        replace_all(&command, "build/kelbrant ", program + " ");
        const std::string out = temporary_file(""), err = temporary_file("");
        const std::string line = "cd '" + std::string(KELBRANT_SOURCE_DIR) + "' && (" + command + ") > '" +
                                 out + "' 2> '" + err + "'";
        const int status = std::system(line.c_str());
        const std::string got = file_contents(out) + file_contents(err);
        std::remove(out.c_str());
        std::remove(err.c_str());
        EXPECT_TRUE(WIFEXITED(status)) << path << ": " << lines[i];
        EXPECT_TRUE(same_output(got, expected))
            << path << ": " << lines[i] << "\nprints\n" << got << "the page shows\n" << expected;
        ++examples;
    }
    return examples;
}

}  // namespace

TEST(CliDocuments, EveryExampleRunsAsShown)
{
    const std::vector<std::string> pages = document_paths();
    int examples = 0;
    for (const std::string& path : pages) {
        const int here = run_examples(path);
        if (path == pages.front()) {
            EXPECT_GE(here, 1) << "the README shows no command-line example";
        }
        examples += here;
    }
    EXPECT_GE(examples, 8);
}

TEST(CliDocuments, SynopsisIsTheProgramsOwn)
{
    const cli_run help = run_cli({"--help"});
    std::string synopsis;
    for (const std::string& line : lines_of(help.out)) {
        if (line.compare(0, 6, "Usage:") != 0 && line.compare(0, 6, "  or: ") != 0)
            break;
        synopsis += "    " + line + "\n";
    }
    ASSERT_FALSE(synopsis.empty());
    EXPECT_TRUE(contains(command_line_page(), "\n" + synopsis + "\n")) << synopsis;
}

TEST(CliDocuments, RoutineTablesFollowTheList)
{
    const cli_run list = run_cli({"eval", "--list"});
    std::vector<std::string> listed;
    for (const std::string& line : lines_of(list.out))
        if (!line.empty() && line[0] != ' ')
            listed.push_back(line.substr(0, line.find(' ')));
    std::vector<std::string> documented;
    for (const std::string& line : lines_of(command_line_page()))
        if (line.compare(0, 3, "| `") == 0 && line.find("` | ") != std::string::npos) {
            const std::string name = line.substr(3, line.find('`', 3) - 3);
            if (name.find('/') == std::string::npos && name.find('.') == std::string::npos)
                documented.push_back(name);
        }
    EXPECT_EQ(documented, listed);
}
