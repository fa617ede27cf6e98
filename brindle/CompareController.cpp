#include "CompareController.h"

#include <algorithm>

#include "ExportCompare.h"
#include "ExportWriter.h"
#include "ImportPreview.h"
#include "LiveRegistry.h"
#include "RegistryRead.h"
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

// The head lines of a comparison with the registry, in the order of kLiveNoteIds.
enum LiveNote {
    LIVE_HEAD,  // the registry as the older or the newer side: %1 when it was read
    LIVE_USER,
    LIVE_BRANCH,
    LIVE_ABSENT,
    LIVE_DENIED,  // KeyNote's, in its order
    LIVE_GONE,
    LIVE_NO_ROOT,
    LIVE_NOT_LOADED,
    LIVE_LOOP,
    LIVE_UNSETTLED,
    LIVE_UNRESTORABLE,
    LIVE_DELETES,
    kLiveNotes
};
const UINT kLiveNoteIds[kLiveNotes] = {IDS_LIVE_NOTE_NEWER,     IDS_LIVE_NOTE_USER,         IDS_LIVE_NOTE_BRANCH,
                                       IDS_LIVE_NOTE_ABSENT,    IDS_LIVE_NOTE_DENIED,       IDS_LIVE_NOTE_GONE,
                                       IDS_LIVE_NOTE_NO_ROOT,   IDS_LIVE_NOTE_NOT_LOADED,   IDS_LIVE_NOTE_LOOP,
                                       IDS_LIVE_NOTE_UNSETTLED, IDS_LIVE_NOTE_UNRESTORABLE, IDS_LIVE_NOTE_DELETES};

