// Running build/kelbrant as a user does: a child process with its own
// standard input, output and error (temporary files), and its exit status.
// Shared by the command-line test programs.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

struct cli_run {
    int exit_status;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string cli_path() { return std::string(KELBRANT_BUILD_DIR) + "/kelbrant"; }

inline std::string temporary_file(const std::string& contents)
{
    char name[] = "/tmp/kelbrant_cli_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return "";
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    close(fd);
    return name;
}

inline std::string file_contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline cli_run run_cli(const std::vector<std::string>& args, const std::string& input = "")
{
    const std::string in_path = temporary_file(input);
    const std::string out_path = temporary_file("");
    const std::string err_path = temporary_file("");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_TRUNC, 0);

    // A build for another machine runs its programs under an emulator
    // (KELBRANT_EMULATOR, e.g. qemu-i386), the command line included.
    const std::string emulator = KELBRANT_EMULATOR;
    const std::string program = cli_path();
    std::vector<char*> argv;
    if (!emulator.empty())
        argv.push_back(const_cast<char*>(emulator.c_str()));
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    cli_run run{-1, "", ""};
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status))
            run.exit_status = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = file_contents(out_path);
    run.err = file_contents(err_path);
    std::remove(in_path.c_str());
    std::remove(out_path.c_str());
    std::remove(err_path.c_str());
    return run;
}

// kelbrant eval with the routine and its arguments.
inline cli_run run_eval(std::vector<std::string> args)
{
    args.insert(args.begin(), "eval");
    return run_cli(args);
}

// The exit status kelbrant eval gives with this output: 1 when its first
// line is a status (status, outcome or error) other than 0.
inline int eval_exit_status(const std::string& out)
{
    for (const char* name : {"status ", "outcome ", "error "}) {
        const std::string first = std::string(name) + "0\n";
        if (out.compare(0, first.size() - 2, name) == 0)
            return out.compare(0, first.size(), first) == 0 ? 0 : 1;
    }
    return 0;
}

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The number on the line "name value" of eval's output, the name at the start
// of a line (so that "value" does not find the end of "log_value"); NaN when
// no line carries that name.
inline double printed_field(const std::string& out, const std::string& name)
{
    const std::string text = "\n" + out;
    const size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(text.c_str() + at + name.size() + 2, nullptr);
}
