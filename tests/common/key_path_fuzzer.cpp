// Arbitrary bytes through both key-path parsers and the shortcut rule; every successful
// parse must have these properties.
#include <cstddef>
#include <cstdint>
#include <string>

#include "KeyPathText.h"
#include "Mbcs.h"

#define CHECK(cond)                    \
    do {                               \
        if (!(cond)) __builtin_trap(); \
    } while (0)

static bool StartsWithRoot(const ParsedKeyPath& p) {
    std::string upper = mbcs::UpperAscii(p.path);
    const RootKeyName& row = kRootKeyNames[p.row];
    return upper.rfind(row.longForm, 0) == 0 || upper.rfind(row.shortForm, 0) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    ParsedKeyPath strict, lenient, viewer;
    bool okStrict = ParseKeyPathText(text, false, strict), okLenient = ParseKeyPathText(text, true, lenient);
    CHECK(!okStrict || (okLenient && strict.path == lenient.path && strict.row == lenient.row));
    for (const ParsedKeyPath* p : {&strict, &lenient}) {
        if (p->row < 0) continue;
        CHECK(p->row < kRootKeyCount && StartsWithRoot(*p) && p->path.size() >= p->subKey.size());
        CHECK(p->path.compare(p->path.size() - p->subKey.size(), p->subKey.size(), p->subKey) == 0);
        CHECK(mbcs::FindDoubleBackslash(p->path) == mbcs::npos && text.find(p->subKey) != std::string::npos);
    }
    if (ParseKeyPathUpper(text, viewer)) {
        std::string full = FullKeyPathText(viewer);
        CHECK(!viewer.subKey.empty() && StartsWithRoot(viewer) && mbcs::UpperAscii(viewer.path) == viewer.path);
        CHECK(full.size() > viewer.subKey.size() && mbcs::UpperAscii(full) == full);
    }
    std::string location, name;
    if (KeyPathTextToShortcut(text, location, name)) {
        CHECK(!name.empty() && location == lenient.path && mbcs::FindLastChar(name, '\\') == mbcs::npos);
        CHECK(location.size() > name.size() && location.compare(location.size() - name.size(), name.size(), name) == 0);
    }
    return 0;
}
