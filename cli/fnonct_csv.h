// kelbrant fnonct --csv: FNONCT for every row of a table (fnonct_csv.cpp).
#pragma once

#include <cstdio>

#include "host/host.h"

enum csv_header_choice { csv_header_guess, csv_header_yes, csv_header_no };

struct fnonct_csv_options {
    int threads;                 // evaluating threads, at least 1
    char separator;              // ',' ';' or '\t'
    char decimal;                // '.' or ','
    csv_header_choice header;
    const char* columns;         // "X,DF1,DF2,P" by name or 1-based position, or null
    const char* missing_words;   // comma-separated, or null for the default
};

constexpr fnonct_csv_options default_csv_options = {1, ',', '.', csv_header_guess, nullptr,
                                                    nullptr};

// Read the table from `in`, write it with lambda and status appended to
// `out`, a message per error row to `messages`.  `module` is the module to
// evaluate with; the linked copy must be attached too (open_fnonct_module).
// `input_name` names the input in messages.  Returns the exit status.
int fnonct_csv_stream(const host_module* module, const fnonct_csv_options* options,
                      std::FILE* in, const char* input_name, std::FILE* out,
                      std::FILE* messages);
