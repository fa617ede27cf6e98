#include "LinkText.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "KeyPathText.h"
#include "LinkDoc.h"
#include "Mbcs.h"

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

// Whether `text` begins with `prefix` (upper case ASCII) once its ASCII letters are
// upper-cased. Comparing raw positions is the same as upper-casing the text first: a
// double-byte character's lead byte (0x81 and up) already differs from every byte of an
// ASCII prefix, so its trail byte is never compared.
bool StartsWithUpper(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i])) return false;
    return true;
}

// What one walk over the characters of a line finds; trail bytes are stepped over, so a
// double-byte character whose second byte is 0x5C, 0x3A or 0x22 counts as none of those.
struct Found {
    bool doubleBackslash = false;
    bool colon = false;
    bool quote = false;
    bool notInFileName = false;  // tab / * ? < > " |
    bool endsInTrail = false;    // the last byte is the second of a double-byte character
};

// Bytes that Scan must look at; every other byte is stepped over in a tight loop.
enum : unsigned char { kPlain = 0, kLead, kBackslash, kColon, kQuote, kNotInFileName };

struct ByteTable {
    unsigned char kind[256] = {};
    constexpr ByteTable() {
        for (int c = 0x81; c <= 0xFE; ++c) kind[c] = kLead;
        kind[static_cast<unsigned char>('\\')] = kBackslash;
        kind[static_cast<unsigned char>(':')] = kColon;
        kind[static_cast<unsigned char>('"')] = kQuote;
        for (char c : {'\t', '/', '*', '?', '<', '>', '|'}) kind[static_cast<unsigned char>(c)] = kNotInFileName;
    }
};
constexpr ByteTable kBytes;

#if defined(__SSE2__)
// Steps 16 bytes at a time over what the walk below would find nothing in: ASCII bytes
// without a colon, a quote or two backslashes in a row (and, for a drive path, none of the
// bytes a file name cannot hold). A key line of a registry export is mostly that.
// Returns where the byte-by-byte walk must take over.
size_t SkipPlain(const unsigned char* p, size_t n, bool drive) {
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i colon = _mm_set1_epi8(':');
    const __m128i quote = _mm_set1_epi8('"');
    size_t i = 0;
    for (; i + 17 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        __m128i found = _mm_and_si128(_mm_cmpeq_epi8(a, backslash), _mm_cmpeq_epi8(next, backslash));
        found = _mm_or_si128(found, _mm_or_si128(_mm_cmpeq_epi8(a, colon), _mm_cmpeq_epi8(a, quote)));
        if (drive) {
            for (char c : {'\t', '/', '*', '?', '<', '>', '|'})
                found = _mm_or_si128(found, _mm_cmpeq_epi8(a, _mm_set1_epi8(c)));
        }
        // The sign bits are the bytes from 0x80 up: lead bytes, which the walk must see.
        if (_mm_movemask_epi8(_mm_or_si128(found, a)) != 0) break;
    }
    return i;
}
#endif

Found Scan(std::string_view text, bool drive) {
    Found f;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
#if defined(__SSE2__)
    i = SkipPlain(p, n, drive);
#else
    (void)drive;
#endif
    for (;;) {
        while (i < n && kBytes.kind[p[i]] == kPlain) ++i;
        if (i >= n) break;
        switch (kBytes.kind[p[i]]) {
        case kLead:
            f.endsInTrail = i + 2 == n;
            i += 2;
            continue;
        case kBackslash:
            if (i + 1 < n && p[i + 1] == '\\') f.doubleBackslash = true;
            break;
        case kColon: f.colon = true; break;
        case kQuote:
            f.quote = true;
            f.notInFileName = true;
            break;
        default: f.notInFileName = true; break;
        }
        ++i;
    }
    return f;
}

bool StartsWithRoot(std::string_view text) {
    // Every root name begins with HK: most lines are turned away here.
    if (text.size() < 4 || Upper(static_cast<unsigned char>(text[0])) != 'H' ||
        Upper(static_cast<unsigned char>(text[1])) != 'K')
        return false;
    for (const RootKeyName& row : kRootKeyNames)
        if (StartsWithUpper(text, row.shortForm) || StartsWithUpper(text, row.longForm)) return true;
    return false;
}

}  // namespace

int32_t ClassifyLine(std::string_view line) {
    size_t skip = 0;
    while (skip < line.size() && IsBlank(static_cast<unsigned char>(line[skip]))) ++skip;
    std::string_view copy = line.substr(skip);
    if (copy.size() < 4) return LINE_TEXT;

    // Most lines of an export are value and hex lines that can be neither kind: decide
    // those from their first bytes, and walk the whole line only for a candidate link.
    // The result is the same as taking the rules in order, since every rule that is
    // skipped this way can only answer "plain text".
    const unsigned char first = Upper(static_cast<unsigned char>(copy[0]));
    const bool drive = first >= 'A' && first <= 'Z' && copy[1] == ':' && copy[2] == '\\';
    std::string_view inner = copy;
    if (!drive) {
        if (copy[0] == '[') {
            if (copy.back() != ']') return LINE_TEXT;
            inner = copy.substr(1, copy.size() - 2);
        }
        if (!StartsWithRoot(inner)) return LINE_TEXT;
    }

    const Found f = Scan(copy, drive);
    if (f.doubleBackslash) return LINE_TEXT;
    // As the key-path parser unwraps it: a double-byte character ending in 0x5D closes nothing.
    if (inner.size() != copy.size() && f.endsInTrail) return LINE_TEXT;
    if (drive) return f.notInFileName ? LINE_TEXT : LINE_FILE;
    if (f.colon || f.quote) return LINE_TEXT;
    return LINE_KEY;
}

bool HasExtension(const char* path, const char* extension) {
    if (!path || !extension || !*path || !*extension) return false;
    const size_t len = std::strlen(path);
    const size_t from = len > 4 ? len - 4 : 0;
    std::string tail = mbcs::UpperAscii(std::string_view(path + from, len - from));
    return tail == mbcs::UpperAscii(extension);
}

bool CommandLineArgument(std::string_view line, std::string_view& argument) {
    if (line.empty()) return false;
    size_t at;  // where the argument starts
    if (line[0] == '"') {
        const size_t quote = line.find('"', 1);  // the end of the program's own path
        if (quote == std::string_view::npos || quote + 1 >= line.size()) return false;
        at = quote + 2;  // the one character after the quote (normally a blank) is skipped
    } else {
        // Not quoted (Windows leaves a path without blanks bare): the path runs to the
        // first blank, which is the one character skipped.
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) return false;
        at = blank + 1;
    }
    if (at >= line.size()) return false;
    if (line[at] == '"') {
        const size_t close = line.find('"', at + 1);
        argument = line.substr(at + 1, close == std::string_view::npos ? std::string_view::npos : close - at - 1);
    } else {
        const size_t blank = line.find(' ', at);
        argument = line.substr(at, blank == std::string_view::npos ? std::string_view::npos : blank - at);
    }
    return !argument.empty();
}
