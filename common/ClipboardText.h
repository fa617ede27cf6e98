// Reading the clipboard's text, and emptying the clipboard: Quillet's clipboard commands and
// Brindle's paste.
#pragma once
#include <windows.h>

#include <string>

// Stateless: made on the stack for one command. Every operation opens the clipboard and
// closes it again before returning, so a failure (no text, the clipboard held by another
// program for longer than a moment) is simply a false result.
class CClipboardText {
public:
    // `owner`: the window that opens the clipboard; none is needed for reading.
    explicit CClipboardText(HWND owner = nullptr) : m_owner(owner) {}
    virtual ~CClipboardText() = default;

    // Whether the clipboard holds text, in either text format.
    static bool IsAvailable();
    // The whole text in the ANSI code page, as the copying program put it there (see the
    // .cpp); true when it could be read, empty or not. A Unicode text that cannot be converted
    // is not read. `lossy`, when given, tells whether characters the code page cannot hold
    // became its default character ('?'): such a text names no path, since '?' is a wildcard
    // to the file tests.
    bool Read(std::string& text, bool* lossy = nullptr) const;
    // Read, true only when the text is non-empty.
    bool ReadText(std::string& text) const { return Read(text) && !text.empty(); }
    // The text up to (not including) its first CR LF, untrimmed; true when non-empty and
    // nothing of it was lost to the code page.
    bool FirstLine(std::string& line) const;
    // Empties the clipboard; the result of closing it again.
    bool Empty() const;

private:
    HWND m_owner;
};
