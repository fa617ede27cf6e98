// Reading the clipboard's text, and emptying the clipboard.
#pragma once
#include <string>

// Stateless: made on the stack for one command. Every operation opens the clipboard
// without an owner window and closes it again before returning, so a failure (no text,
// the clipboard held by another program) is simply a false result.
class CClipboardText {
public:
    CClipboardText() = default;
    virtual ~CClipboardText() = default;

    // The whole CF_TEXT text; true when it is non-empty.
    bool ReadText(std::string& text) const;
    // The text up to (not including) its first CR LF, untrimmed; true when non-empty.
    bool FirstLine(std::string& line) const;
    // Empties the clipboard; the result of closing it again.
    bool Empty() const;
};
