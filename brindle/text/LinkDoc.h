// The viewer's document: the lines of the shown text, each with its kind, and the byte
// length of the longest one. No windows.h: split and classification are unit-tested and
// fuzzed on the build machine.
//
// Why not one string per line: a full-registry export is 270-520 MB of UTF-16 and several
// million lines. The document keeps every line's bytes in one buffer, each line followed by
// CR LF, and an index of line ends, so a line costs 5 bytes of bookkeeping and splitting is
// one search for line feeds over the buffer. Files are fed in pieces (AppendArea and
// AppendCommit), so a caller can read and convert a file without holding it twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum : int32_t { LINE_TEXT = 0, LINE_KEY = 1, LINE_FILE = 2 };

// Key lines and file lines are links: drawn blue and underlined, opened by a click.
inline bool IsLink(int32_t kind) { return kind != LINE_TEXT; }

// Position of the first byte c in [p, p + n), or n. Our own, 16 bytes a step: the C
// library the Windows build runs on under Wine searches byte by byte, and splitting a
// text of some hundred MB into lines is mostly this search.
size_t FindByte(const char* p, size_t n, char c);

// A match of Find in the document: its line, where it starts in that line and its length;
// line -1: none. The start is 64-bit: one line of a broken file may run past 2 GB.
struct TextMatch {
    int32_t line = -1;
    uint64_t start = 0;
    uint32_t length = 0;
};

// The match of `length` bytes at `offset` of a text, in its line `line`, which starts at
// `lineStart`.
TextMatch MatchInLine(int32_t line, size_t lineStart, size_t offset, size_t length);

// A copy of one line, as GetLine hands it out.
struct LineItem {
    std::string text;  // the line without its CR LF
    int32_t kind = LINE_TEXT;
};

class CLinkDoc {
public:
    CLinkDoc() = default;
    virtual ~CLinkDoc();
    CLinkDoc(const CLinkDoc&) = delete;
    CLinkDoc& operator=(const CLinkDoc&) = delete;

    // Appends the lines of a text split at CR LF (a lone CR or LF stays in its line; a text
    // ending in CR LF has no empty last line). False, adding nothing, for an empty text.
    // Earlier lines stay: callers Clear first. The text is taken whole, zero bytes and all.
    bool SetText(std::string_view text);
    void Clear();

    bool GetLine(int32_t index, LineItem& item) const;
    int32_t GetLineCount() const { return static_cast<int32_t>(m_count); }
    int32_t GetMaxLineLength() const;

    // Without copying, for painting: the bytes of line `index` (valid until the document
    // changes) and its kind. Index must be in range.
    std::string_view LineText(int32_t index) const;
    int32_t LineKind(int32_t index) const {
        const int32_t kind = KindField(index);
        return kind == kLostKind ? LINE_TEXT : kind;
    }
    // Whether the line lost characters to the code page (MarkNoLink).
    bool LostCharacters(int32_t index) const { return KindField(index) == kLostKind; }

    // For the line menu on a registry export, recorded as the lines are split, so that no
    // question walks back over the text, however far above its answer lies: whether the
    // first line that is not blank is an export's header; the last section header at or
    // above line `index` (-1: none), and the line that the value wrapped over line `index`
    // starts on (`index` when it is no later line of one). Each a search by halves of a list
    // in line order: a few dozen steps for any size of text.
    bool IsExport() const { return m_export == Export::Yes; }
    int32_t SectionAbove(int32_t index) const;
    int32_t WrappedValueStart(int32_t index) const;

    // The whole text as it is held, every line followed by CR LF, for searching it in place
    // (valid until the document changes); where line `index` starts in it, and the line that
    // holds an offset of it (a line's CR LF counts as its own).
    std::string_view Text() const { return std::string_view(m_buf ? m_buf : "", m_feeding ? 0 : m_size); }
    size_t LineStart(int32_t index) const { return index <= 0 ? 0 : static_cast<size_t>(EndOf(index - 1)) + 2; }
    int32_t LineAt(size_t offset) const;

    // Find in this text: the match of `length` bytes found at `offset` of Text(); whether a
    // match lies within this text (it may be left from a text shown before); and where a
    // search goes on from: just after the match shown (at its start, going up) when this text
    // holds it, else the start of line `topLine`, the first one shown. Each a character start.
    TextMatch MatchAt(size_t offset, size_t length) const;
    bool Holds(const TextMatch& match) const;
    size_t SearchStart(const TextMatch& shown, bool down, int32_t topLine) const;

