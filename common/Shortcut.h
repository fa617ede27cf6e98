// A named shortcut: the text shown in the picker and the key path it opens.
#pragma once
#include <string>

struct Shortcut {
    std::string name;      // ANSI bytes (code page 936)
    std::string location;  // a key path

    // Complete only when both texts are non-empty.
    bool IsComplete() const { return !name.empty() && !location.empty(); }
};
