// A file handle with errors as values (no exceptions): every operation returns whether it
// worked; GetError() then tells the system's error code.
#pragma once
#include <windows.h>

#include <string>

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,     // like shareExclusive: no other reader or writer
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,      // create, or truncate an existing file
        modeNoTruncate = 0x2000,  // with modeCreate: keep an existing file's content
    };

    CFile() = default;
    ~CFile() { Close(); }
    CFile(CFile&& o) noexcept;
    CFile& operator=(CFile&& o) noexcept;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool Open(const std::string& path, UINT flags);
    // Reads up to `count` bytes; *got receives how many (0 at the end of the file).
    bool Read(void* buffer, DWORD count, DWORD* got);
    bool Write(const void* data, DWORD count);  // all of it, or false
    bool GetLength(ULONGLONG* length) const;
    bool Seek(LONGLONG offset, DWORD from = FILE_BEGIN);
    bool Flush();
    void Close();

    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    const std::string& GetFilePath() const { return m_path; }
    DWORD GetError() const { return m_error; }
    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    bool Fail() const;
    std::string m_path;
    mutable DWORD m_error = 0;
};
