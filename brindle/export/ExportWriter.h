// Writing the result of a comparison as the registry editor writes an export: UTF-16 text,
// CR LF, in its import syntax, so that importing it makes the changes. The comparison decides
// what changed; this says it, key block by key block, and puts the comment lines of its head
// first. No windows.h.
//
// Comment lines say what the syntax does not, in the caller's words (CompareNotes): under a
// hex(1), hex(2) or hex(7) line the text it holds, under a changed or deleted value its older
// data, under `[-KEY]` how much the branch held. Data goes into a comment on one line and at
// most kShownLength characters long (the same whatever the window's width), then how much
// more there was: a string as written, a dword by its digits, text data as its text in quotes
// (the strings of a multi-string each in their own, `"a", "b"`), other hex data unwrapped.
// A control character of the data is written as <CR>, <LF>, <TAB> or <U+001B>: no value can
// break a comment line and start one that import would read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ExportParser.h"

struct CompareCounts;
struct CompareNotes;

// The longest a value's data is shown in a comment line, in characters.
constexpr size_t kShownLength = 200;

class CExportWriter {
public:
    // The blocks go into `out`, after what it holds; comment lines in the words of `notes`.
    CExportWriter(std::u16string& out, const CompareNotes& notes) : m_out(out), m_notes(notes) {}

    // "[path]": a key that is added or whose values change; the value lines follow.
    void BeginKey(std::u16string_view path);
    // A value line as the export wrote it: its name escaped as it was, a string as written, a
    // dword by its digits, hex data wrapped as the editor wraps it; under text data, its text.
    void Value(std::u16string_view rawName, ExportDataForm form, uint32_t type, const std::vector<uint8_t>& data,
               std::u16string_view text);
    // Under the line of a value changed or deleted: what it was.
    void OlderValue(ExportDataForm form, uint32_t type, const std::vector<uint8_t>& data, std::u16string_view text);
    // `"name"=-` (`@=-`): the value is deleted.
    void RemovedValue(std::u16string_view rawName);
    // Ends the block begun with a blank line. A block without a value line is taken back
    // unless `keepEmpty` (a key added with no values): false then.
    bool EndKey(bool keepEmpty);
    // "[-path]": the branch is deleted, with the keys (its own among them) and values it held.
    void DeletedKey(std::u16string_view path, uint64_t keys, uint64_t values);

    // The head of a result: the header line, a blank line, the notes' comment lines, a blank line.
    static std::u16string Head(const std::vector<std::u16string>& notes);
    // A note with %1 to %6 filled in: keys added, removed, changed, values added, removed, changed.
    static std::u16string FillIn(std::u16string_view text, const CompareCounts& counts);
    // A note with %1, %2... filled in by these texts, which are not read for % again.
    static std::u16string Fill(std::u16string_view text, std::initializer_list<std::u16string_view> parts);

private:
    std::u16string& m_out;
    const CompareNotes& m_notes;
    size_t m_blockStart = 0;
    size_t m_valuesStart = 0;
};
