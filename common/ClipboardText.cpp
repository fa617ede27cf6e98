#include "ClipboardText.h"

#include <climits>

namespace {

// Right after a change, clipboard history and other viewers often hold the clipboard open
// for a moment (OpenClipboard fails while another window has it open): a few tries.
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryMs = 20;

// Holds the clipboard open for one scope, so that no early return can leave it locked
// for every other program on the desktop.
class ClipboardLock {
public:
    explicit ClipboardLock(HWND owner) {
        for (int attempt = 0; attempt < kOpenAttempts && !m_open; ++attempt) {
            if (attempt > 0) Sleep(kOpenRetryMs);
            m_open = OpenClipboard(owner) != FALSE;
        }
    }
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
    bool m_open = false;
};

// The text format the copying program put on the clipboard itself. The system makes the
// other one from it with the code page of the copier's keyboard layout (CF_LOCALE), not with
// our ANSI code page: Chinese copied as Unicode under an English layout reads as "?" from
// CF_TEXT, and Chinese ANSI text put as CF_TEXT under that layout turns into other
// characters in CF_UNICODETEXT. EnumClipboardFormats lists a format before the formats the
// system converts it to (its documentation, "Synthesized Clipboard Formats").
UINT OriginalTextFormat() {
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        if (format == CF_UNICODETEXT || format == CF_TEXT) return format;
    return 0;
}

// The length up to the first zero, never past the block's end: another program's block
// need not end in one.
template <typename Char>
size_t BoundedLength(const Char* text, SIZE_T blockBytes) {
    const size_t limit = blockBytes / sizeof(Char);
    size_t length = 0;
    while (length < limit && text[length]) ++length;
    return length;
}

}  // namespace

bool CClipboardText::IsAvailable() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

bool CClipboardText::Read(std::string& text, bool* lossy) const {
    text.clear();
    if (lossy) *lossy = false;
    if (!IsAvailable()) return false;
    ClipboardLock lock(m_owner);
    if (!lock.IsOpen()) return false;
    const UINT format = OriginalTextFormat();
    HANDLE data = format ? GetClipboardData(format) : nullptr;
    if (!data) return false;
    const void* block = GlobalLock(data);
    if (!block) return false;
    const SIZE_T blockBytes = GlobalSize(data);
    if (format == CF_UNICODETEXT) {
        const auto* wide = static_cast<const wchar_t*>(block);
        const size_t length = BoundedLength(wide, blockBytes);
        const int units = length > INT_MAX ? INT_MAX : static_cast<int>(length);
        // No best fit: a character without its own form must not turn into a look-alike
        // that names another key or file; it becomes '?' and is reported.
        const int bytes =
            units ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, units, nullptr, 0, nullptr, nullptr) : 0;
        BOOL usedDefault = FALSE;
        if (bytes > 0) {
            text.resize(static_cast<size_t>(bytes));
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, units, &text[0], bytes, nullptr, &usedDefault);
        }
        if (units > 0 && bytes <= 0) {  // a text that could not be converted was not read
            text.clear();
            GlobalUnlock(data);
            return false;
        }
        if (lossy) *lossy = usedDefault != FALSE;
    } else {
        const auto* ansi = static_cast<const char*>(block);
        text.assign(ansi, BoundedLength(ansi, blockBytes));
    }
    GlobalUnlock(data);
    return true;
}

bool CClipboardText::FirstLine(std::string& line) const {
    std::string text;
    bool lossy = false;
    if (!Read(text, &lossy) || lossy || text.empty()) return false;
    size_t end = text.find("\r\n");
    line = end == std::string::npos ? text : text.substr(0, end);
    return !line.empty();
}

bool CClipboardText::Empty() const {
    ClipboardLock lock(m_owner);
    if (!lock.IsOpen()) return false;
    EmptyClipboard();
    return lock.Close();
}
