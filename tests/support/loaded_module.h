// The module file as the statistical host meets it: build/kelbrant.so loaded
// at run time by our own host and attached to the host vector.  Opened once
// per test program and kept open.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/host.h"

inline std::string module_file_path()
{
    return std::string(KELBRANT_BUILD_DIR) + "/" + host_module_file_name;
}

// The attached module, or null (with a test failure) when it cannot be opened.
inline const host_module* loaded_module_copy()
{
    static host_module module;
    static bool opened = false;
    static std::string failure;
    if (!opened && failure.empty()) {
        char error[1024];
        if (host_open_module(module_file_path().c_str(), &module, error, sizeof error) == 0)
            opened = true;
        else
            failure = error;
    }
    if (!opened) {
        ADD_FAILURE() << "cannot attach " << module_file_path() << ": " << failure;
        return nullptr;
    }
    return &module;
}
