// Writing the result of a comparison as the registry editor writes an export: UTF-16 text,
// CR LF, in its import syntax, so that importing it makes the changes. The comparison decides
// what changed; this says it, key block by key block, and puts the comment lines of its head
// first. No windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ExportParser.h"

struct CompareCounts;

class CExportWriter {
public:
    // The blocks go into `out`, after what it holds.
    explicit CExportWriter(std::u16string& out) : m_out(out) {}

    // "[path]": a key that is added or whose values change; the value lines follow.
    void BeginKey(std::u16string_view path);
    // A value line as the export wrote it: its name escaped as it was, a string as written, a
    // dword by its digits, hex data wrapped as the editor wraps it.
    void Value(std::u16string_view rawName, ExportDataForm form, uint32_t type, const std::vector<uint8_t>& data,
               std::u16string_view text);
    // `"name"=-` (`@=-`): the value is deleted.
    void RemovedValue(std::u16string_view rawName);
    // Ends the block begun with a blank line. A block without a value line is taken back
    // unless `keepEmpty` (a key added with no values): false then.
    bool EndKey(bool keepEmpty);
    // "[-path]": the branch is deleted.
    void DeletedKey(std::u16string_view path);

    // The head of a result: the header line, a blank line, the notes' comment lines, a blank line.
    static std::u16string Head(const std::vector<std::u16string>& notes);
    // A note with %1 to %6 filled in: keys added, removed, changed, values added, removed, changed.
    static std::u16string FillIn(std::u16string_view text, const CompareCounts& counts);

private:
    std::u16string& m_out;
    size_t m_blockStart = 0;
    size_t m_valuesStart = 0;
};
