#include "ClipboardText.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Right after a change, clipboard history and other viewers often hold the clipboard open
// for a moment (OpenClipboard fails while another window has it open): a few tries.
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryMs = 20;

// Holds the clipboard open for one scope, so that no early return can leave it locked
// for every other program on the desktop.
class ClipboardLock {
public:
    ClipboardLock(HWND owner, const ClipboardCalls& calls) : m_close(calls.close) {
        for (int attempt = 0; attempt < kOpenAttempts && !m_open; ++attempt) {
            if (attempt > 0) Sleep(kOpenRetryMs);
            m_open = calls.open(owner) != FALSE;
        }
    }
    ~ClipboardLock() { Close(); }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;

    bool IsOpen() const { return m_open; }
    bool Close() {
        if (!m_open) return false;
        m_open = false;
        return m_close() != FALSE;
    }

private:
    BOOL(WINAPI* m_close)();
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

// Gives a block to the open clipboard, which owns it from then on; one it does not take is freed.
bool HandOver(UINT format, HGLOBAL block, bool open) {
    if (open && block && SetClipboardData(format, block)) return true;
    if (block) GlobalFree(block);
    return false;
}

}  // namespace

bool CClipboardText::IsAvailable() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

bool CClipboardText::Read(std::string& text, ClipboardCopy* copy) const {
    ClipboardCopy unused;
    ClipboardCopy& found = copy ? *copy : unused;
    found = ClipboardCopy();
    text.clear();
    if (!IsAvailable()) return false;
    ClipboardLock lock(m_owner, m_calls);
    found.busy = !lock.IsOpen();
    if (found.busy) return false;
    const UINT format = OriginalTextFormat();
    HANDLE data = format ? m_calls.getData(format) : nullptr;
    // The copy's number with its data in hand and the clipboard still ours: a copy rendered
    // late has raised it by now (this very read rendered it), and no later copy can have.
    found.number = m_calls.sequence();
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
        found.lossy = usedDefault != FALSE;
    } else {
        const auto* ansi = static_cast<const char*>(block);
        text.assign(ansi, BoundedLength(ansi, blockBytes));
    }
    GlobalUnlock(data);
    return true;
}

bool CClipboardText::FirstLine(std::string& line, ClipboardCopy* copy) const {
    line.clear();
    std::string text;
    ClipboardCopy found;
    const bool read = Read(text, &found);
    if (copy) *copy = found;
    if (!read || found.lossy) return false;
    line = text.substr(0, text.find("\r\n"));
    return !line.empty();
}

CopyLine CClipboardText::NewCopyLine(std::string& line, DWORD& handled) const {
    const DWORD newest = m_calls.sequence();
    if (newest != 0 && newest == handled) return CopyLine::Handled;
    // A copy counts as handled only once read: one still held open is taken at the next try.
    ClipboardCopy copy;
    if (!FirstLine(line, &copy)) return copy.busy ? CopyLine::Busy : CopyLine::Nothing;
    handled = copy.number;
    return CopyLine::Line;
}

bool CClipboardText::Empty() const {
    ClipboardLock lock(m_owner, m_calls);
    if (!lock.IsOpen()) return false;
    EmptyClipboard();
    return lock.Close();
}

bool CClipboardText::Write(const std::string& text) const {
    const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX - 1));
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (length > 0 && wide <= 0) return false;
    HGLOBAL ansi = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(length) + 1);
    HGLOBAL unicode = GlobalAlloc(GMEM_MOVEABLE, (static_cast<SIZE_T>(wide) + 1) * sizeof(WCHAR));
    if (char* bytes = ansi ? static_cast<char*>(GlobalLock(ansi)) : nullptr) {
        memcpy(bytes, text.data(), static_cast<size_t>(length));
        bytes[length] = '\0';
        GlobalUnlock(ansi);
    }
    if (WCHAR* units = unicode ? static_cast<WCHAR*>(GlobalLock(unicode)) : nullptr) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, units, wide);
        units[wide] = L'\0';
        GlobalUnlock(unicode);
    }
    ClipboardLock lock(m_owner, m_calls);
    const bool open = lock.IsOpen() && EmptyClipboard();
    const bool text8 = HandOver(CF_TEXT, ansi, open), text16 = HandOver(CF_UNICODETEXT, unicode, open);
    return lock.Close() && text8 && text16;
}
