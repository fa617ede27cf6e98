#include "Worker.h"

namespace {

// Posted by a job's thread to the worker's window when Run has returned: wParam is its number.
constexpr UINT kJobEnded = WM_APP;
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTickMs = 100;

}  // namespace

BEGIN_MESSAGE_MAP(CWorker::CNotices, CWnd)
    ON_MESSAGE(kJobEnded, OnJobEnded)
    ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

CWorker::~CWorker() {
    Cancel();
    Wait();
}

bool CWorker::Start(std::unique_ptr<CWorkerJob> job) {
    Cancel();
    if (!m_window.m_hWnd && !m_window.CreateEx(0, AfxRegisterWndClass(0), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr))
        return false;
    m_current = std::make_unique<Run>();
    m_current->job = std::move(job);
    m_current->id = ++m_lastId;
    m_current->notify = m_window.m_hWnd;
    m_started = ::GetTickCount();
    m_current->thread = ::CreateThread(nullptr, 0, ThreadMain, m_current.get(), 0, nullptr);
    if (!m_current->thread) {  // no thread to be had: here, at the cost of a pause
        m_current->job->Run();
        m_window.PostMessage(kJobEnded, m_current->id);
    }
    // Also after a run here: should the notice be lost, the tick collects the job all the same.
    ::SetTimer(m_window.m_hWnd, kTimer, kTickMs, nullptr);
    return true;
}

DWORD WINAPI CWorker::ThreadMain(void* param) {
    const Run& run = *static_cast<Run*>(param);
    run.job->Run();
    ::PostMessageA(run.notify, kJobEnded, run.id, 0);
    return 0;
}

DWORD WINAPI CWorker::LetGoMain(void* param) {
    static_cast<Run*>(param)->job.reset();
    return 0;
}

void CWorker::LetGoOf(std::unique_ptr<CWorkerJob> job) {
    LetGo();
    auto run = std::make_unique<Run>();
    run->job = std::move(job);
    run->thread = ::CreateThread(nullptr, 0, LetGoMain, run.get(), 0, nullptr);
    if (!run->thread) return;  // the job goes here, with run
    m_cancelled.push_back(std::move(run));
    if (m_window.m_hWnd) ::SetTimer(m_window.m_hWnd, kTimer, kTickMs, nullptr);  // the tick lets go of the thread
}

bool CWorker::Ended(const Run& run) const {
    return !run.thread || ::WaitForSingleObject(run.thread, 0) == WAIT_OBJECT_0;
}

void CWorker::Cancel() {
    if (!m_current) return;
    m_current->job->Cancel();
    m_cancelled.push_back(std::move(m_current));
    LetGo();
}

void CWorker::Wait() {
    for (const std::unique_ptr<Run>& run : m_cancelled)
        if (run->thread) ::WaitForSingleObject(run->thread, INFINITE);
    if (m_current && m_current->thread) ::WaitForSingleObject(m_current->thread, INFINITE);
    // The current job's end is told from the message loop, as always.
    LetGo();
}

void CWorker::LetGo() {
    for (auto run = m_cancelled.begin(); run != m_cancelled.end();) {
        if (!Ended(**run)) {
            ++run;
            continue;
        }
        if ((*run)->thread) ::CloseHandle((*run)->thread);
        run = m_cancelled.erase(run);
    }
}

void CWorker::Collect() {
    LetGo();
    std::unique_ptr<Run> ended;
    if (m_current && Ended(*m_current)) ended.swap(m_current);
    if (!m_current && m_cancelled.empty() && m_window.m_hWnd) ::KillTimer(m_window.m_hWnd, kTimer);
    if (!ended) return;
    if (ended->thread) ::CloseHandle(ended->thread);
    // Last: the client may start the next job from here.
    m_client.OnJobDone(std::move(ended->job));
}

LRESULT CWorker::CNotices::OnJobEnded(WPARAM id, LPARAM) {
    // The notice comes as Run returns, a moment before its thread ends: that moment is waited
    // for here, not the next tick, which may be a tenth of a second away.
    const Run* run = m_worker.m_current.get();
    if (run && run->id == id && run->thread) ::WaitForSingleObject(run->thread, kTickMs);
    m_worker.Collect();
    return 0;
}

LRESULT CWorker::CNotices::OnTimer(WPARAM, LPARAM) {
    m_worker.Collect();  // a job whose notice never came too
    if (m_worker.m_current && ::GetTickCount() - m_worker.m_started >= m_worker.m_quietMs)
        m_worker.m_client.OnJobTick(*m_worker.m_current->job);
    return 0;
}
