// Decoding a file's bytes into the document, piece by piece, without windows.h.
//
// A file is ANSI (taken as it is, up to its first zero byte) or UTF-16 little-endian with
// the byte-order mark FF FE (converted to the ANSI code page up to its first zero unit).
// Registry exports are almost all ASCII, which code page 936 holds byte for byte, so ASCII
// is converted here at memory speed and only the runs of other characters go to the
// system's conversion, handed in as a function. Runs are never split inside a surrogate
// pair, so the result is exactly what one conversion of the whole text would give.
#pragma once

#include <cstddef>
#include <cstdint>

class CLinkDoc;

enum class TextEncoding { Ansi, Utf16 };

// From the first bytes of a file (n = 0, 1 or 2 of them): UTF-16 only for FF FE.
TextEncoding DetectEncoding(const unsigned char* first, size_t n);

// Converts `n` UTF-16 units (none of them zero, none below 0x80) to the ANSI code page into
// dst, which has room for maxBytesPerUnit * n bytes (the decoder's parameter: the code
// page's largest character, 2 in code page 936, 4 in UTF-8); returns the bytes written and
// sets *lost when a character the code page lacks became its default character. The
// Windows build passes WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, ...): a look-alike
// instead would name another file or key as well as '?' does. A run never spans a line
// break (CR and LF are ASCII), so a run that lost characters marks its line no link.
using WideRunConverter = size_t (*)(const char16_t* src, size_t n, char* dst, void* context, bool* lost);

// Feeds a file's data (after the byte-order mark for UTF-16) into a document that the
// caller has emptied. Feed() may be called with pieces of any size, also odd ones; it
// returns false once the text has ended (a zero was met) or memory ran out, and the
// caller may stop reading then. Finish() gives what SetText gives for the whole text:
// false for an empty text (or when memory ran out, the document then being empty).
class CTextDecoder {
public:
    CTextDecoder(CLinkDoc& doc, TextEncoding encoding, WideRunConverter convert, void* context, size_t maxBytesPerUnit);
    CTextDecoder(const CTextDecoder&) = delete;
    CTextDecoder& operator=(const CTextDecoder&) = delete;

    // dataSize: the number of bytes that will be fed at most, for reserving the document.
    bool Begin(uint64_t dataSize);
    bool Feed(const unsigned char* data, size_t n);
    bool Finish();

    bool Ended() const { return m_ended; }

private:
    // ANSI: room for n bytes at the end of the text, then the number of them filled.
    char* AnsiArea(size_t n);
    bool AnsiCommit(size_t got);
    bool FeedUnits(const char16_t* units, size_t n);
    bool ConvertUnits(const char16_t* units, size_t n);

    CLinkDoc& m_doc;
    TextEncoding m_encoding;
    WideRunConverter m_convert;
    void* m_context;
    size_t m_maxBytes;
    bool m_ended = false;    // a zero ended the text, or memory ran out
    bool m_failed = false;   // memory ran out
    char* m_area = nullptr;  // ANSI: the room handed out by AnsiArea
    size_t m_areaSize = 0;
    bool m_haveOdd = false;  // UTF-16: a piece ended in the middle of a unit
    unsigned char m_odd = 0;
    bool m_haveHigh = false;  // UTF-16: a piece ended after a high surrogate
    char16_t m_high = 0;
};

// The whole decoding at once, for tests and the fuzzer: `data` is the file's content
// including any byte-order mark.
bool DecodeTextInto(CLinkDoc& doc, const unsigned char* data, size_t n, WideRunConverter convert, void* context,
                    size_t maxBytesPerUnit);
