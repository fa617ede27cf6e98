#include "ExportWriter.h"

#include <algorithm>

#include "ExportCompare.h"

namespace {

// The registry's number for binary data, written "hex:" rather than "hex(3):".
constexpr uint32_t kBinary = 3;
// The editor wraps hex data after the comma that brings a line to this many characters.
constexpr size_t kWrapAt = 77;

void Crlf(std::u16string& out) { out += u"\r\n"; }

// A comment line per line of `text`.
void Comment(std::u16string& out, std::u16string_view text) {
    for (size_t start = 0; start < text.size();) {
        const size_t stop = std::min(text.find_first_of(u"\r\n", start), text.size());
        if (stop > start) {
            out += u"; ";
            out.append(text, start, stop - start);
            Crlf(out);
        }
        start = stop + 1;
    }
}

// A note's comment lines, one per line of it, each with %1, %2... filled in by `parts`. The
// parts (data shown escaped, numbers) hold no line break: only the note's own lines make lines.
void Note(std::u16string& out, std::u16string_view note, std::initializer_list<std::u16string_view> parts) {
    for (size_t start = 0; start < note.size();) {
        const size_t stop = std::min(note.find_first_of(u"\r\n", start), note.size());
        if (stop > start) {
            out += u"; ";
            out += CExportWriter::Fill(note.substr(start, stop - start), parts);
            Crlf(out);
        }
        start = stop + 1;
    }
}

void AppendNumber(std::u16string& out, uint64_t n) {
    char16_t digits[20];
    size_t i = 0;
    do digits[i++] = static_cast<char16_t>(u'0' + n % 10);
    while ((n /= 10) != 0);
    while (i > 0) out += digits[--i];
}

void AppendName(std::u16string& out, std::u16string_view rawName) {
    if (rawName.empty()) {
        out += u'@';
        return;
    }
    out += u'"';
    out += rawName;
    out += u'"';
}

constexpr char16_t kDigits[] = u"0123456789abcdef";

// "hex:" for binary data, "hex(N):" for any other type.
void AppendHexPrefix(std::u16string& out, uint32_t type) {
    if (type == kBinary) {
        out += u"hex:";
        return;
    }
    out += u"hex(";
    char16_t digits[8];
    size_t n = 0;
    do digits[n++] = kDigits[type % 16];
    while ((type /= 16) != 0);
    while (n > 0) out += digits[--n];
    out += u"):";
}

// As the editor writes hex data: "xx," per byte, and after a comma that brings the line to
// kWrapAt characters or more, a backslash and a new line indented by two blanks.
void AppendHex(std::u16string& out, uint32_t type, const std::vector<uint8_t>& data, size_t lineLength) {
    const size_t start = out.size();
    AppendHexPrefix(out, type);
    lineLength += out.size() - start;
    for (size_t i = 0; i < data.size(); ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 15];
        if (i + 1 == data.size()) break;
        out += u',';
        if ((lineLength += 3) >= kWrapAt) {
            out += u"\\\r\n  ";
            lineLength = 2;
        }
    }
}

// The types whose data is text: hex(1), hex(2) and hex(7) data is kept as UTF-16 (ExportValue).
bool IsText(uint32_t type) { return type == 1 || type == 2 || type == 7; }

// A character that could end a line for some reader, or that shows as nothing: the C0 and C1
// controls, DEL, and the line and paragraph separators.
bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

std::u16string Number(uint64_t n) {
    std::u16string out;
    AppendNumber(out, n);
    return out;
}

// A value's data as a comment line shows it: a piece for each character or byte, kept while
// the pieces fit in kShownLength, and counted from the first that does not.
class CShown {
public:
    // One character or byte of the data.
    void Item(std::u16string_view piece) {
        if (m_left == 0 && m_text.size() + piece.size() <= kShownLength) m_text += piece;
        else ++m_left;
    }
    // Characters of text: a surrogate pair is one, a control character is escaped, and in a
    // multi-string a zero character ends a string.
    void Chars(std::u16string_view text, bool multi = false) {
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
                Item(text.substr(i++, 2));
            } else if (multi && c == 0) {
                Item(u"\", \"");
            } else if (!IsControl(c)) {
                Item(text.substr(i, 1));
            } else if (c == u'\r' || c == u'\n' || c == u'\t') {
                Item(c == u'\r' ? u"<CR>" : c == u'\n' ? u"<LF>" : u"<TAB>");
            } else {
                char16_t code[] = u"<U+0000>";
                for (int digit = 0; digit < 4; ++digit)
                    code[3 + digit] = u"0123456789ABCDEF"[(c >> (12 - 4 * digit)) & 15];
                Item(code);
            }
        }
    }
    // Text data in quotes, the strings of a multi-string each in their own, its final zeros
    // (one, or a multi-string's two) left out. An odd last byte is no character.
    void Text(const std::vector<uint8_t>& data, bool multi) {
        std::u16string text(data.size() / 2, u'\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
        for (int ends = multi ? 2 : 1; ends > 0 && !text.empty() && text.back() == 0; --ends) text.pop_back();
        if (multi && text.empty()) return;  // no strings at all
        Mark(u"\"");
        Chars(text, multi);
        Mark(u"\"");
    }
    // What shows the data without being part of it: only while nothing is left out.
    void Mark(std::u16string_view piece) {
        if (m_left == 0) m_text += piece;
    }
    // The data shown, and after it `more` with %1 filled in when something was left out.
    std::u16string Done(std::u16string_view more) {
        return m_left ? m_text + CExportWriter::Fill(more, {Number(m_left)}) : m_text;
    }

private:
    std::u16string m_text;
    uint64_t m_left = 0;
};

}  // namespace

