// Reading a command's arguments by the GNU conventions: --name=VALUE or
// --name VALUE, -h for --help, "--" before operands that look like options.

#include <cstdio>
#include <cstring>

#include "cli/cli.h"

option_kind next_option(option_parser* parser, const option_spec* specs, int* which,
                        const char** value, char* error, size_t error_size)
{
    if (parser->next >= parser->argc)
        return option_done;
    const char* a = parser->argv[parser->next++];
    if (!parser->operands_only && std::strcmp(a, "--") == 0) {
        parser->operands_only = true;
        return next_option(parser, specs, which, value, error, error_size);
    }
    const bool is_option = !parser->operands_only &&
                           (std::strncmp(a, "--", 2) == 0 || std::strcmp(a, "-h") == 0);
    if (!is_option) {
        *value = a;
        return option_operand;
    }
    const char* name = std::strcmp(a, "-h") == 0 ? "--help" : a;
    const char* equals = std::strchr(name, '=');
    const size_t name_length = equals != nullptr ? static_cast<size_t>(equals - name) : std::strlen(name);
    for (int i = 0; specs[i].name != nullptr; ++i) {
        if (std::strlen(specs[i].name) != name_length || std::strncmp(specs[i].name, name, name_length) != 0)
            continue;
        *which = i;
        *value = nullptr;
        if (!specs[i].takes_value) {
            if (equals != nullptr) {
                std::snprintf(error, error_size, "option '%.*s' takes no value", static_cast<int>(name_length), name);
                return option_wrong;
            }
            return option_named;
        }
        if (equals != nullptr) {
            *value = equals + 1;
        } else if (parser->next < parser->argc) {
            *value = parser->argv[parser->next++];
        } else {
            std::snprintf(error, error_size, "option '%s' needs a value", specs[i].name);
            return option_wrong;
        }
        return option_named;
    }
    std::snprintf(error, error_size, "unknown option '%.*s'", static_cast<int>(name_length), name);
    return option_wrong;
}
