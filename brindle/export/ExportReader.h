// One side of a comparison as the engine reads it: the lines of a registry export, from any
// place where a line starts, as UTF-16 whatever the export's encoding, so that nothing is lost
// to the ANSI code page the viewer shows text in (CExportLines). A file's lines come from
// CExportReader, which splits the bytes of a source; a reader of the live registry hands out
// the lines its export would have. No windows.h: the caller supplies the reads and the ANSI
// conversion.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// One export file as the comparison reads it: its size, and reads at any offset, so that a
// part of it can be read again. Only one thread reads a source at a time.
class CExportSource {
public:
    virtual ~CExportSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to n bytes at offset into buffer; got = 0 means the end. False on a read error.
    virtual bool Read(uint64_t offset, void* buffer, size_t n, size_t& got) = 0;
};

// Converts n bytes of ANSI text (the system code page) to UTF-16 into dst, which has room for
// n units; returns the units written. It is handed whole lines and the whole data of a value,
// never half of a character (zero bytes included). The two exports are read on two threads,
// so it may be called from both at once. The Windows build passes MultiByteToWideChar(CP_ACP).
using AnsiDecoder = size_t (*)(const char* src, size_t n, char16_t* dst, void* context);

// Which header the export has: it decides how hex(1), hex(2) and hex(7) data are read (bytes
// of the ANSI code page after "REGEDIT4", UTF-16 after the 5.00 header), as import does; the
// byte-order mark alone decides how the text is read.
enum class ExportFormat { Regedit4, Version5 };

// How the text of an export ended before the end of its file: inside a character (a UTF-16
// file of an odd number of bytes, as a file cut short is), or at a zero character with more
// after it (a file filled with zeros past what was written), whose rest is not read.
enum class ExportBreak { None, OddByte, ZeroCharacter };

// The lines of one export, read through once and then again here and there. Lines are told
// apart by where they start (a file's offset): the place Next gives is one Seek takes back.
// Only one thread reads an object at a time.
class CExportLines {
public:
    virtual ~CExportLines() = default;

    // How much there is to read, in the units Watch counts (a file's bytes).
    virtual uint64_t Size() const = 0;
    // What is read from now on is added to *done (may be null); reading stops when *stop is set.
    virtual void Watch(std::atomic<uint64_t>* done, const std::atomic<bool>* stop) = 0;

    // Reads up to the header line, in pieces of pieceBytes from then on. False when the export
    // cannot be read or is none: after blanks and tabs, its first line is neither "REGEDIT4"
    // nor "Windows Registry Editor Version 5.00", exactly.
    virtual bool Open(size_t pieceBytes) = 0;
    virtual ExportFormat Format() const = 0;

    // Reads lines from `place` on (where a line starts, as Next told), in pieces of about
    // pieceBytes.
    virtual void Seek(uint64_t place, size_t pieceBytes) = 0;

    // The next line without its line break (CR LF, LF or CR) and the place where it starts. The
    // text stays valid until the next call. False at the end of the text: its end, its first
    // zero character, a read error or a stop.
    virtual bool Next(const char16_t*& text, size_t& length, uint64_t& place) = 0;
    // The same, passing over lines of no units (an export has one after each key's block).
    virtual bool NextNotEmpty(const char16_t*& text, size_t& length, uint64_t& place) {
        while (Next(text, length, place))
            if (length > 0) return true;
        return false;
    }

    virtual bool ReadFailed() const = 0;
    virtual bool Stopped() const = 0;
    // Once Open has failed: the export held nothing at all (no byte, or only its byte-order mark).
    virtual bool Empty() const { return false; }
    // Once Next has returned false at the end of the text: how the text broke off, if it did.
    virtual ExportBreak Break() const { return ExportBreak::None; }
};

// The lines of an export file, from the bytes of a source.
class CExportReader : public CExportLines {
public:
    CExportReader(CExportSource& source, AnsiDecoder decode, void* context);
    CExportReader(const CExportReader&) = delete;
    CExportReader& operator=(const CExportReader&) = delete;

    uint64_t Size() const override { return m_source.Size(); }
    void Watch(std::atomic<uint64_t>* done, const std::atomic<bool>* stop) override;
    // Reads the byte-order mark and the header line.
    bool Open(size_t pieceBytes) override;
    ExportFormat Format() const override { return m_format; }
    // A part already in the buffer is not read again.
    void Seek(uint64_t offset, size_t pieceBytes) override;
    bool Next(const char16_t*& text, size_t& length, uint64_t& offset) override;
    bool NextNotEmpty(const char16_t*& text, size_t& length, uint64_t& offset) override;
    bool ReadFailed() const override { return m_failed; }
    bool Stopped() const override { return m_stopped; }
    bool Empty() const override { return m_empty; }
    ExportBreak Break() const override { return m_break; }

private:
    template <typename Unit>
    bool NextIn(std::vector<Unit>& buffer, const Unit*& text, size_t& length, uint64_t& offset, bool notEmpty);
    bool NextLine(const char16_t*& text, size_t& length, uint64_t& offset, bool notEmpty);
    template <typename Unit>
    bool Refill(std::vector<Unit>& buffer);
    // Where the line's first break stands in p[0, n), the units after m_pos from m_scanned on:
    // those of an ANSI file widened into m_line on the way.
    size_t Scan(const char16_t* p, size_t n);
    size_t Scan(const char* p, size_t n);

    CExportSource& m_source;
    AnsiDecoder m_decode;
    void* m_context;
    std::atomic<uint64_t>* m_done = nullptr;
    const std::atomic<bool>* m_stop = nullptr;
    ExportFormat m_format = ExportFormat::Version5;
    bool m_utf16 = false;
    std::vector<char16_t> m_wide;  // UTF-16 files: the units read
    std::vector<char> m_bytes;     // ANSI files: the bytes read
    std::vector<char16_t> m_line;  // ANSI files: the line handed out, converted
    unsigned m_high = 0;           // ANSI files: the line's bytes scanned have a top bit set
    uint64_t m_base = 0;           // the file offset of the buffer's first byte
    size_t m_filled = 0;           // bytes in the buffer (an odd one ends a UTF-16 file)
    size_t m_pos = 0;              // where the next line starts, in units
    size_t m_scanned = 0;          // units after m_pos known to hold no line break
    size_t m_piece = 0;
    bool m_eof = false;
    bool m_ended = false;  // a zero character ended the text
    bool m_failed = false;
    bool m_stopped = false;
    bool m_empty = false;
    ExportBreak m_break = ExportBreak::None;
};
