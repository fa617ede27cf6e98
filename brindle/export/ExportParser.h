// The registry editor's import rules, line by line, for comparing exports by what importing
// them would do: which lines open a key, delete one, set or delete a value, and what a value's
// data means once stored. No windows.h.
//
// Lines are UTF-16 (CExportLines). Blanks and tabs may stand before `[`, `"` and `@`; a line
// that starts with anything else (a comment, a stray continuation line) is skipped. A key line
// runs to its last `]`; one with a blank or tab right after `[`, or without `]`, is void and
// the key before stays open. `[-...]` and a key under no known root close the key: the values
// after them go nowhere. Hex data wrapped over lines ending in `,\` is joined; a line there that
// is neither blank, a comment nor more hex voids the value and is lost with it. A void value
// line is dropped whole.
//
// A text cut short shows in its last line that is not blank: a key line without `]`, a quote
// never closed, a value line ending before its data (at `=`, inside `dword:` or `hex(2)`),
// hex data ending in a comma, or a `\` whose continuation never comes (LastLineCut).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Buffer.h"
#include "ExportReader.h"

// The letter case key paths and value names are matched without, as the registry does: ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic letters and the full-width Latin ones fold to
// their capitals; every other character (Chinese among them) stands for itself.
char16_t FoldCase(char16_t c);

#if defined(__SSE2__)
// FoldCase of 8 ASCII units at once: the small letters a to z made capitals, the rest kept.
inline __m128i FoldAscii8(__m128i units) {
    const __m128i small = _mm_and_si128(_mm_cmpgt_epi16(units, _mm_set1_epi16(u'a' - 1)),
                                        _mm_cmplt_epi16(units, _mm_set1_epi16(u'z' + 1)));
    return _mm_sub_epi16(units, _mm_and_si128(small, _mm_set1_epi16(32)));
}
#endif

// How a value's data was written, so that a changed value is written again as its export had it.
enum class ExportDataForm { String, Dword, Hex };

struct ExportValue {
    std::u16string_view rawName;  // between the quotes, escapes kept; empty for the default value
    std::u16string_view name;     // escapes decoded; empty for the default value (@ or "")
    bool removed = false;         // "name"=- : the value is deleted
    uint32_t type = 0;
    // The data as the registry stores it: a string in UTF-16 with its final zero, a dword in 4
    // bytes, hex(1), hex(2) and hex(7) data in UTF-16 (converted from the ANSI code page after a
    // REGEDIT4 header) ending in a zero character, other hex data as written.
    const uint8_t* data = nullptr;
    size_t size = 0;
    ExportDataForm form = ExportDataForm::Hex;
    std::u16string_view text;  // String: "..." as written, quotes included; Dword: the digits
};

class CExportParser {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        // A key line under a known root: the path as written between `[` and the last `]`.
        virtual void Key(std::u16string_view path, uint64_t offset) = 0;
        // `[-...]` or a key under no known root: values go nowhere until the next key.
        virtual void KeyClosed() = 0;
        // `[-KEY]` under a known root (the path after the `-`): by default a key closed.
        virtual void KeyDeleted(std::u16string_view path, uint64_t offset) {
            (void)path;
            (void)offset;
            KeyClosed();
        }
        // A value line (or lines) of the open key.
        virtual void Value(const ExportValue& value) = 0;
    };

    CExportParser(Handler& handler, ExportFormat format, AnsiDecoder decode, void* context);

    void Line(const char16_t* text, size_t length, uint64_t offset);
    // The end of the text: hex data wrapped onto a line that never came is stored as read.
    void End();
    // After End: the text ends inside the syntax of its last line, as a text cut short does.
    bool LastLineCut() const { return m_cut; }
    // Hex data wrapped at the end of the last line: the value goes on in the next.
    bool Continues() const { return m_wrapped; }

private:
    void KeyLine(const char16_t* p, const char16_t* end, uint64_t offset);
    void QuotedName(const char16_t* p, const char16_t* end);
    void Data(const char16_t* p, const char16_t* end);
    void StringData(const char16_t* p, const char16_t* end);
    void DwordData(const char16_t* p, const char16_t* end);
    void HexData(const char16_t* p, const char16_t* end);
    void StoreHex();
    void KeepName();  // the value goes on in the next line: its name is copied out of this one
    void Deliver(ExportDataForm form, std::u16string_view text, bool removed);
    // Decodes escapes up to the closing quote into `out`; where that quote stands. Void texts:
    // `end` when the text ends first (no closing quote, a backslash at the end), null for \0.
    static const char16_t* Unescape(const char16_t* p, const char16_t* end, CBuffer<char16_t>& out);

    Handler& m_handler;
    ExportFormat m_format;
    AnsiDecoder m_decode;
    void* m_context;
    bool m_keyOpen = false;
    bool m_wrapped = false;  // hex data continues on the next line
    bool m_cut = false;      // the last line that is not blank ends inside its syntax
    // The value's name: views of the line, or of m_name (escapes decoded) and m_rawName (KeepName).
    std::u16string_view m_rawView, m_nameView;
    CBuffer<char16_t> m_rawName, m_name, m_string;
    uint32_t m_type = 0;
    CBuffer<uint8_t> m_data;
    std::vector<char16_t> m_wide;
};
