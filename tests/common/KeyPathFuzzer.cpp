// Throws arbitrary bytes at both key-path parsers and the shortcut rule, and checks the
// properties every successful parse must have.
#include <cstddef>
#include <cstdint>
#include <string>

#include "KeyPathText.h"
#include "Mbcs.h"

namespace {

void Check(bool cond) {
    if (!cond) __builtin_trap();
}

bool StartsWithRoot(const ParsedKeyPath& p) {
    std::string upper = mbcs::UpperAscii(p.path);
    const RootKeyName& row = kRootKeyNames[p.row];
    return upper.compare(0, row.longForm.size(), row.longForm) == 0 ||
           upper.compare(0, row.shortForm.size(), row.shortForm) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    ParsedKeyPath strict, lenient, viewer;
    bool okStrict = ParseKeyPathText(text, false, strict);
    bool okLenient = ParseKeyPathText(text, true, lenient);
    Check(!okStrict || okLenient);
    for (const ParsedKeyPath* p : {&strict, &lenient}) {
        if (p->row < 0) continue;
        Check(p->row < kRootKeyCount);
        Check(StartsWithRoot(*p));
        Check(p->path.size() >= p->subKey.size());
        Check(p->path.compare(p->path.size() - p->subKey.size(), p->subKey.size(), p->subKey) == 0);
        Check(mbcs::FindDoubleBackslash(p->path) == mbcs::npos);
        Check(text.find(p->subKey) != std::string::npos);
    }
    if (okStrict) {
        Check(strict.path == lenient.path && strict.row == lenient.row);
    }

    if (ParseKeyPathUpper(text, viewer)) {
        Check(!viewer.subKey.empty());
        Check(StartsWithRoot(viewer));
        Check(mbcs::UpperAscii(viewer.path) == viewer.path);
        std::string full = FullKeyPathText(viewer);
        Check(full.size() > viewer.subKey.size());
        Check(mbcs::UpperAscii(full) == full);
    }

    std::string location, name;
    if (KeyPathTextToShortcut(text, location, name)) {
        Check(!location.empty() && !name.empty());
        Check(location == lenient.path);
        Check(mbcs::FindChar(name, '\\') == mbcs::npos);
        Check(location.size() > name.size());
        Check(location.compare(location.size() - name.size(), name.size(), name) == 0);
    }
    return 0;
}
