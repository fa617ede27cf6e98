// Reading a .reg or .txt file into the viewer's document: the name test, the existence test,
// then the file read in pieces and decoded (ANSI, or UTF-16 with its byte-order mark).
#pragma once

#include <cstddef>
#include <string>

class CLinkDoc;
class CLinkRectList;

enum class LoadResult {
    NotLoaded,  // refused or failed; the document is unchanged if the name or existence test
                // refused the path, else empty
    Loaded,     // the document holds the file's lines: show them
    ReadError,  // the file opened but reading it failed: the document is empty, and the
                // framework's general error report is due
};

// The name and existence tests alone: false when loading the path would change nothing.
bool PassesLoadTests(const char* path);
// Every step of loading except showing the result, which is the view's. Shows no message.
LoadResult LoadTextFileInto(const char* path, CLinkDoc& doc, CLinkRectList& links);
// The same for a path that has passed the tests already (the view tests before it empties
// anything): they are not run twice.
LoadResult LoadTestedFileInto(const char* path, CLinkDoc& doc, CLinkRectList& links);
// A UTF-16 text (a comparison's) into the emptied document, converted for the screen as a
// UTF-16 file is: lines that lose characters to the code page are no links. SetText's result.
bool LoadWideTextInto(const std::u16string& text, CLinkDoc& doc);

// A code page (CP_ACP for files) and the most bytes one of its characters takes, from
// GetCPInfo: 2 in code page 936, 4 when the ANSI code page is UTF-8 (which holds every
// character, and whose conversion takes neither flags nor a default character).
struct CodePageConversion {
    unsigned codePage;
    size_t maxBytes;
    bool utf8;
    static CodePageConversion For(unsigned codePage);
};
// The system's conversion of a run of UTF-16 units without best fit, as the decoder wants it:
// context points to a CodePageConversion, dst has room for its maxBytes * n bytes.
size_t WideRunToCodePage(const char16_t* src, size_t n, char* dst, void* context, bool* lost);
