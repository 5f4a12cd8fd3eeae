// `kelbrant eval` rows for the further distribution routines of the numeric
// library.  Rows may take optional trailing arguments (shown in brackets in
// `arguments`, e.g. "x a [tolerance]"); the adapter receives the count given
// and supplies the defaults itself.

#include "cli/eval_table.h"

const eval_routine eval_library_routines[] = {
    {nullptr, nullptr, 0, 0, {}, nullptr, nullptr},
};