std::u16string Number(uint64_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// A reading's lines of the head: when and as whom it was read, its branches, and every key and
// value it names.
std::u16string ReadingHead(const std::u16string (&notes)[kLiveNotes], const RegistryReading& reading) {
    const auto fill = [&](LiveNote note, std::initializer_list<std::u16string_view> parts) {
        return CExportWriter::Fill(notes[note], parts);
    };
    std::u16string head = fill(LIVE_HEAD, {reading.time});
    head += u'\n' + fill(LIVE_USER, {reading.user, reading.sid});
    for (const std::u16string& branch : reading.branches) head += u'\n' + fill(LIVE_BRANCH, {branch});
    for (const std::u16string& branch : reading.absent) head += u'\n' + fill(LIVE_ABSENT, {branch});
    for (const NamedKey& key : reading.named) {
        const std::u16string value = key.value.empty() ? u"@" : u"\"" + key.value + u"\"";
        head += u'\n' + fill(static_cast<LiveNote>(LIVE_DENIED + static_cast<int>(key.why)), {key.path, value});
    }
    return head;
}

// The failures of a job that reads a file against the registry.
enum LiveFailure { FAILED_NOT, FAILED_PATCH, FAILED_NO_BRANCH, FAILED_FILE, FAILED_COMPARE };

// Why a file could not be read, once its lines' reading ended.
CompareError FileError(const CExportReader& lines) {
    return lines.Stopped()      ? COMPARE_CANCELLED
           : lines.ReadFailed() ? COMPARE_READ_FAILED
           : lines.Empty()      ? COMPARE_EMPTY_FILE
                                : COMPARE_NOT_AN_EXPORT;
}

// A job that reads an export or a .reg file against the registry as it is now: what the
// comparison since an export and the import preview share.
class CFileRegistryJob : public CWorkerJob {
public:
    CFileRegistryJob() : engine(DecodeAnsi, nullptr) {}
    void Run() override {
        try {
            ok = Compare();
        } catch (const std::exception&) {  // memory ran out
            fileError = COMPARE_NO_MEMORY;
            failure = FAILED_FILE;
        }
    }
    void Cancel() override {
        stop = true;
        engine.Cancel();
    }

    std::unique_ptr<CFileSource> file;
    std::wstring path;
    bool swapped = false;
    CExportCompare engine;
    CompareNotes notes;
    std::u16string liveNotes[kLiveNotes];
    std::u16string result;
    bool ok = false;
    LiveFailure failure = FAILED_NOT;
    CompareError fileError = COMPARE_OK;
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> scanned{0};

protected:
    virtual bool Compare() = 0;
};

// A comparison of an export file with the registry as it is now: the file's branches found,
// the registry read under them (unless a reading is handed in: the swap reads nothing again),
// then the file, without the keys that could not be read, compared with that reading.
class CLiveJob : public CFileRegistryJob {
public:
    uint64_t Done() const override { return scanned + read + engine.Done(); }
    // The reading's size is not known before: it is taken to be the file's.
    uint64_t Total() const override {
        const uint64_t size = file->Size(), compared = engine.Total();
        return 2 * size + (compared ? compared : 2 * size);
    }

    std::shared_ptr<const RegistryReading> reading;
    std::u16string fileNote;
    std::atomic<uint64_t> read{0};

private:
    bool Compare() override {
        CExportReader lines(*file, DecodeAnsi, nullptr);
        lines.Watch(&scanned, &stop);
        ExportBranches branches;
        if (!lines.Open(1 << 20) || !ScanBranches(lines, DecodeAnsi, nullptr, branches)) {
            fileError = FileError(lines);
            failure = FAILED_FILE;
            return false;
        }
        if (branches.patch) {
            failure = FAILED_PATCH;
            return false;
        }
        if (!reading) {
            std::shared_ptr<RegistryReading> fresh = std::make_shared<RegistryReading>();
            CurrentUser(fresh->user, fresh->sid);
            fresh->time = TimeNow();
            const std::unique_ptr<CRegistryTree> tree = OpenLiveRegistry();
            if (!ReadBranches(*tree, branches.tops, *fresh, &read, &stop)) {
                fileError = COMPARE_CANCELLED;
                failure = FAILED_FILE;
                return false;
            }
            reading = std::move(fresh);
        }
        if (reading->branches.empty()) {
            failure = FAILED_NO_BRANCH;
            return false;
        }
        (swapped ? notes.newerFile : notes.olderFile) = fileNote;
        (swapped ? notes.olderFile : notes.newerFile) = LiveHead();

        CExportReader fileLines(*file, DecodeAnsi, nullptr);
        CLeftOutLines kept(fileLines, reading->leftOut);
        CReadingSource text(reading);
        CExportReader liveLines(text, DecodeAnsi, nullptr);
        CExportLines* fileSide = &kept;
        if (reading->leftOut.empty()) fileSide = &fileLines;  // nothing to look for
        const bool compared =
            swapped ? engine.Run(liveLines, *fileSide, notes, result) : engine.Run(*fileSide, liveLines, notes, result);
        if (!compared) {
            failure = FAILED_COMPARE;
            return false;
        }
        if (swapped) {  // the undo: how many keys importing it deletes, first thing in the head
            const size_t head = result.find(u"\r\n\r\n");
            if (head != std::u16string::npos)
                result.insert(head + 4, u"; " + Fill(LIVE_DELETES, {Number(engine.Counts().keysRemoved)}) + u"\r\n");
        }
        return true;
    }

    std::u16string Fill(LiveNote note, std::initializer_list<std::u16string_view> parts) const {
        return CExportWriter::Fill(liveNotes[note], parts);
    }

    // The registry's lines of the head: when and as whom it was read, its branches, and every
    // key and value it names.
    std::u16string LiveHead() const { return ReadingHead(liveNotes, *reading); }
};

// What importing a .reg file would change here: the file read as a patch over the registry as
// it is now (unless a preview is handed in: the swap reads nothing again), then its two
// readings compared, now to after, or swapped, after to now: the backup.
class CPreviewJob : public CFileRegistryJob {
public:
    uint64_t Done() const override { return scanned + engine.Done(); }
    // The readings' size is not known before: it is taken to be the file's.
    uint64_t Total() const override {
        const uint64_t size = file->Size(), compared = engine.Total();
        return size + (compared ? compared : 2 * size);
    }

    std::shared_ptr<const ImportPreview> preview;
    // The file's lines of the head, from the string table (`after` and `backup` with its name).
    std::u16string after, lines, twoRoots, morePairs, backup, unrestored;

private:
    bool Compare() override {
        if (!preview) {
            CExportReader fileLines(*file, DecodeAnsi, nullptr);
            fileLines.Watch(&scanned, &stop);
            std::shared_ptr<ImportPreview> fresh = std::make_shared<ImportPreview>();
            fresh->now = std::make_shared<RegistryReading>();
            CurrentUser(fresh->now->user, fresh->now->sid);
            fresh->now->time = TimeNow();
            const std::unique_ptr<CRegistryTree> tree = OpenLiveRegistry();
            if (!fileLines.Open(1 << 20) ||
                !PreviewImport(*tree, fileLines, DecodeAnsi, nullptr, fresh->now->sid, *fresh, &stop)) {
                fileError = stop ? COMPARE_CANCELLED : FileError(fileLines);
                failure = FAILED_FILE;
                return false;
            }
            preview = std::move(fresh);
        }
        const std::u16string name(path.begin(), path.end());
        std::u16string head = CExportWriter::Fill(lines, {name, Number(preview->unchanged), Number(preview->ignored)});
        size_t shown = 0;
        for (const auto& [one, other] : preview->twoRoots)
            if (++shown <= kShownPairs) head += u'\n' + CExportWriter::Fill(twoRoots, {one, other});
        if (shown > kShownPairs) head += u'\n' + CExportWriter::Fill(morePairs, {Number(shown - kShownPairs)});
        for (const std::u16string& key : preview->unrestorable) head += u'\n' + CExportWriter::Fill(unrestored, {key});
        (swapped ? notes.olderFile : notes.newerFile) = after + u'\n' + head;
        (swapped ? notes.newerFile : notes.olderFile) = ReadingHead(liveNotes, *preview->now);
        CReadingSource now(preview->now), then(preview->after);
        const bool compared = swapped ? engine.Run(then, now, notes, result) : engine.Run(now, then, notes, result);
        if (!compared) {
            failure = FAILED_COMPARE;
            return false;
        }
        if (swapped) {  // the backup: what it is for, first thing in the head
            const size_t top = result.find(u"\r\n\r\n");
            if (top != std::u16string::npos) result.insert(top + 4, u"; " + backup + u"\r\n");
        }
        return true;
    }

    static constexpr size_t kShownPairs = 20;  // of one key under two roots: the first are examples enough
};

void FillNotes(CompareNotes& notes) {
    notes.counts = Wide(AfxLoadString(IDS_COMPARE_NOTE_COUNTS));
    notes.same = Wide(AfxLoadString(IDS_COMPARE_NOTE_SAME));
    notes.noSharedKey = Wide(AfxLoadString(IDS_COMPARE_NOTE_NO_SHARED_KEY));
    notes.olderCut = Wide(AfxLoadString(IDS_COMPARE_NOTE_OLDER_CUT));
    notes.newerCut = Wide(AfxLoadString(IDS_COMPARE_NOTE_NEWER_CUT));
    notes.oddByte = Wide(AfxLoadString(IDS_COMPARE_CUT_ODD_BYTE));
    notes.zeroCharacter = Wide(AfxLoadString(IDS_COMPARE_CUT_ZERO));
    notes.lastLineCut = Wide(AfxLoadString(IDS_COMPARE_CUT_LAST_LINE));
    notes.text = Wide(AfxLoadString(IDS_COMPARE_NOTE_TEXT));
    notes.was = Wide(AfxLoadString(IDS_COMPARE_NOTE_WAS));
    notes.moreChars = Wide(AfxLoadString(IDS_COMPARE_NOTE_MORE_CHARS));
    notes.moreBytes = Wide(AfxLoadString(IDS_COMPARE_NOTE_MORE_BYTES));
    notes.branch = Wide(AfxLoadString(IDS_COMPARE_NOTE_BRANCH));
}

// The file to read against the registry, opened; a file that cannot be opened is told, naming it.
std::unique_ptr<CFileSource> OpenTold(const std::wstring& path) {
    std::unique_ptr<CFileSource> source = std::make_unique<CFileSource>();
    if (source->Open(path)) return source;
    AfxReportFileError(IDS_COMPARE_OPEN_FAILED, Ansi(path), ::GetLastError());
    return nullptr;
}

// A job that reads this file (by its whole path) against the registry, with the comparison's
// notes; null when the file cannot be opened, which is told, naming it.
template <class Job>
std::unique_ptr<Job> FileJob(const std::wstring& file, bool swapped) {
    const std::wstring path = FullPath(file);
    std::unique_ptr<CFileSource> source = OpenTold(path);
    if (!source) return nullptr;
    std::unique_ptr<Job> job = std::make_unique<Job>();
    job->file = std::move(source);
    job->path = path;
    job->swapped = swapped;
    FillNotes(job->notes);
    return job;
}

// The registry's lines of the head from the string table; `head` says which side it is.
void FillLiveNotes(std::u16string (&notes)[kLiveNotes], UINT head) {
    for (int i = 0; i < kLiveNotes; ++i) notes[i] = Wide(AfxLoadString(kLiveNoteIds[i]));
    notes[LIVE_HEAD] = Wide(AfxLoadString(head));
}

// The message of a comparison that failed (%1 the file).
UINT MessageFor(CompareError error) {
    return error == COMPARE_NOT_AN_EXPORT ? IDS_COMPARE_NOT_AN_EXPORT
           : error == COMPARE_EMPTY_FILE  ? IDS_COMPARE_EMPTY_FILE
           : error == COMPARE_NO_MEMORY   ? IDS_COMPARE_NO_MEMORY
                                          : IDS_COMPARE_READ_FAILED;
}

// A comparison with the registry, or a preview, has ended: shown, or told why not, naming the
// file. True when it was a patch handed to the comparison and the user asks for its preview.
bool LiveDone(CFileRegistryJob& job, CCompareController::Host& host, std::shared_ptr<const RegistryReading> live,
              std::shared_ptr<const ImportPreview> preview) {
    if (!job.ok) {
        const CompareError error = job.failure == FAILED_FILE ? job.fileError : job.engine.Error();
        if (error == COMPARE_CANCELLED) return false;
        if (job.failure == FAILED_PATCH) {
            const std::string text = AfxFillIn(AfxLoadString(IDS_LIVE_PATCH), Ansi(job.path));
            return AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
        }
        AfxReportFileError(job.failure == FAILED_NO_BRANCH ? IDS_LIVE_NO_BRANCH : MessageFor(error), Ansi(job.path), 0);
        return false;
    }
    ShownComparison shown;
    shown.text = std::move(job.result);
    shown.older = job.path;
    shown.live = std::move(live);
    shown.preview = std::move(preview);
    shown.liveSwapped = job.swapped;
    shown.sharesNoKey = job.engine.SharesNoKey() && !shown.preview;
    shown.fromCutExport = job.engine.FromCutExport();
    host.ShowComparison(std::move(shown));
    return false;
}

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
    job->engine.KeepIndexes();  // let go of with the job, off this thread (OnJobDone)
    job->older = std::move(older);
    job->newer = std::move(newer);
    job->olderPath = olderPath;
    job->newerPath = newerPath;
    FillNotes(job->notes);
    job->notes.olderFile = NoteWithFile(IDS_COMPARE_NOTE_OLDER, olderPath);
    job->notes.newerFile = NoteWithFile(IDS_COMPARE_NOTE_NEWER, newerPath);
    m_worker.Start(std::move(job));
}

