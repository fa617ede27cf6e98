// The view's texts coming in: Open, Paste, a file dropped on the window, the file named on the
// command line, and a comparison of two exports. Every one of them ends in ReplaceText.
#include "LinkView.h"

#include <shellapi.h>

#include <new>
#include <string>
#include <string_view>

#include "ClipboardText.h"
#include "LinkText.h"
#include "TextFile.h"
#include "resource.h"

namespace {

// DragQueryFileA's index that asks for the number of files dropped.
constexpr UINT kDroppedFileCount = 0xFFFFFFFF;

}  // namespace

bool CLinkView::ReplaceText(const std::function<bool(CLinkDoc& doc)>& fill) {
    m_find.ReleaseText();  // a search reads the document that is about to change
    // The text asked for last wins: a comparison still running would replace this one.
    m_compare.Cancel();
    m_compare.Forget();
    m_shownFile.clear();
    m_bShownPasted = false;
    m_links.Clear();
    m_doc.Clear();
    // A text too large to be had (to copy, to convert) is a failed load like any other.
    bool filled = false;
    try {
        filled = fill(m_doc);
    } catch (const std::bad_alloc&) { m_doc.Clear(); }
    // The new text, or the emptied view rather than the old picture until the next repaint;
    // no match of the old text is left pointing into the document.
    ShowNewText();
    return filled;
}

bool CLinkView::LoadTextFile(const char* path) {
    // Refused by the name or existence test: the text, its match and any search stay.
    if (!PassesLoadTests(path)) return false;
    bool readError = false;
    DWORD error = 0;
    const bool loaded = ReplaceText([&](CLinkDoc& doc) {
        const LoadResult result = LoadTextFileInto(path, doc, m_links);
        if (result == LoadResult::ReadError) {
            readError = true;
            error = ::GetLastError();
        }
        return result == LoadResult::Loaded;
    });
    // Told over the emptied view, not over the old picture.
    if (readError) AfxReportFileError(path, false, error);
    // Saved later by its whole name: a file dialog may change the current folder meanwhile.
    if (loaded) {
        m_shownFile.assign(::GetFullPathNameA(path, 0, nullptr, nullptr) + 1, '\0');
        m_shownFile.resize(::GetFullPathNameA(path, static_cast<DWORD>(m_shownFile.size()), &m_shownFile[0], nullptr));
        if (m_shownFile.empty()) m_shownFile = path;
    }
    return loaded;
}

bool CLinkView::PasteText() {
    if (!CClipboardText::IsAvailable()) return false;
    // A clipboard that could not be read leaves the view empty; an empty text is a paste.
    const bool pasted = ReplaceText([this](CLinkDoc& doc) {
        std::string text;
        return CClipboardText(m_hWnd).Read(text) && (doc.SetText(text) || text.empty());
    });
    m_bShownPasted = pasted;
    return pasted;
}

bool CLinkView::LoadCommandLine() {
    // A first argument /compare names no file today: it cannot change what worked before.
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const bool compare =
        arguments && count >= 2 && ::CompareStringOrdinal(arguments[1], -1, L"/compare", -1, TRUE) == CSTR_EQUAL;
    bool started = false;
    if (compare && count >= 4) started = m_compare.Start(arguments[2], arguments[3]);
    else if (compare) AfxMessageBox(AfxLoadString(IDS_COMPARE_USAGE), MB_OK | MB_ICONEXCLAMATION);
    if (arguments) ::LocalFree(arguments);
    if (compare) return started;

    const char* commandLine = ::GetCommandLineA();
    if (!commandLine || !*commandLine) return false;
    std::string_view argument;
    if (!CommandLineArgument(commandLine, argument)) return false;
    const std::string path(argument);
    return LoadTextFile(path.c_str());
}

LRESULT CLinkView::OnDropFiles(WPARAM wParam, LPARAM) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    if (!drop) return Default();
    if (::DragQueryFileA(drop, kDroppedFileCount, nullptr, 0) >= 1) {
        const UINT length = ::DragQueryFileA(drop, 0, nullptr, 0);
        std::string name(length + 1, '\0');
        ::DragQueryFileA(drop, 0, &name[0], length + 1);
        LoadTextFile(name.c_str());
    }
    ::DragFinish(drop);
    return 0;
}

void CLinkView::OnFileOpen() {
    const std::string filter = AfxLoadString(IDS_OPEN_FILTER);
    // No flags of our own: the read-only box shows, and a name that does not exist gets
    // past the dialog (LoadTextFile then refuses it quietly). The Explorer style is only
    // the dialog's look, the one every current program shows.
    CFileDialog dlg(true, nullptr, nullptr, OFN_EXPLORER, filter.c_str(), this);
    if (dlg.DoModal() != IDOK) return;
    const std::string path = dlg.GetPathName();
    if (!path.empty()) LoadTextFile(path.c_str());
}

void CLinkView::OnEditPaste() { PasteText(); }
void CLinkView::OnFileCompare() { m_compare.Choose(); }
void CLinkView::OnFileSwapCompare() { m_compare.Swap(); }
