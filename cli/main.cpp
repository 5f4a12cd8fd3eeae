// kelbrant: the command line.
//
//   kelbrant fnonct [--module PATH] X DF1 DF2 P
//   kelbrant fnonct [--module PATH] [--threads N] --csv [FILE]
//   kelbrant eval ROUTINE ARG...
//   kelbrant eval --list
//   kelbrant ci F DF1 DF2 [--level L] [--n N] [--alternative WHICH] | --csv [FILE]
//   kelbrant power (--df1 U --df2 V --f2 F2 | --groups K --n-per-group N --f F)
//                  --alpha A --power P   (all but one given)

#include <cstdio>
#include <cstring>

#include "cli/cli.h"

void print_usage(std::FILE* out)
{
    std::fputs("usage: kelbrant fnonct [--module PATH] X DF1 DF2 P\n"
               "       kelbrant fnonct [--module PATH] [--threads N] --csv [FILE]\n"
               "       kelbrant eval ROUTINE ARG...\n"
               "       kelbrant eval --list\n"
               "       kelbrant ci F DF1 DF2 [--level L] [--n N] [--alternative WHICH]\n"
               "       kelbrant ci [--level L] [--alternative WHICH] --csv [FILE]\n"
               "       kelbrant power --df1 U [--df2 V] [--f2 F2] [--alpha A] [--power P]\n"
               "       kelbrant power --groups K [--n-per-group N] [--f F] [--alpha A] [--power P]\n",
               out);
}

int usage_error(const char* detail)
{
    if (detail != nullptr)
        std::fprintf(stderr, "kelbrant: %s\n", detail);
    print_usage(stderr);
    return exit_usage;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage_error(nullptr);
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        print_usage(stdout);
        return exit_ok;
    }
    if (std::strcmp(command, "fnonct") == 0)
        return fnonct_command(argc - 2, argv + 2, argv[0]);
    if (std::strcmp(command, "eval") == 0)
        return eval_command(argc - 2, argv + 2);
    if (std::strcmp(command, "ci") == 0)
        return ci_command(argc - 2, argv + 2);
    if (std::strcmp(command, "power") == 0)
        return power_command(argc - 2, argv + 2);
    char detail[256];
    std::snprintf(detail, sizeof detail, "unknown command '%s'", command);
    return usage_error(detail);
}