std::wstring CCompareController::ChooseFile(UINT title) const {
    const std::string text = AfxLoadString(title), filter = AfxLoadString(IDS_OPEN_FILTER);
    CFileDialog dlg(true, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter.c_str(), m_host.Owner());
    dlg.m_ofn.lpstrTitle = text.c_str();
    if (dlg.DoModal() != IDOK || dlg.GetPathName().empty()) return std::wstring();
    const std::u16string path = Wide(dlg.GetPathName());
    return std::wstring(path.begin(), path.end());
}

void CCompareController::ChooseLive() {
    const std::wstring path = ChooseFile(IDS_LIVE_OPEN_TITLE);
    if (!path.empty()) StartLive(path, nullptr, false);
}

bool CCompareController::StartLive(const std::wstring& file, std::shared_ptr<const RegistryReading> reading,
                                   bool swapped) {
    std::unique_ptr<CLiveJob> job = FileJob<CLiveJob>(file, swapped);
    if (!job) return false;
    Cancel();
    const std::wstring& path = job->path;
    job->reading = std::move(reading);
    job->notes.same = Wide(AfxLoadString(IDS_LIVE_NOTE_SAME));
    job->fileNote = NoteWithFile(swapped ? IDS_COMPARE_NOTE_NEWER : IDS_COMPARE_NOTE_OLDER, path);
    FillLiveNotes(job->liveNotes, swapped ? IDS_LIVE_NOTE_OLDER : IDS_LIVE_NOTE_NEWER);
    m_worker.Start(std::move(job));
    return true;
}

