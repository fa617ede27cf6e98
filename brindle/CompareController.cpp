#include "CompareController.h"

#include <algorithm>

#include "ExportCompare.h"
#include "WinHandle.h"
#include "resource.h"

namespace {

// A comparison shorter than this shows no progress window: it would only flicker.
constexpr DWORD kQuietMs = 500;
constexpr int kBarSteps = 1000;

// One export file as the comparison reads it: any part of it, any number of times, on the
// comparison's thread. Shared for reading only: the same file may be named as both exports,
// and nothing may write it while it is read.
class CFileSource : public CExportSource {
public:
    bool Open(const std::wstring& path) {
        m_file = CUniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (!m_file || !::GetFileSizeEx(m_file.Get(), &size)) return false;
        m_size = static_cast<uint64_t>(size.QuadPart);
        return true;
    }
    uint64_t Size() const override { return m_size; }
    // The file pointer, not an OVERLAPPED offset: a read given an OVERLAPPED is also a completion
    // to announce, which costs Wine a round trip to its server on every read, and the keys read
    // again are read a page at a time. The handle is this source's alone, read by one thread.
    bool Read(uint64_t offset, void* buffer, size_t n, size_t& got) override {
        got = 0;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!::SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN)) return false;
        DWORD now = 0;
        if (!::ReadFile(m_file.Get(), buffer, static_cast<DWORD>(std::min<size_t>(n, 1u << 30)), &now, nullptr))
            return false;
        got = now;
        return true;
    }

private:
    CUniqueHandle m_file;
    uint64_t m_size = 0;
};

size_t DecodeAnsi(const char* src, size_t n, char16_t* dst, void*) {
    if (n == 0) return 0;
    const int wrote = ::MultiByteToWideChar(CP_ACP, 0, src, static_cast<int>(n), reinterpret_cast<wchar_t*>(dst),
                                            static_cast<int>(n));
    return wrote > 0 ? static_cast<size_t>(wrote) : 0;
}

std::u16string Wide(const std::string& ansi) {
    std::u16string out(ansi.size(), u'\0');
    out.resize(static_cast<size_t>(DecodeAnsi(ansi.data(), ansi.size(), &out[0], nullptr)));
    return out;
}

// A file's name for a message: whatever the code page cannot hold shows as its default character.
std::string Ansi(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = static_cast<int>(wide.size());
    std::string out(static_cast<size_t>(n) * 2, '\0');
    const int wrote = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &out[0], n * 2, nullptr, nullptr);
    out.resize(wrote > 0 ? static_cast<size_t>(wrote) : 0);
    return out;
}

// A path by its whole name: swapping opens the files again, after a file dialog may have
// changed the current folder.
std::wstring FullPath(const std::wstring& path) {
    std::wstring full(::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) + 1, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr));
    return full.empty() ? path : full;
}

std::u16string NoteWithFile(UINT id, const std::wstring& path) {
    return AfxFillIn(Wide(AfxLoadString(id)), std::u16string(path.begin(), path.end()));
}

// The small window of a long comparison; its Cancel (a click, Enter or Esc in it) ends the
// comparison, which takes the window away.
class CCompareProgress : public CDialog {
public:
    explicit CCompareProgress(CCompareController& owner) : CDialog(IDD_COMPARE_PROGRESS), m_owner(owner) {}

protected:
    void OnCancel() override { m_owner.Cancel(); }
    void OnOK() override { m_owner.Cancel(); }

private:
    CCompareController& m_owner;
};

// One comparison: it owns what it reads and what it writes, so a cancelled one may end on its own.
class CCompareJob : public CWorkerJob {
public:
    CCompareJob() : engine(DecodeAnsi, nullptr) {}
    void Run() override { ok = engine.Run(*older, *newer, notes, result); }
    void Cancel() override { engine.Cancel(); }
    uint64_t Done() const override { return engine.Done(); }
    uint64_t Total() const override { return engine.Total(); }

    std::unique_ptr<CExportSource> older, newer;
    CExportCompare engine;
    CompareNotes notes;
    std::u16string result;
    bool ok = false;
    std::wstring olderPath, newerPath;
};

}  // namespace

CCompareController::CCompareController(Host& host) : m_host(host), m_worker(*this, kQuietMs) {}

CCompareController::~CCompareController() { Cancel(); }

void CCompareController::Choose() {
    std::wstring paths[2];
    const UINT titles[2] = {IDS_COMPARE_OLDER_TITLE, IDS_COMPARE_NEWER_TITLE};
    const std::string filter = AfxLoadString(IDS_OPEN_FILTER);
    for (int i = 0; i < 2; ++i) {
        // Each dialog says which of the two it asks for.
        const std::string title = AfxLoadString(titles[i]);
        CFileDialog dlg(true, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter.c_str(), m_host.Owner());
        dlg.m_ofn.lpstrTitle = title.c_str();
        if (dlg.DoModal() != IDOK || dlg.GetPathName().empty()) return;
        const std::u16string path = Wide(dlg.GetPathName());
        paths[i].assign(path.begin(), path.end());
    }
    Start(paths[0], paths[1]);
}

