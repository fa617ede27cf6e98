// Work off the window's thread: a search through hundreds of MB, the comparison of two exports.
// The window hands a job to its worker and goes on painting; the job runs on a thread of its
// own and its end comes back on the window's thread, as a call of the worker's client.
//
//   class CSearchJob : public CWorkerJob { ... Run() searches, Cancel() sets its stop flag };
//   m_worker.Start(std::make_unique<CSearchJob>(...));   // a job still running is cancelled
//   void OnJobDone(std::unique_ptr<CWorkerJob> job) override { ...the result is yours... }
//
// - One job of a worker is current at a time; Start cancels the one before.
// - Cancel does not wait: the job is told to stop and its thread ends on its own, its result
//   thrown away, so that Esc answers at once even while a read hangs. A job that reads what
//   the window owns (the document searched) must be waited for with Wait() before that
//   changes; a job that owns all it reads (two files compared) needs no waiting.
// - The client hears of the current job only: OnJobTick every 100 ms once it has run for the
//   worker's quiet time (for a progress window), OnJobDone once when it has ended. A cancelled
//   job is never heard of again.
// - The end is told by the thread's own end, not only by its notice: a notice that could not
//   be posted (a full queue) does not leave the job running for ever.
// - No thread to be had: the job runs on the window's thread, at the cost of a pause, and its
//   end is told in the same way, from the message loop.
#pragma once
#include "Wnd.h"

#include <cstdint>
#include <memory>
#include <vector>

class CWorkerJob {
public:
    virtual ~CWorkerJob() = default;
    // On the worker's thread.
    virtual void Run() = 0;
    // From the window's thread, while Run may be running: Run should end soon.
    virtual void Cancel() = 0;
    // How far Run has come, read from the window's thread: done of total (0 of 0: not known).
    virtual uint64_t Done() const { return 0; }
    virtual uint64_t Total() const { return 0; }
};

class CWorkerClient {
public:
    // The current job has ended without being cancelled; the job, with its result, is yours.
    virtual void OnJobDone(std::unique_ptr<CWorkerJob> job) = 0;
    // The current job has run for longer than the quiet time and runs still.
    virtual void OnJobTick(const CWorkerJob& /*job*/) {}

protected:
    ~CWorkerClient() = default;
};

class CWorker {
public:
    CWorker(CWorkerClient& client, DWORD quietMs) : m_client(client), m_quietMs(quietMs) {}
    ~CWorker();  // cancels the current job and waits for every thread
    CWorker(const CWorker&) = delete;
    CWorker& operator=(const CWorker&) = delete;

    // Cancels the current job and starts this one. False when it could not be started at all
    // (no window for its notices); the job is then dropped.
    bool Start(std::unique_ptr<CWorkerJob> job);
    // Whether the current job runs; false after Cancel and once it has ended.
    bool IsRunning() const { return m_current != nullptr; }
    const CWorkerJob* Current() const { return m_current ? m_current->job.get() : nullptr; }
    // The current job is told to stop and forgotten; its thread is not waited for.
    void Cancel();
    // Waits until no thread of this worker runs any more, cancelled jobs' included (the
    // current job's end is still told from the message loop).
    void Wait();
    // A job the client is done with, destroyed on a thread of its own (here when none can be
    // had), so that what it lets go of (a comparison's indexes) does not hold up the window:
    // from OnJobDone, once its result is taken. Waited for as cancelled jobs are.
    void LetGoOf(std::unique_ptr<CWorkerJob> job);

private:
    // A window of the worker's own for the threads' notices and the ticks, so that the
    // client's window routes nothing.
    class CNotices : public CWnd {
    public:
        explicit CNotices(CWorker& worker) : m_worker(worker) {}

    protected:
        LRESULT OnJobEnded(WPARAM, LPARAM);
        LRESULT OnTimer(WPARAM, LPARAM);
        DECLARE_MESSAGE_MAP()

    private:
        CWorker& m_worker;
    };
    struct Run {
        std::unique_ptr<CWorkerJob> job;
        HANDLE thread = nullptr;  // null: it ran on the window's thread
        UINT id = 0;
        HWND notify = nullptr;
    };
    static DWORD WINAPI ThreadMain(void* run);
    static DWORD WINAPI LetGoMain(void* run);
    bool Ended(const Run& run) const;
    // Cancelled jobs whose threads have ended, let go of.
    void LetGo();
    // And the current job's end told, once its thread has ended.
    void Collect();

    CWorkerClient& m_client;
    DWORD m_quietMs;
    std::unique_ptr<Run> m_current;
    std::vector<std::unique_ptr<Run>> m_cancelled;  // until their threads end (LetGoOf's too)
    DWORD m_started = 0;
    UINT m_lastId = 0;
    CNotices m_window{*this};
};
