// Attaching the copy of the module linked into the program itself, rather
// than one loaded from the module file: for the programs that link the
// module's code (the command line's eval, the benchmark, the fuzzers, the
// tests).  Header only, so that our host's own library holds no reference to
// mcn_main and links without the module.
#pragma once

#include "host/host.h"
#include "module/module_records.h"

// Attach the linked copy (its own host vector global, separate from any
// loaded copy's).  Status 0, or nonzero with a one-line reason in `error`.
inline int32_t host_attach_static(host_module* module, char* error, size_t error_size)
{
    module->library.handle = nullptr;
    return host_attach(mcn_main, module, error, error_size);
}
