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

// As the editor writes hex data: "xx," per byte, and after a comma that brings the line to
// kWrapAt characters or more, a backslash and a new line indented by two blanks.
void AppendHex(std::u16string& out, uint32_t type, const std::vector<uint8_t>& data, size_t lineLength) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    const size_t start = out.size();
    if (type == kBinary) {
        out += u"hex:";
    } else {
        out += u"hex(";
        char16_t digits[8];
        size_t n = 0;
        do digits[n++] = kDigits[type % 16];
        while ((type /= 16) != 0);
        while (n > 0) out += digits[--n];
        out += u"):";
    }
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

void CExportWriter::DeletedKey(std::u16string_view path) {
    m_out += u"[-";
    m_out += path;
    m_out += u"]\r\n\r\n";
}

std::u16string CExportWriter::Head(const std::vector<std::u16string>& notes) {
    std::u16string head = u"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const std::u16string& note : notes) Comment(head, note);
    Crlf(head);
    return head;
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
