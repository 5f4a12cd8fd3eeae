// The documents a user reads: README.md at the top of the checkout and every
// page of docs/, in name order.  The tests that run the documents' examples
// read them through these, so that an example moved from one page to
// another is still run.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_cli.h"

inline std::vector<std::string> document_paths()
{
    const std::filesystem::path top(KELBRANT_SOURCE_DIR);
    std::vector<std::string> pages;
    for (const auto& entry : std::filesystem::directory_iterator(top / "docs"))
        if (entry.path().extension() == ".md")
            pages.push_back(entry.path().string());
    std::sort(pages.begin(), pages.end());
    pages.insert(pages.begin(), (top / "README.md").string());
    return pages;
}

// The path of one page of docs/, e.g. document_path("command-line.md").
inline std::string document_path(const std::string& page)
{
    return std::string(KELBRANT_SOURCE_DIR) + "/docs/" + page;
}

// Every document, one after another, each ending in a line break.
inline std::string all_documents()
{
    std::string text;
    for (const std::string& path : document_paths()) {
        text += file_contents(path);
        if (!text.empty() && text.back() != '\n')
            text += '\n';
    }
    return text;
}
