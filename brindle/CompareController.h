// Comparing two exports in the viewer: the two files opened, the comparison run on the worker's
// thread, a small progress window once it has taken half a second, and the result handed to
// the host (the view) whole when it is ready. Until then the text shown before stays, and Esc
// (or the progress window's Cancel) ends the comparison at once with nothing changed.
//
// The view owns this object and hands it its commands and Esc.
#pragma once
#include "Framework.h"
#include "ShownText.h"

#include <cstdint>
#include <memory>
#include <string>

class CExportSource;
struct ImportPreview;
struct RegistryReading;

class CCompareController : private CWorkerClient {
public:
    // What the comparison needs of the window that shows its result.
    class Host {
    public:
        // The comparison has ended: show it (the text it shows is the host's then).
        virtual void ShowComparison(ShownComparison&& comparison) = 0;
        // The window that owns the Open dialogs, the progress window and the messages.
        virtual CWnd* Owner() const = 0;

    protected:
        ~Host() = default;
    };

    explicit CCompareController(Host& host);
    ~CCompareController();
    CCompareController(const CCompareController&) = delete;
    CCompareController& operator=(const CCompareController&) = delete;

    // The two Open dialogs (older, then newer), then Start.
    void Choose();
    // Opens both files (shared for reading: the same file may be named twice) and starts the
    // comparison; a file that cannot be opened is told, naming it, and nothing starts. A
    // comparison still running is ended first.
    bool Start(const std::wstring& older, const std::wstring& newer);
    // Starts comparing two exports read from these sources, named by the two paths in the
    // result's head and in messages; what Start does once it has opened both files.
    void Start(std::unique_ptr<CExportSource> older, std::unique_ptr<CExportSource> newer,
               const std::wstring& olderPath, const std::wstring& newerPath);
    // One Open dialog (the older export), then StartLive.
    void ChooseLive();
    // Compares the export file (older) with the registry as it is now (newer), or, swapped, the
    // other way round: the undo. A reading handed in is used again, not read afresh. A file
    // that cannot be opened is told, naming it, and nothing starts.
    bool StartLive(const std::wstring& file, std::shared_ptr<const RegistryReading> reading, bool swapped);
    // One Open dialog (the file to import), then StartPreview.
    void ChoosePreview();
    // What importing the file would change here, read as a patch over the registry as it is
    // now, or, swapped, the backup that puts back what it changes. A preview handed in is used
    // again, not read afresh. A file that cannot be opened is told, naming it.
    bool StartPreview(const std::wstring& file, std::shared_ptr<const ImportPreview> preview, bool swapped);
    bool IsRunning() const { return m_worker.IsRunning(); }
    // Ends a running comparison; nothing of it is shown.
    void Cancel();

private:
    // One Open dialog with this title: the whole path chosen, empty for none.
    std::wstring ChooseFile(UINT title) const;
    void OnJobDone(std::unique_ptr<CWorkerJob> job) override;
    void OnJobTick(const CWorkerJob& job) override;
    void ShowProgress(bool show);

    Host& m_host;
    std::unique_ptr<CDialog> m_progress;
    CWorker m_worker;
};
