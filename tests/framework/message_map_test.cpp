// Message maps: lookup through the class chain, and no exception escaping into the system;
// the file error report; a worker's job let go of off the window's thread. (The frame's menu, focus, command routing
// and Exit: the viewer's window tests, on the program's own frame.)
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace {

const UINT WM_BASE_ONLY = WM_APP + 10, WM_BOTH = WM_APP + 11, WM_NEITHER = WM_APP + 12, WM_THROW = WM_APP + 13;

class CBaseWnd : public CWnd {
protected:
    LRESULT OnBaseOnly(WPARAM wp, LPARAM) { return 100 + static_cast<LRESULT>(wp); }
    LRESULT OnBoth(WPARAM, LPARAM) { return 1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
    ON_MESSAGE(WM_BOTH, OnBoth)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
protected:
    LRESULT OnBoth(WPARAM, LPARAM) { return 2; }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_BOTH, OnBoth)
    ON_MESSAGE(WM_THROW, OnThrow)
END_MESSAGE_MAP()

TEST(MessageMapTest, LookupGoesFromTheClassToItsBasesAndSurvivesAThrowingHandler) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "map", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    const struct {
        UINT msg;
        WPARAM wp;
        LRESULT expected;
        const char* why;
    } cases[] = {
        {WM_BASE_ONLY, 5, 105, "only the base lists it"},
        {WM_BOTH, 0, 2, "both list it: the derived entry wins"},
        {WM_NEITHER, 0, 0, "nobody lists it: the default procedure answers"},
        {WM_THROW, 0, 0, "the exception stops inside the window procedure"},
        {WM_BASE_ONLY, 1, 101, "and the window still works afterwards"},
    };
    for (const auto& c : cases) EXPECT_EQ(wnd.SendMessage(c.msg, c.wp), c.expected) << c.why;

    HWND hwnd = wnd.m_hWnd;
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr) << "the binding ends with the window";
}

// Brindle reports a file it could not read this way; its tests cannot make a read fail.
TEST(AppTest, TheFileErrorReportCarriesTheAppTitle) {
    wintest::MessageBoxWatcher watcher(IDOK);
    AfxReportFileError("C:\\data\\a.reg", false, ERROR_READ_FAULT);
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, wintest::A("框架测试"));
    EXPECT_EQ(seen[0].text, wintest::A("读取文件“C:\\data\\a.reg”时发生错误。"));
}

class CNoClient : public CWorkerClient {
public:
    void OnJobDone(std::unique_ptr<CWorkerJob>) override {}
};

// Its destruction waits for `release`, then tells on which thread it ran.
class CHeldJob : public CWorkerJob {
public:
    CHeldJob(HANDLE release, std::atomic<DWORD>& endedOn) : m_release(release), m_endedOn(endedOn) {}
    ~CHeldJob() override {
        ::WaitForSingleObject(m_release, 10000);  // let go of here: LetGoOf returns 10 s late
        m_endedOn = ::GetCurrentThreadId();
    }
    void Run() override {}
    void Cancel() override {}

private:
    HANDLE m_release;
    std::atomic<DWORD>& m_endedOn;
};

// A comparison's job lets go of hundreds of megabytes: the window must not wait for that, and
// the worker's end must (what the job holds may be the worker's owner's).
TEST(WorkerTest, AJobLetGoOfEndsOnAThreadOfItsOwnAndTheWorkersEndWaitsForIt) {
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    std::atomic<DWORD> endedOn{0};
    CNoClient client;
    {
        CWorker worker(client, 0);
        worker.LetGoOf(std::make_unique<CHeldJob>(release, endedOn));  // let go of here, it waits
        EXPECT_EQ(endedOn, 0u) << "the job is still held";
        ::SetEvent(release);
    }
    EXPECT_NE(endedOn, 0u) << "the worker's end waited for the job's";
    EXPECT_NE(endedOn, ::GetCurrentThreadId());
    ::CloseHandle(release);
}

}  // namespace