void CCompareController::ChoosePreview() {
    const std::wstring path = ChooseFile(IDS_PREVIEW_OPEN_TITLE);
    if (!path.empty()) StartPreview(path, nullptr, false);
}

bool CCompareController::StartPreview(const std::wstring& file, std::shared_ptr<const ImportPreview> preview,
                                      bool swapped) {
    std::unique_ptr<CPreviewJob> job = FileJob<CPreviewJob>(file, swapped);
    if (!job) return false;
    Cancel();
    const std::wstring& path = job->path;
    job->preview = std::move(preview);
    // Not two exports: the registry now and as the import leaves it, which share every key
    // the file does not delete.
    job->notes.same = NoteWithFile(IDS_PREVIEW_NOTE_SAME, path);
    job->notes.noSharedKey.clear();
    FillLiveNotes(job->liveNotes, swapped ? IDS_LIVE_NOTE_NEWER : IDS_LIVE_NOTE_OLDER);
    const auto withFile = [&](UINT id) { return NoteWithFile(id, path); };
    job->after = withFile(swapped ? IDS_PREVIEW_NOTE_AFTER_OLDER : IDS_PREVIEW_NOTE_AFTER);
    job->lines = Wide(AfxLoadString(IDS_PREVIEW_NOTE_LINES));
    job->backup = withFile(IDS_PREVIEW_NOTE_BACKUP);
    job->twoRoots = Wide(AfxLoadString(IDS_PREVIEW_NOTE_TWO_ROOTS));
    job->morePairs = Wide(AfxLoadString(IDS_PREVIEW_NOTE_MORE_PAIRS));
    job->unrestored = Wide(AfxLoadString(IDS_PREVIEW_NOTE_UNRESTORED));
    m_worker.Start(std::move(job));
    return true;
}

