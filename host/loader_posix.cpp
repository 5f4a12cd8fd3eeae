// Loading a module file on POSIX systems: dlopen, dlsym, dlclose.
//
// The module is opened with RTLD_LOCAL so that its symbols never resolve
// anything of ours (or of another copy of the module), and with RTLD_NOW so
// that a missing dependency shows at open time rather than at the first call.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "host/loader.h"

int32_t loader_open(const char* path, loaded_module* module, char* error, size_t error_size)
{
    module->handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module->handle != nullptr)
        return 0;
    const char* reason = dlerror();
    std::snprintf(error, error_size, "cannot load %s: %s", path,
                  reason != nullptr ? reason : "unknown reason");
    return 1;
}

void* loader_symbol(const loaded_module* module, const char* name)
{
    if (module->handle == nullptr)
        return nullptr;
    return dlsym(module->handle, name);
}

void loader_close(loaded_module* module)
{
    if (module->handle != nullptr)
        dlclose(module->handle);
    module->handle = nullptr;
}

int32_t loader_path_beside_executable(const char* argv0, const char* file_name, char* path,
                                      size_t path_size)
{
    // The executable's own path from /proc where there is one; argv[0]
    // otherwise (right whenever the program was started by a path).
    char executable[4096];
    ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) {
        executable[length] = '\0';
    } else if (argv0 != nullptr && std::strlen(argv0) < sizeof executable) {
        std::strcpy(executable, argv0);
    } else {
        executable[0] = '\0';
    }

    const char* slash = std::strrchr(executable, '/');
    int written;
    if (slash == nullptr)
        written = std::snprintf(path, path_size, "%s", file_name);
    else
        written = std::snprintf(path, path_size, "%.*s/%s", static_cast<int>(slash - executable),
                                executable, file_name);
    return written >= 0 && static_cast<size_t>(written) < path_size ? 0 : 1;
}