void CExportWriter::BeginKey(std::u16string_view path) {
    m_blockStart = m_out.size();
    m_out += u'[';
    m_out += path;
    m_out += u"]\r\n";
    m_valuesStart = m_out.size();
}

void CExportWriter::Value(std::u16string_view rawName, ExportDataForm form, uint32_t type,
                          const std::vector<uint8_t>& data, std::u16string_view text) {
    const size_t line = m_out.size();
    AppendName(m_out, rawName);
    m_out += u'=';
    if (form == ExportDataForm::String) m_out += text;
    else if (form == ExportDataForm::Dword) (m_out += u"dword:") += text;
    else AppendHex(m_out, type, data, m_out.size() - line);
    Crlf(m_out);
    if (form != ExportDataForm::Hex || !IsText(type) || m_notes.text.empty()) return;
    CShown shown;
    shown.Text(data, type == 7);
    Note(m_out, m_notes.text, {shown.Done(m_notes.moreChars)});
}

void CExportWriter::OlderValue(ExportDataForm form, uint32_t type, const std::vector<uint8_t>& data,
                               std::u16string_view text) {
    if (m_notes.was.empty()) return;
    CShown shown;
    const bool bytes = form == ExportDataForm::Hex && !IsText(type);
    if (form == ExportDataForm::Dword) shown.Mark(u"dword:");
    if (form != ExportDataForm::Hex) {
        shown.Chars(text);
    } else {
        std::u16string prefix;
        AppendHexPrefix(prefix, type);
        if (bytes) {
            shown.Mark(prefix);
            for (size_t i = 0; i < data.size(); ++i) {
                const char16_t digits[3] = {u',', kDigits[data[i] >> 4], kDigits[data[i] & 15]};
                shown.Item(std::u16string_view(digits + (i == 0), i == 0 ? 2 : 3));
            }
        } else {
            prefix.back() = u' ';  // "hex(2) " before the text in quotes
            shown.Mark(prefix);
            shown.Text(data, type == 7);
        }
    }
    Note(m_out, m_notes.was, {shown.Done(bytes ? m_notes.moreBytes : m_notes.moreChars)});
}

void CExportWriter::RemovedValue(std::u16string_view rawName) {
    AppendName(m_out, rawName);
    m_out += u"=-";
    Crlf(m_out);
}

bool CExportWriter::EndKey(bool keepEmpty) {
    if (m_out.size() == m_valuesStart && !keepEmpty) {
        m_out.resize(m_blockStart);
        return false;
    }
    Crlf(m_out);
    return true;
}

void CExportWriter::DeletedKey(std::u16string_view path, uint64_t keys, uint64_t values) {
    m_out += u"[-";
    m_out += path;
    m_out += u"]\r\n";
    Note(m_out, m_notes.branch, {Number(keys), Number(values)});
    Crlf(m_out);
}

std::u16string CExportWriter::Head(const std::vector<std::u16string>& notes) {
    std::u16string head = u"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const std::u16string& note : notes) Comment(head, note);
    Crlf(head);
    return head;
}

std::u16string CExportWriter::Fill(std::u16string_view text, std::initializer_list<std::u16string_view> parts) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t part =
            i + 1 < text.size() && text[i] == u'%' ? static_cast<size_t>(text[i + 1] - u'1') : parts.size();
        if (part < parts.size()) {
            out += parts.begin()[part];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::u16string CExportWriter::FillIn(std::u16string_view text, const CompareCounts& c) {
    const uint64_t numbers[] = {c.keysAdded,   c.keysRemoved,   c.keysChanged,
                                c.valuesAdded, c.valuesRemoved, c.valuesChanged};
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'6')
            AppendNumber(out, numbers[text[++i] - u'1']);
        else out += text[i];
    }
    return out;
}
