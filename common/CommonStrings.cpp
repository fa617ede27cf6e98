#include "CommonStrings.h"

std::string LoadCommonString(UINT id) {
    // Long enough for every shared message; LoadStringA cuts and terminates longer ones.
    char buffer[512];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}
