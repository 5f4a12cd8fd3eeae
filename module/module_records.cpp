// The module's static records: the image information block, the module list,
// the module record and the FNONCT function descriptor (layouts in
// module_records.h).  All are constant: neither the module nor the host
// writes them.

#include "module/module_records.h"

#include "fnonct/fnonct.h"

static const char copyright_notice[] =
    "kelbrant: FNONCT, the noncentrality parameter of the noncentral F distribution. "
    "Copyright (c) the kelbrant authors.";

const function_descriptor fnonct_descriptor = {
    "FNONCT",
    4,
    4,
    0x42,
    0,
    function_codes_fnonct,
    fnonct_evaluate,
};

const module_record kelbrant_module_record = {
    {0x00, 0x00, 0xFF, 0xFF},
    1024,
    1024,
    {'k', 'e', 'l', 'b', 'r', 'a', 'n', 't'},
    0,
    fnonct_describe,
    1,
    9683,
    1154823,
    15,
};

const module_record* const module_list[2] = {&kelbrant_module_record, nullptr};

const image_information_block image_information = {
    "ZOR_Image_Information=",
    image_constant,
    8,
    "8.00",
    "8.01.01M0P041000",
    "Apr 10 2000",
    module_list,
    copyright_notice,
    "001",
};