bool CCompareController::Start(const std::wstring& older, const std::wstring& newer) {
    const std::wstring paths[2] = {FullPath(older), FullPath(newer)};
    std::unique_ptr<CFileSource> files[2];
    for (int i = 0; i < 2; ++i) {
        files[i] = std::make_unique<CFileSource>();
        if (files[i]->Open(paths[i])) continue;
        AfxReportFileError(IDS_COMPARE_OPEN_FAILED, Ansi(paths[i]), ::GetLastError());
        return false;
    }
    Start(std::move(files[0]), std::move(files[1]), paths[0], paths[1]);
    return true;
}

void CCompareController::Start(std::unique_ptr<CExportSource> older, std::unique_ptr<CExportSource> newer,
                               const std::wstring& olderPath, const std::wstring& newerPath) {
    Cancel();
    std::unique_ptr<CCompareJob> job = std::make_unique<CCompareJob>();
    job->older = std::move(older);
    job->newer = std::move(newer);
    job->olderPath = olderPath;
    job->newerPath = newerPath;
    job->notes.olderFile = NoteWithFile(IDS_COMPARE_NOTE_OLDER, olderPath);
    job->notes.newerFile = NoteWithFile(IDS_COMPARE_NOTE_NEWER, newerPath);
    job->notes.counts = Wide(AfxLoadString(IDS_COMPARE_NOTE_COUNTS));
    job->notes.same = Wide(AfxLoadString(IDS_COMPARE_NOTE_SAME));
    job->notes.noSharedKey = Wide(AfxLoadString(IDS_COMPARE_NOTE_NO_SHARED_KEY));
    job->notes.olderCut = Wide(AfxLoadString(IDS_COMPARE_NOTE_OLDER_CUT));
    job->notes.newerCut = Wide(AfxLoadString(IDS_COMPARE_NOTE_NEWER_CUT));
    job->notes.oddByte = Wide(AfxLoadString(IDS_COMPARE_CUT_ODD_BYTE));
    job->notes.zeroCharacter = Wide(AfxLoadString(IDS_COMPARE_CUT_ZERO));
    job->notes.lastLineCut = Wide(AfxLoadString(IDS_COMPARE_CUT_LAST_LINE));
    job->notes.text = Wide(AfxLoadString(IDS_COMPARE_NOTE_TEXT));
    job->notes.was = Wide(AfxLoadString(IDS_COMPARE_NOTE_WAS));
    job->notes.moreChars = Wide(AfxLoadString(IDS_COMPARE_NOTE_MORE_CHARS));
    job->notes.moreBytes = Wide(AfxLoadString(IDS_COMPARE_NOTE_MORE_BYTES));
    job->notes.branch = Wide(AfxLoadString(IDS_COMPARE_NOTE_BRANCH));
    m_worker.Start(std::move(job));
}

void CCompareController::Cancel() {
    m_worker.Cancel();
    ShowProgress(false);
}

void CCompareController::OnJobDone(std::unique_ptr<CWorkerJob> ended) {
    ShowProgress(false);
    std::unique_ptr<CCompareJob> job(static_cast<CCompareJob*>(ended.release()));
    if (!job->ok) {
        const CompareError error = job->engine.Error();
        if (error == COMPARE_CANCELLED) return;
        const UINT message = error == COMPARE_NOT_AN_EXPORT ? IDS_COMPARE_NOT_AN_EXPORT
                             : error == COMPARE_EMPTY_FILE  ? IDS_COMPARE_EMPTY_FILE
                             : error == COMPARE_NO_MEMORY   ? IDS_COMPARE_NO_MEMORY
                                                            : IDS_COMPARE_READ_FAILED;
        AfxReportFileError(message, Ansi(job->engine.ErrorInNewer() ? job->newerPath : job->olderPath), 0);
        return;
    }
    ShownComparison shown;
    shown.text = std::move(job->result);
    shown.older = job->olderPath;
    shown.newer = job->newerPath;
    shown.sharesNoKey = job->engine.SharesNoKey();
    shown.fromCutExport = job->engine.FromCutExport();
    m_host.ShowComparison(std::move(shown));
}

void CCompareController::OnJobTick(const CWorkerJob& job) {
    ShowProgress(true);
    const uint64_t total = job.Total(), done = std::min(job.Done(), total);
    if (m_progress && m_progress->m_hWnd && total > 0)
        ::SendDlgItemMessageA(m_progress->m_hWnd, IDC_COMPARE_BAR, PBM_SETPOS,
                              static_cast<WPARAM>(done * kBarSteps / total), 0);
}

void CCompareController::ShowProgress(bool show) {
    if (!show) {
        if (m_progress && m_progress->m_hWnd) m_progress->DestroyWindow();
        return;
    }
    if (!m_progress) m_progress = std::make_unique<CCompareProgress>(*this);
    if (m_progress->m_hWnd) return;
    if (m_progress->Create(m_host.Owner()))
        ::SendDlgItemMessageA(m_progress->m_hWnd, IDC_COMPARE_BAR, PBM_SETRANGE32, 0, kBarSteps);
}
