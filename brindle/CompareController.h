// Comparing two exports in the viewer: the two files opened, the comparison run on the worker's
// thread, a small progress window once it has taken half a second, and the result shown whole
// in the view when it is ready. Until then the text shown before stays, and Esc (or the
// progress window's Cancel) ends the comparison at once with nothing changed.
//
// The view owns this object and hands it its commands; the frame, which sees every key first,
// hands it Esc. The result is kept as the comparison
// made it (UTF-16): the view shows it converted to the ANSI code page, a save writes it as it is.
#pragma once
#include "Framework.h"

#include <cstdint>
#include <memory>
#include <string>

class CExportSource;
class CLinkView;

class CCompareController : private CWorkerClient {
public:
    explicit CCompareController(CLinkView& view);
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
    // The comparison shown, the other way round: the changes that undo it.
    void Swap();

    bool IsRunning() const { return m_worker.IsRunning(); }
    // Ends a running comparison; nothing of it is shown.
    void Cancel();

    // The comparison the view shows (its text changed since: Forget), for saving and swapping.
    bool Shown() const { return m_shown; }
    void Forget() { m_shown = false; }
    const std::u16string& Result() const { return m_result; }
    bool SharesNoKey() const { return m_sharesNoKey; }
    bool FromCutExport() const { return m_fromCutExport; }

private:
    void OnJobDone(std::unique_ptr<CWorkerJob> job) override;
    void OnJobTick(const CWorkerJob& job) override;
    void ShowProgress(bool show);

    CLinkView& m_view;
    std::unique_ptr<CDialog> m_progress;

    bool m_shown = false;
    std::u16string m_result;
    std::wstring m_older, m_newer;
    bool m_sharesNoKey = false;
    bool m_fromCutExport = false;
    CWorker m_worker;
};