    // Feeding a text in pieces, as a file is read. BeginText resets the longest-line length
    // and, when the size of what is coming is known, reserves room for it at once (a
    // doubling buffer would copy a few hundred MB and, for a moment, hold it twice).
    // AppendArea gives room for n more bytes at the end of the text; AppendCommit then takes
    // the first `used` of them and splits off every line completed so far. EndText ends
    // the last line and gives what SetText would have given for the whole text.
    // Only false when memory runs out; the document is then left empty.
    bool BeginText(size_t expectedBytes = 0);
    char* AppendArea(size_t n);
    bool AppendCommit(size_t used);
    bool EndText();
    // Between AppendArea and AppendCommit: the line that will hold byte `at` of the area is
    // plain text however it reads. A line whose conversion lost characters shows them as the
    // code page's default character, '?', which the file tests take for a wildcard: as a link
    // it could open another file or key than the one it names. Marks come in byte order.
    bool MarkNoLink(size_t at);

private:
    bool Reserve(size_t total);
    bool PushLine(size_t start, size_t end);  // [start, end) of m_buf, CR LF at end..end+2
    bool SplitFrom(size_t from);
    bool Fail();

    // m_buf holds every line followed by CR LF, then the part of a text still being fed.
    // malloc'ed by hand: std::string would zero-fill every area handed out and cannot
    // grow without copying; realloc of a large block usually remaps pages instead.
    char* m_buf = nullptr;
    size_t m_size = 0;
    size_t m_cap = 0;
    // The line index, in blocks of 64K lines: a vector that doubles would, while it grows,
    // hold the old and the new copy of an index of ten million lines at once.
    static constexpr size_t kBlockShift = 16;
    static constexpr size_t kBlockLines = size_t(1) << kBlockShift;
    // A line's end (the offset just past its bytes; its CR LF follows) has 38 bits: the low
    // 32 in `low`, the rest in the low 6 bits of `high` (kEndHighBits), whose top 2 bits hold
    // the kind (or kLostKind). 256 GB of text is far beyond what the program could hold in memory.
    static constexpr uint64_t kMaxEnd = (uint64_t(1) << 38) - 1;
    static constexpr unsigned kKindShift = 6;
    static constexpr uint8_t kEndHighBits = (1u << kKindShift) - 1;
    struct IndexBlock {
        uint32_t low[kBlockLines];
        uint8_t high[kBlockLines];
    };
    // The kind's field holds one value more than the kinds: a line that lost characters,
    // shown as plain text.
    static constexpr int32_t kLostKind = 3;
    int32_t KindField(int32_t index) const {
        const size_t i = static_cast<size_t>(index);
        return m_index[i >> kBlockShift]->high[i & (kBlockLines - 1)] >> kKindShift;
    }
    uint64_t EndOf(size_t i) const {
        const IndexBlock& b = *m_index[i >> kBlockShift];
        const size_t j = i & (kBlockLines - 1);
        return (uint64_t(b.high[j] & kEndHighBits) << 32) | b.low[j];
    }
    std::vector<std::unique_ptr<IndexBlock>> m_index;
    size_t m_count = 0;
    size_t m_nMaxLineLen = 0;
    size_t m_pending = 0;          // start of the unfinished line while a text is fed
    std::vector<size_t> m_noLink;  // MarkNoLink's marks in the area not yet committed
    size_t m_noLinkNext = 0;       // the first of them not yet taken by a completed line
    bool m_pendingNoLink = false;  // the unfinished line is marked
    size_t m_textStart = 0;        // where the text being fed began in m_buf
    // What the line menu asks (IsExport and after): the section headers, and the values
    // wrapped over lines [first, last], each in line order. A line within a wrapped value is
    // no header, as import takes it for more of the value.
    bool RecordExportLine(std::string_view text, int32_t index);
    enum class Export : uint8_t { Unknown, Yes, No } m_export = Export::Unknown;
    std::vector<int32_t> m_sections;
    struct Wrapped {
        int32_t first, last;
    };
    std::vector<Wrapped> m_wrapped;
    bool m_wrapping = false;  // the line split last runs on over the next one
    bool m_feeding = false;
};
