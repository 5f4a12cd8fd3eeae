// The command line's conventions: help for the program and each command,
// the version, the manual page made from the help, output that cannot be
// written, answers streamed back row by row from a pipe, and an installed
// copy that finds its module.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

// The program as a shell word, behind the emulator when there is one.
std::string shell_program() { return std::string(KELBRANT_EMULATOR) + " '" + cli_path() + "'"; }

int shell_status(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(CliConventions, HelpForTheProgramAndEachCommand)
{
    for (const char* flag : {"--help", "-h"}) {
        const cli_run program = run_cli({flag});
        EXPECT_EQ(program.exit_status, 0);
        EXPECT_EQ(program.out.compare(0, 22, "Usage: kelbrant fnonct"), 0) << program.out;
        // The program's help holds every command's, for the manual page.
        for (const char* part : {"\nThe fnonct command:\n", "\nThe eval command:\n", "  or:  kelbrant eval --list\n",
                                 "--columns=X,DF1,DF2,P", "Exit status:", "--version"})
            EXPECT_TRUE(contains(program.out, part)) << part;

        const cli_run fnonct = run_cli({"fnonct", flag});
        EXPECT_EQ(fnonct.exit_status, 0);
        EXPECT_EQ(fnonct.out.compare(0, 47, "Usage: kelbrant fnonct [OPTION]... X DF1 DF2 P\n"), 0) << fnonct.out;
        // Every outcome with its exit status, from the outcome table.
        for (const char* line : {"  ok           exit 0", "  no-solution  exit 1", "  failed       exit 4",
                                 "  error        exit 1"})
            EXPECT_TRUE(contains(fnonct.out, line)) << line << "\n" << fnonct.out;
        EXPECT_EQ(fnonct.err, "");
    }
    // Help wins over anything else on the line.
    EXPECT_EQ(run_cli({"fnonct", "2", "--help"}).exit_status, 0);
    // Every help line fits a terminal.
    const cli_run program = run_cli({"--help"});
    size_t start = 0;
    for (size_t end; (end = program.out.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << program.out.substr(start, end - start);
}

TEST(CliConventions, Version)
{
    const cli_run r = run_cli({"--version"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out.compare(0, 9, "kelbrant "), 0) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
}

TEST(CliConventions, ManualPageIsMadeFromTheHelp)
{
    const std::string page = file_contents(std::string(KELBRANT_BUILD_DIR) + "/kelbrant.1");
    if (page.empty())
        GTEST_SKIP() << "no kelbrant.1: help2man is not installed, or the program cannot run at build time";
    EXPECT_TRUE(contains(page, ".TH KELBRANT \"1\"")) << page.substr(0, 200);
    // help2man escapes dashes: every option of every command is there.
    for (const char* option : {"\\-\\-columns", "\\-\\-header", "\\-\\-sep", "\\-\\-decimal", "\\-\\-na",
                               "\\-\\-threads", "\\-\\-module", "\\-\\-list", "\\-\\-version"})
        EXPECT_TRUE(contains(page, option)) << option;
    // Each command is a section of its own.
    EXPECT_TRUE(contains(page, ".SS \"The fnonct command:\"")) << page;
    EXPECT_TRUE(contains(page, ".SS \"The eval command:\"")) << page;
}

TEST(CliConventions, OutputThatCannotBeWrittenIsAFailure)
{
    const std::string program = shell_program();
    const char* commands[] = {
        " fnonct 2 3 10 0.5",
        " eval exp_fast 1",
        " eval --list",
        " --help",
        " fnonct --csv < /dev/null",
    };
    for (const char* command : commands) {
        const std::string line = program + command + " > /dev/full 2> /dev/null";
        EXPECT_EQ(shell_status(line), 1) << command;
    }
}

TEST(CliConventions, RowsFromAPipeAreAnsweredAsTheyArrive)
{
    // The caller writes a row and reads its answer before writing the next;
    // a program that waited for a whole block, or for the end of the input,
    // would never answer (the test would hang until its time limit).
    int to_child[2], from_child[2];
    ASSERT_EQ(pipe(to_child), 0);
    ASSERT_EQ(pipe(from_child), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
    posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
    posix_spawn_file_actions_addclose(&actions, to_child[1]);
    posix_spawn_file_actions_addclose(&actions, from_child[0]);
    const std::string emulator = KELBRANT_EMULATOR;
    const std::string program = cli_path();
    std::vector<char*> argv;
    if (!emulator.empty())
        argv.push_back(const_cast<char*>(emulator.c_str()));
    for (const char* a : {program.c_str(), "fnonct", "--threads=2", "--csv"})
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(to_child[0]);
    close(from_child[1]);

    std::string received;
    const auto read_line = [&]() {
        for (;;) {
            const size_t end = received.find('\n');
            if (end != std::string::npos) {
                const std::string line = received.substr(0, end);
                received.erase(0, end + 1);
                return line;
            }
            char buffer[256];
            const ssize_t n = read(from_child[0], buffer, sizeof buffer);
            if (n <= 0)
                return std::string("(end of output)");
            received.append(buffer, static_cast<size_t>(n));
        }
    };
    const auto send = [&](const std::string& text) {
        ASSERT_EQ(write(to_child[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    };
    send("x,df1,df2,p\n2,3,10,0.5\n");
    EXPECT_EQ(read_line(), "x,df1,df2,p,lambda,status");
    EXPECT_EQ(read_line().compare(0, 20, "2,3,10,0.5,3.5590979"), 0);
    send("0.5,3,10,0.9\n");
    EXPECT_EQ(read_line(), "0.5,3,10,0.9,,no-solution");
    close(to_child[1]);
    EXPECT_EQ(read_line(), "(end of output)");
    close(from_child[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(CliConventions, InstalledProgramFindsItsModule)
{
    char folder[] = "/tmp/kelbrant_install_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string prefix = folder;
    ASSERT_EQ(shell_status("cmake --install '" + std::string(KELBRANT_BUILD_DIR) + "' --prefix '" + prefix +
                           "' > /dev/null"),
              0);
    const std::string out = prefix + "/out.txt";
    EXPECT_EQ(shell_status(std::string(KELBRANT_EMULATOR) + " '" + prefix + "/bin/kelbrant' fnonct 2 3 10 0.5 > '" +
                           out + "'"),
              0);
    EXPECT_EQ(file_contents(out).compare(0, 9, "3.5590979"), 0) << file_contents(out);
    if (!file_contents(std::string(KELBRANT_BUILD_DIR) + "/kelbrant.1").empty()) {
        EXPECT_EQ(shell_status("test -s '" + prefix + "/share/man/man1/kelbrant.1'"), 0);
    }
    shell_status("rm -rf '" + prefix + "'");
}
