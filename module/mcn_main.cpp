// mcn_main: the module's one export.  The host calls it first with the
// address of its host vector; the module keeps that address (replacing any
// earlier one) for every later host service and hands back the image
// information block, from which the host finds everything else.  The second
// argument carries nothing the module needs.  No failure is possible and no
// host service is called.

#include "module/host_services.h"
#include "module/module_records.h"

extern "C" void* mcn_main(void* host_vector, int32_t value)
{
    (void)value;
    host_vector_store(host_vector);
    return const_cast<image_information_block*>(&image_information);
}