void CCompareController::Cancel() {
    m_worker.Cancel();
    ShowProgress(false);
}

void CCompareController::OnJobDone(std::unique_ptr<CWorkerJob> ended) {
    ShowProgress(false);
    if (CLiveJob* live = dynamic_cast<CLiveJob*>(ended.get())) {
        if (LiveDone(*live, m_host, live->reading, nullptr)) StartPreview(live->path, nullptr, false);
        return;
    }
    if (CPreviewJob* preview = dynamic_cast<CPreviewJob*>(ended.get())) {
        LiveDone(*preview, m_host, nullptr, preview->preview);
        return;
    }
    std::unique_ptr<CCompareJob> job(static_cast<CCompareJob*>(ended.release()));
    job->older.reset();  // the files are closed here and now: the user may go on with them
    job->newer.reset();
    if (!job->ok) {
        const CompareError error = job->engine.Error();
        const std::wstring path = job->engine.ErrorInNewer() ? job->newerPath : job->olderPath;
        m_worker.LetGoOf(std::move(job));
        if (error != COMPARE_CANCELLED) AfxReportFileError(MessageFor(error), Ansi(path), 0);
        return;
    }
    ShownComparison shown;
    shown.text = std::move(job->result);
    shown.older = job->olderPath;
    shown.newer = job->newerPath;
    shown.sharesNoKey = job->engine.SharesNoKey();
    shown.fromCutExport = job->engine.FromCutExport();
    // The indexes, hundreds of megabytes, are given back while the result is painted.
    m_worker.LetGoOf(std::move(job));
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
