// Save As: what the view shows, to a file of the user's choice. A comparison is written as the
// registry editor writes an export (UTF-16 with its byte-order mark, CR LF) from the
// comparison's own text, so that importing it applies the changes with every character the
// code page could not show; a file that was opened as its own bytes; a pasted text as shown
// (ANSI, CR LF). Each goes to a temporary file beside the target that replaces it only once
// it is whole, so a failed save leaves the old file as it was and nothing half-written.
#include "LinkView.h"

#include <memory>
#include <new>
#include <string>
#include <string_view>

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

// The extension a save of this file proposes: its own, without the dot (none for none).
std::string ExtensionOf(const std::string& path) {
    const size_t dot = path.find_last_of(".\\");
    return dot == std::string::npos || path[dot] != '.' ? std::string() : path.substr(dot + 1);
}

}  // namespace

void CLinkView::OnFileSaveAs() {
    if (!HasSaveableText()) return;
    const bool comparison = m_compare.Shown();
    const std::string defExt = comparison ? "reg" : m_bShownPasted ? "txt" : ExtensionOf(m_shownFile);
    const std::string filter = AfxLoadString(IDS_SAVE_FILTER);
    CFileDialog dlg(false, defExt.c_str(), nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                    filter.c_str(), this);
    // The filter entry that fits what is saved: .reg first, .txt second.
    dlg.m_ofn.nFilterIndex = defExt == "txt" || defExt == "TXT" ? 2 : 1;
    if (dlg.DoModal() != IDOK) return;
    const std::string path = dlg.GetPathName();
    if (path.empty()) return;
    // A comparison with an export cut short shows what the cut took away as changes, which
    // importing it makes; one of exports that share no key deletes every key of the older one.
    // Each is asked about first.
    const bool ask[] = {comparison && m_compare.FromCutExport(), comparison && m_compare.SharesNoKey()};
    const UINT questions[] = {IDS_SAVE_ASK_CUT, IDS_SAVE_ASK_NO_SHARED_KEY};
    for (int i = 0; i < 2; ++i)
        if (ask[i] && AfxMessageBox(AfxLoadString(questions[i]), MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    bool saved;
    if (comparison) {
        const std::u16string& text = m_compare.Result();
        saved = CShellTool::SaveFileWith(path.c_str(), [&](HANDLE file) {
            return WriteBytes(file, "\xFF\xFE", 2) &&
                   WriteBytes(file, reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
        });
    } else if (m_bShownPasted) {
        const std::string_view text = m_doc.Text();
        saved = CShellTool::SaveFileWith(path.c_str(),
                                         [&](HANDLE file) { return WriteBytes(file, text.data(), text.size()); });
    } else {
        const std::string from = m_shownFile;
        saved = CShellTool::SaveFileWith(path.c_str(), [&](HANDLE file) { return CopyFileInto(file, from); });
    }
    if (saved) return;

    AfxReportFileError(IDS_SAVE_FAILED, path, ::GetLastError());
}
