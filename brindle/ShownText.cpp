#include "ShownText.h"

#include <windows.h>

#include <memory>
#include <new>
#include <string_view>
#include <utility>

#include "ImportPreview.h"
#include "LinkDoc.h"
#include "ShellTool.h"
#include "WinHandle.h"
#include "resource.h"

namespace {

constexpr DWORD kPiece = 1 << 20;

bool WriteBytes(HANDLE file, const char* data, size_t length) {
    while (length > 0) {
        const DWORD chunk = length > kPiece ? kPiece : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        length -= written;
    }
    return true;
}

// The file's bytes as they are now, read in pieces: a file of some hundred MB is never held whole.
bool CopyFileInto(HANDLE to, const std::string& from) {
    CUniqueHandle source(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::unique_ptr<char[]> piece(new (std::nothrow) char[kPiece]);
    if (!source || !piece) return false;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(source.Get(), piece.get(), kPiece, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteBytes(to, piece.get(), got)) return false;
    }
}

std::string WholePath(const std::string& path) {
    std::string whole(::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr) + 1, '\0');
    whole.resize(::GetFullPathNameA(path.c_str(), static_cast<DWORD>(whole.size()), &whole[0], nullptr));
    return whole.empty() ? path : whole;
}

}  // namespace

void CShownText::Forget() {
    m_kind = Kind::Nothing;
    m_file.clear();
    m_comparison = ShownComparison();
}

void CShownText::SetFile(const std::string& path) {
    Forget();
    m_kind = Kind::File;
    m_file = WholePath(path);
}

void CShownText::SetPasted() {
    Forget();
    m_kind = Kind::Pasted;
}

void CShownText::SetComparison(ShownComparison comparison) {
    Forget();
    m_kind = Kind::Comparison;
    m_comparison = std::move(comparison);
}

std::string CShownText::SaveExtension() const {
    if (m_kind == Kind::Comparison) return "reg";
    if (m_kind == Kind::Pasted) return "txt";
    const size_t dot = m_file.find_last_of(".\\");
    return dot == std::string::npos || m_file[dot] != '.' ? std::string() : m_file.substr(dot + 1);
}

std::vector<unsigned> CShownText::SaveQuestions() const {
    std::vector<unsigned> questions;
    if (m_kind != Kind::Comparison) return questions;
    if (m_comparison.fromCutExport) questions.push_back(IDS_SAVE_ASK_CUT);
    if (m_comparison.sharesNoKey) questions.push_back(IDS_SAVE_ASK_NO_SHARED_KEY);
    if (m_comparison.preview && m_comparison.liveSwapped && !m_comparison.preview->unrestorable.empty())
        questions.push_back(IDS_PREVIEW_ASK_UNRESTORED);
    return questions;
}

bool CShownText::SaveTo(const std::string& path, const CLinkDoc& doc) const {
    if (m_kind == Kind::Nothing) return false;
    if (m_kind == Kind::Comparison) {
        const std::u16string& text = m_comparison.text;
        return CShellTool::SaveFileWith(path.c_str(), [&](HANDLE file) {
            return WriteBytes(file, "\xFF\xFE", 2) &&
                   WriteBytes(file, reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
        });
    }
    if (m_kind == Kind::File)
        return CShellTool::SaveFileWith(path.c_str(), [&](HANDLE file) { return CopyFileInto(file, m_file); });
    const std::string_view text = doc.Text();
    return CShellTool::SaveFileWith(path.c_str(),
                                    [&](HANDLE file) { return WriteBytes(file, text.data(), text.size()); });
}
