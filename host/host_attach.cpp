// Attaching a module copy to our host, as the statistical host does at load
// time:
//
//   1. call mcn_main with the host vector; it answers the image information
//      block;
//   2. check the block's marker (22 characters and two NUL bytes) and its
//      constant 0xB0BDEBED;
//   3. follow the module list (a 0-terminated list of module records) to
//      the module record and its describe callback;
//   4. describe request 1: the function list record; its first descriptor
//      must be FNONCT with four arguments;
//   5. describe request 2: the routine list; word 1 is the evaluate callback.
//
// The describe answers belong to the host and are given back once read.

#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "module/host_vector.h"

int32_t host_check_image(const image_information_block* image, char* error, size_t error_size)
{
    if (image == nullptr) {
        std::snprintf(error, error_size, "mcn_main answered no image information block");
        return 1;
    }
    // The marker text and its padding, all 24 bytes.
    char expected[sizeof image->marker] = {};
    std::memcpy(expected, image_marker, sizeof image_marker - 1);
    if (std::memcmp(image->marker, expected, sizeof expected) != 0) {
        std::snprintf(error, error_size, "image information block: wrong marker");
        return 1;
    }
    if (image->constant != image_constant) {
        std::snprintf(error, error_size, "image information block: constant 0x%08X, not 0x%08X",
                      static_cast<unsigned>(image->constant), static_cast<unsigned>(image_constant));
        return 1;
    }
    if (image->module_list == nullptr || image->module_list[0] == nullptr) {
        std::snprintf(error, error_size, "image information block: empty module list");
        return 1;
    }
    return 0;
}

static int32_t describe_function(host_module* module, char* error, size_t error_size)
{
    describe_callback describe = module->record->describe;
    auto* functions = static_cast<function_list_record*>(describe(describe_function_list));
    if (functions == nullptr) {
        std::snprintf(error, error_size, "describe request %d answered 0",
                      static_cast<int>(describe_function_list));
        return 1;
    }
    const function_descriptor* descriptor = functions->count >= 1 ? functions->first : nullptr;
    host_release(functions);
    if (descriptor == nullptr || std::strncmp(descriptor->name, "FNONCT", sizeof descriptor->name) != 0 ||
        descriptor->argument_count != host_argument_count) {
        std::snprintf(error, error_size, "the module describes no FNONCT of four arguments");
        return 1;
    }

    auto* routines = static_cast<void**>(describe(describe_routine_list));
    if (routines == nullptr) {
        std::snprintf(error, error_size, "describe request %d answered 0",
                      static_cast<int>(describe_routine_list));
        return 1;
    }
    module->descriptor = descriptor;
    module->evaluate = reinterpret_cast<evaluate_callback>(routines[1]);
    host_release(routines);
    return 0;
}

int32_t host_attach(module_entry entry, host_module* module, char* error, size_t error_size)
{
    module->image = nullptr;
    module->record = nullptr;
    module->descriptor = nullptr;
    module->evaluate = nullptr;

    auto* image = static_cast<const image_information_block*>(entry(host_vector_address(), 0));
    if (host_check_image(image, error, error_size) != 0)
        return 1;
    module->image = image;
    module->record = image->module_list[0];
    if (module->record->describe == nullptr) {
        std::snprintf(error, error_size, "module record: no describe callback");
        return 1;
    }
    return describe_function(module, error, error_size);
}

int32_t host_open_module(const char* path, host_module* module, char* error, size_t error_size)
{
    module->library.handle = nullptr;
    if (loader_open(path, &module->library, error, error_size) != 0)
        return 1;
    auto entry = reinterpret_cast<module_entry>(loader_symbol(&module->library, "mcn_main"));
    if (entry == nullptr) {
        std::snprintf(error, error_size, "%s exports no mcn_main", path);
        loader_close(&module->library);
        return 1;
    }
    if (host_attach(entry, module, error, error_size) != 0) {
        loader_close(&module->library);
        return 1;
    }
    return 0;
}

void host_close_module(host_module* module)
{
    loader_close(&module->library);
    module->image = nullptr;
    module->record = nullptr;
    module->descriptor = nullptr;
    module->evaluate = nullptr;
}
