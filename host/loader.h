// Loading a module file at run time and finding its export.  One small
// interface with one implementation per platform: loader_posix.cpp (dlopen)
// and loader_windows.cpp (LoadLibrary).
#pragma once

#include <cstddef>
#include <cstdint>

struct loaded_module {
    void* handle;
};

// Open the module file at `path`.  Status 0 on success; otherwise nonzero
// with a one-line reason in `error` (NUL-terminated, at most error_size bytes).
int32_t loader_open(const char* path, loaded_module* module, char* error, size_t error_size);

// The address of the exported symbol `name`, or null.
void* loader_symbol(const loaded_module* module, const char* name);

// Release the module.  Harmless on a module that failed to open.
void loader_close(loaded_module* module);

// The path of `file_name` in the folder of the running executable, into
// `path` (NUL-terminated, at most path_size bytes).  `argv0` is the fallback
// when the platform cannot name the executable.  Status 0 on success, nonzero
// when the path does not fit.
int32_t loader_path_beside_executable(const char* argv0, const char* file_name, char* path,
                                      size_t path_size);
