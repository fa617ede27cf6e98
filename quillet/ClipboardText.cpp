#include "ClipboardText.h"

#include <windows.h>

#include <cstring>

namespace {

// Holds the clipboard open for one scope, so that no early return can leave it locked
// for every other program on the desktop.
class ClipboardLock {
public:
    ClipboardLock() : m_open(OpenClipboard(nullptr) != FALSE) {}
    ~ClipboardLock() { Close(); }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;

    bool IsOpen() const { return m_open; }
    bool Close() {
        if (!m_open) return false;
        m_open = false;
        return CloseClipboard() != FALSE;
    }

private:
    bool m_open;
};

}  // namespace

bool CClipboardText::ReadText(std::string& text) const {
    if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
    ClipboardLock lock;
    if (!lock.IsOpen()) return false;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return false;
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes) return false;
    // Another program's block need not end in a zero byte: never read past its size.
    size_t limit = GlobalSize(data);
    const void* zero = limit ? memchr(bytes, 0, limit) : nullptr;
    size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes)
                         : (limit ? limit : strlen(bytes));
    text.assign(bytes, length);
    GlobalUnlock(data);
    lock.Close();
    return !text.empty();
}

bool CClipboardText::FirstLine(std::string& line) const {
    std::string text;
    if (!ReadText(text)) return false;
    size_t end = text.find("\r\n");
    line = end == std::string::npos ? text : text.substr(0, end);
    return !line.empty();
}

bool CClipboardText::Empty() const {
    ClipboardLock lock;
    if (!lock.IsOpen()) return false;
    EmptyClipboard();
    return lock.Close();
}
