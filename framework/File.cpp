#include "File.h"

#include <utility>

CFile::CFile(CFile&& o) noexcept
    : m_hFile(std::exchange(o.m_hFile, INVALID_HANDLE_VALUE)), m_path(std::move(o.m_path)), m_error(o.m_error) {}

CFile& CFile::operator=(CFile&& o) noexcept {
    if (this != &o) {
        Close();
        m_hFile = std::exchange(o.m_hFile, INVALID_HANDLE_VALUE);
        m_path = std::move(o.m_path);
        m_error = o.m_error;
    }
    return *this;
}

bool CFile::Fail() const {
    m_error = ::GetLastError();
    if (m_error == 0) m_error = ERROR_GEN_FAILURE;  // never report a failure as "no error"
    return false;
}

bool CFile::Open(const std::string& path, UINT flags) {
    Close();
    m_error = 0;
    DWORD access = 0;
    switch (flags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: m_error = ERROR_INVALID_PARAMETER; return false;
    }
    DWORD share = 0;  // shareCompat and shareExclusive: nobody else
    switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break;
    }
    DWORD create = OPEN_EXISTING;
    if (flags & modeCreate) create = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    m_hFile = ::CreateFileA(path.c_str(), access, share, nullptr, create, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) return Fail();
    m_path = path;
    return true;
}

bool CFile::Read(void* buffer, DWORD count, DWORD* got) {
    DWORD read = 0;
    if (got) *got = 0;
    if (!IsOpen()) {
        m_error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr)) return Fail();
    if (got) *got = read;
    return true;
}

bool CFile::Write(const void* data, DWORD count) {
    if (!IsOpen()) {
        m_error = ERROR_INVALID_HANDLE;
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(m_hFile, data, count, &written, nullptr)) return Fail();
    if (written != count) {
        m_error = ERROR_HANDLE_DISK_FULL;  // a short write is a failed write
        return false;
    }
    return true;
}

bool CFile::GetLength(ULONGLONG* length) const {
    LARGE_INTEGER size{};
    if (!IsOpen()) {
        m_error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!::GetFileSizeEx(m_hFile, &size)) return Fail();
    *length = static_cast<ULONGLONG>(size.QuadPart);
    return true;
}

bool CFile::Seek(LONGLONG offset, DWORD from) {
    LARGE_INTEGER to{};
    to.QuadPart = offset;
    if (!IsOpen()) {
        m_error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!::SetFilePointerEx(m_hFile, to, nullptr, from)) return Fail();
    return true;
}

bool CFile::Flush() {
    if (!IsOpen()) return false;
    if (!::FlushFileBuffers(m_hFile)) return Fail();
    return true;
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
