// Reading a registry export for the comparison of two exports: its bytes in pieces from any
// offset, split into lines and handed out as UTF-16 whatever the file's encoding, so that
// nothing is lost to the ANSI code page the viewer shows text in. No windows.h: the caller
// supplies the reads and the ANSI conversion.
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

class CExportReader {
public:
    CExportReader(CExportSource& source, AnsiDecoder decode, void* context);
    CExportReader(const CExportReader&) = delete;
    CExportReader& operator=(const CExportReader&) = delete;

    // Pieces read from now on are added to *done (may be null); reading stops when *stop is set.
    void Watch(std::atomic<uint64_t>* done, const std::atomic<bool>* stop);

    // Reads the byte-order mark and the header line, in pieces of pieceBytes from then on.
    // False when the file cannot be read or is no export: after blanks and tabs, its first line
    // is neither "REGEDIT4" nor "Windows Registry Editor Version 5.00", exactly.
    bool Open(size_t pieceBytes);
    ExportFormat Format() const { return m_format; }

    // Reads lines from `offset` on (where a line starts, as Next told), in pieces of about
    // pieceBytes; a part already in the buffer is not read again.
    void Seek(uint64_t offset, size_t pieceBytes);

    // The next line without its line break (CR LF, LF or CR) and the file offset where it
    // starts. The text stays valid until the next call. False at the end of the text: the end
    // of the file, its first zero character, a read error or a stop.
    bool Next(const char16_t*& text, size_t& length, uint64_t& offset);

    bool ReadFailed() const { return m_failed; }
    bool Stopped() const { return m_stopped; }

private:
    template <typename Unit>
    bool NextIn(std::vector<Unit>& buffer, const Unit*& text, size_t& length, uint64_t& offset);
    template <typename Unit>
    bool Refill(std::vector<Unit>& buffer);

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
    uint64_t m_base = 0;           // the file offset of the buffer's first byte
    size_t m_filled = 0;           // bytes in the buffer (an odd one ends a UTF-16 file)
    size_t m_pos = 0;              // where the next line starts, in units
    size_t m_scanned = 0;          // units after m_pos known to hold no line break
    size_t m_piece = 0;
    bool m_eof = false;
    bool m_ended = false;  // a zero character ended the text
    bool m_failed = false;
    bool m_stopped = false;
};
