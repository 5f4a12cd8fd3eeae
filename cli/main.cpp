// kelbrant: the command line.  One record per command (command_info, in the
// table below); this file dispatches to them and writes the program's help,
// which holds every command's help, so that the manual page made from it
// (help2man) documents them all.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"

#ifndef KELBRANT_VERSION
#define KELBRANT_VERSION "unknown"
#endif

namespace {

const command_info* const commands[] = {
    &fnonct_command_info,
    &eval_command_info,
    &ci_command_info,
    &power_command_info,
};

// The usage lines of one command, the first after `first`, the others
// after "  or:  ".
void print_usage_lines(std::FILE* out, const command_info* command, bool* first)
{
    const char* line = command->usage;
    while (*line != '\0') {
        const char* end = std::strchr(line, '\n');
        const int n = static_cast<int>(end != nullptr ? end - line : std::strlen(line));
        std::fprintf(out, "%s kelbrant %.*s\n", *first ? "Usage:" : "  or: ", n, line);
        *first = false;
        line = end != nullptr ? end + 1 : line + n;
    }
}

void print_program_usage(std::FILE* out)
{
    bool first = true;
    for (const command_info* c : commands)
        print_usage_lines(out, c, &first);
    std::fputs("  or:  kelbrant --help | --version\n", out);
}

void print_program_help(std::FILE* out)
{
    print_program_usage(out);
    std::fputs("The noncentrality parameter of the noncentral F distribution (FNONCT), and the\n"
               "numeric routines beneath it, from the command line.\n"
               "\n"
               "Commands:\n",
               out);
    for (const command_info* c : commands)
        std::fprintf(out, "  %-8s %s\n", c->name, c->summary);
    std::fputs("\n"
               "Options:\n"
               "  -h, --help     print this help (or a command's: kelbrant COMMAND --help)\n"
               "      --version  print the version\n",
               out);
    for (const command_info* c : commands) {
        // Indented under its heading, which makes it a section of its own
        // in the manual page.
        std::fprintf(out, "\nThe %s command:\n", c->name);
        c->print_help(out, "  ");
    }
}

}  // namespace

void print_lines(std::FILE* out, const char* indent, const char* text)
{
    while (*text != '\0') {
        const char* end = std::strchr(text, '\n');
        const int n = static_cast<int>(end != nullptr ? end - text : std::strlen(text));
        std::fprintf(out, "%s%.*s\n", n > 0 ? indent : "", n, text);
        text = end != nullptr ? end + 1 : text + n;
    }
}

void print_command_help(std::FILE* out, const command_info* command)
{
    bool first = true;
    print_usage_lines(out, command, &first);
    std::fputc('\n', out);
    command->print_help(out, "");
}

int usage_error(const command_info* command, const char* detail)
{
    if (detail != nullptr)
        std::fprintf(stderr, "kelbrant: %s\n", detail);
    if (command != nullptr) {
        bool first = true;
        print_usage_lines(stderr, command, &first);
    } else {
        print_program_usage(stderr);
    }
    std::fprintf(stderr, "Try 'kelbrant %s%s--help' for more information.\n",
                 command != nullptr ? command->name : "", command != nullptr ? " " : "");
    return exit_usage;
}

namespace {

int run(int argc, char** argv)
{
    if (argc < 2)
        return usage_error(nullptr, "a command is needed");
    const char* name = argv[1];
    if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0) {
        print_program_help(stdout);
        return exit_ok;
    }
    if (std::strcmp(name, "--version") == 0) {
        std::printf("kelbrant %s\n", KELBRANT_VERSION);
        return exit_ok;
    }
    for (const command_info* c : commands)
        if (std::strcmp(name, c->name) == 0)
            return c->run(argc - 2, argv + 2, argv[0]);
    char detail[256];
    std::snprintf(detail, sizeof detail, "unknown command '%s'", name);
    return usage_error(nullptr, detail);
}

}  // namespace

int main(int argc, char** argv)
{
    const int status = run(argc, argv);
    // Output that could not be written (a full disk, a closed pipe) is a
    // failure, whatever the command found.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kelbrant: error writing the output: %s\n", std::strerror(errno));
        return status != exit_ok ? status : exit_failure;
    }
    return status;
}
