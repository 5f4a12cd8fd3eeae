// Loading the module on Windows: LoadLibrary, GetProcAddress, FreeLibrary.
//
// The path may be written with forward slashes (the command line passes
// paths as the user gave them); LoadLibrary wants backslashes in a path, so
// they are turned round in a copy first.  Error dialogs of the loader are
// switched off for the call, so a missing or broken file is reported here
// and not in a message box.

#include "host/loader.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int32_t loader_open(const char* path, loaded_module* module, char* error, size_t error_size)
{
    module->handle = nullptr;
    std::string native(path);
    for (char& c : native) {
        if (c == '/')
            c = '\\';
    }
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryA(native.c_str());
    DWORD code = GetLastError();
    SetErrorMode(previous);
    if (handle == nullptr) {
        char reason[256] = "";
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, reason, sizeof reason, nullptr);
        while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n'
                              || reason[length - 1] == ' ' || reason[length - 1] == '.'))
            reason[--length] = '\0';
        std::snprintf(error, error_size, "cannot load %s: %s (error %lu)", path,
                      length > 0 ? reason : "unknown reason", static_cast<unsigned long>(code));
        return 1;
    }
    module->handle = handle;
    return 0;
}

void* loader_symbol(const loaded_module* module, const char* name)
{
    if (module->handle == nullptr)
        return nullptr;
    FARPROC address = GetProcAddress(static_cast<HMODULE>(module->handle), name);
    return reinterpret_cast<void*>(address);
}

void loader_close(loaded_module* module)
{
    if (module->handle != nullptr)
        FreeLibrary(static_cast<HMODULE>(module->handle));
    module->handle = nullptr;
}

int32_t loader_path_beside_executable(const char* argv0, const char* file_name, char* path,
                                      size_t path_size)
{
    // The executable's own path from the loader; argv[0] when that fails.
    char executable[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, executable, sizeof executable);
    if (length == 0 || length >= sizeof executable) {
        if (argv0 != nullptr && std::strlen(argv0) < sizeof executable)
            std::strcpy(executable, argv0);
        else
            executable[0] = '\0';
    }

    const char* separator = std::strrchr(executable, '\\');
    const char* slash = std::strrchr(executable, '/');
    if (slash != nullptr && (separator == nullptr || slash > separator))
        separator = slash;
    int written;
    if (separator == nullptr)
        written = std::snprintf(path, path_size, "%s", file_name);
    else
        written = std::snprintf(path, path_size, "%.*s\\%s",
                                static_cast<int>(separator - executable), executable, file_name);
    return written >= 0 && static_cast<size_t>(written) < path_size ? 0 : 1;
}
