// Reading the clipboard's text, and emptying the clipboard: Quillet's clipboard commands and
// auto-open, and Brindle's paste.
#pragma once
#include <windows.h>

#include <string>

// The system's calls a read makes around the data. The programs use the system's own; tests
// hand their own to play what Wine does not: a copy rendered late raises the clipboard's
// sequence number at the moment it is read; and to time another program's hold by the read's
// own tries, not by the clock: a holder lets go when a try is refused.
struct ClipboardCalls {
    BOOL(WINAPI* open)(HWND owner) = ::OpenClipboard;
    HANDLE(WINAPI* getData)(UINT format) = ::GetClipboardData;
    DWORD(WINAPI* sequence)() = ::GetClipboardSequenceNumber;
    BOOL(WINAPI* close)() = ::CloseClipboard;
};

// What one read found besides the text.
struct ClipboardCopy {
    bool busy = false;  // another program kept the clipboard open through every try
    // Characters the code page cannot hold became its default character ('?'): such a text
    // names no path, since '?' is a wildcard to the file tests.
    bool lossy = false;
    DWORD number = 0;  // the clipboard's sequence number of the copy read; 0: unknown
};

// What auto-open's read of the newest copy found.
enum class CopyLine { Line, Handled, Busy, Nothing };

// Stateless: made on the stack for one command. Every operation opens the clipboard and
// closes it again before returning, so a failure (no text, the clipboard held by another
// program for longer than a moment) is simply a false result.
class CClipboardText {
public:
    // `owner`: the window that opens the clipboard; none is needed for reading.
    explicit CClipboardText(HWND owner = nullptr, const ClipboardCalls& calls = ClipboardCalls())
        : m_owner(owner), m_calls(calls) {}
    virtual ~CClipboardText() = default;

    // Whether the clipboard holds text, in either text format.
    static bool IsAvailable();
    // The whole text in the ANSI code page, as the copying program put it there (see the
    // .cpp); true when it could be read, empty or not. A Unicode text that cannot be converted
    // is not read.
    bool Read(std::string& text, ClipboardCopy* copy = nullptr) const;
    // Read, true only when the text is non-empty.
    bool ReadText(std::string& text) const { return Read(text) && !text.empty(); }
    // The text up to (not including) its first CR LF, untrimmed; true when non-empty and
    // nothing of it was lost to the code page.
    bool FirstLine(std::string& line, ClipboardCopy* copy = nullptr) const;
    // FirstLine of the newest copy unless its number is `handled`, the copy last taken, which
    // a Line result moves on to this copy. Handled: that copy again; Busy: held by another
    // program; Nothing: no line in it.
    CopyLine NewCopyLine(std::string& line, DWORD& handled) const;
    // Empties the clipboard; the result of closing it again.
    bool Empty() const;
    // Puts `text` (ANSI) on the emptied clipboard as text and as Unicode text, both made here:
    // the system would make the Unicode one with the code page of the keyboard layout, not
    // with ours. Needs an owner. False when either could not be put.
    bool Write(const std::string& text) const;

private:
    HWND m_owner;
    ClipboardCalls m_calls;
};
