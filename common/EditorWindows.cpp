// The registry editor's windows driven from outside. List-view messages carry pointers to
// records, and the system carries what a message points to across processes only for its own
// messages, those below WM_USER (SendMessage, its remarks): so the records go into a block of
// the editor's own memory and the messages point there.
#include "EditorWindows.h"

#include <commctrl.h>

#include "WinHandle.h"

namespace {

// The time after which the system itself calls a window hung: a healthy editor answers at
// once, and lists even a key of thousands of values well within it.
constexpr UINT kAnswerLimitMs = 5000;
// The editor fills the list as the tree's selection changes; it is looked at this often until
// it shows the key, for as long as one message may take.
constexpr DWORD kListPollMs = 50;

// Where each record lies in the block: the search, the item state, then the value's name.
constexpr size_t Aligned(size_t n) { return (n + 15) & ~static_cast<size_t>(15); }
constexpr size_t kFindAt = 0;
constexpr size_t kItemAt = Aligned(sizeof(LVFINDINFOW));
constexpr size_t kNameAt = kItemAt + Aligned(sizeof(LVITEMW));

// A block of the editor's memory, given back when the object goes.
class CEditorBlock {
public:
    CEditorBlock(HWND window, size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process = CUniqueHandle(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid));
        if (m_process)
            m_at = static_cast<char*>(
                VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~CEditorBlock() {
        if (m_at) VirtualFreeEx(m_process.Get(), m_at, 0, MEM_RELEASE);
    }
    CEditorBlock(const CEditorBlock&) = delete;
    CEditorBlock& operator=(const CEditorBlock&) = delete;

    // Copies `size` bytes to `offset` in the block: the editor's address of them, or 0.
    LPARAM Put(size_t offset, const void* data, size_t size) {
        SIZE_T put = 0;
        if (!m_at || !WriteProcessMemory(m_process.Get(), m_at + offset, data, size, &put) || put != size) return 0;
        return reinterpret_cast<LPARAM>(m_at + offset);
    }

private:
    CUniqueHandle m_process;
    char* m_at = nullptr;
};

// Finds the target's row (-1: none) once the list shows the key, or, when it never shows as
// many rows as the key has values, once the wait is over; the error when the list stops
// answering.
DWORD FindRow(HWND list, const ValueListTarget& target, LPARAM find, LRESULT& row) {
    const DWORD start = GetTickCount();
    for (;;) {
        LRESULT count = 0;
        if (DWORD error = SendToEditor(list, LVM_GETITEMCOUNT, 0, 0, &count)) return error;
        const bool late = GetTickCount() - start >= kAnswerLimitMs;
        if (static_cast<size_t>(count) == target.rows || late) {
            // A named value is looked for after the first row, so that one named like the default
            // value's label is not taken for it.
            row = count > 0 ? 0 : -1;
            const DWORD error = target.name.empty() ? ERROR_SUCCESS : SendToEditor(list, LVM_FINDITEMW, 0, find, &row);
            if (error) return error;
            // Not there yet: the list may still show the key selected before, of as many values.
            if (row >= 0 || late) return ERROR_SUCCESS;
        }
        Sleep(kListPollMs);
    }
}

// SetFocus reaches a window of another thread only while this thread's input is attached to
// that thread's (SetFocus and AttachThreadInput, their remarks), and it waits until the editor
// has handled the focus messages: so it runs on a thread of its own, never the caller's, which
// waits for it only as long as for any message.
struct FocusJob {
    HWND list;
    DWORD editorThread;
};

DWORD WINAPI FocusFromOutside(void* param) {
    const FocusJob job = *static_cast<FocusJob*>(param);
    delete static_cast<FocusJob*>(param);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // attaching takes a thread with a message queue
    const DWORD self = GetCurrentThreadId();
    if (!AttachThreadInput(self, job.editorThread, TRUE)) return GetLastError();
    SetFocus(job.list);
    AttachThreadInput(self, job.editorThread, FALSE);
    return ERROR_SUCCESS;
}

DWORD FocusList(HWND list) {
    const DWORD editorThread = GetWindowThreadProcessId(list, nullptr);
    auto* job = new FocusJob{list, editorThread};
    CUniqueHandle worker(CreateThread(nullptr, 0, FocusFromOutside, job, 0, nullptr));
    if (!worker) {
        delete job;
        return GetLastError();
    }
    if (WaitForSingleObject(worker.Get(), kAnswerLimitMs) != WAIT_OBJECT_0) return ERROR_TIMEOUT;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(editorThread, &info) && info.hwndFocus == list ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace

DWORD SendToEditor(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerLimitMs, &result)) {
        if (answer) *answer = static_cast<LRESULT>(result);
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_TIMEOUT;
}

DWORD SelectInValueList(HWND list, const ValueListTarget& target) {
    CEditorBlock block(list, kNameAt + (target.name.size() + 1) * sizeof(wchar_t));
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING;  // the whole name, without regard to letter case, as the registry compares
    find.psz = reinterpret_cast<LPCWSTR>(block.Put(kNameAt, target.name.c_str(), (target.name.size() + 1) * 2));
    const LPARAM findAt = block.Put(kFindAt, &find, sizeof find);
    if (!find.psz || !findAt) return ERROR_ACCESS_DENIED;  // an editor of higher rights keeps its memory
    LRESULT row = -1;
    if (DWORD error = FindRow(list, target, findAt, row)) return error;
    if (row < 0) return ERROR_NOT_FOUND;

    // As a click on it: the row selected and focused (alone: the list was filled afresh for the
    // key), the mark a Shift+click or Shift+arrow extends a selection from, and the row in view.
    // (Wine's list view sets the mark and scrolls on its own as the row is focused; the
    // documentation of Windows's promises neither.)
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    DWORD error = SendToEditor(list, LVM_SETITEMSTATE, row, block.Put(kItemAt, &state, sizeof state));
    if (!error) error = SendToEditor(list, LVM_SETSELECTIONMARK, 0, row);
    if (!error) error = SendToEditor(list, LVM_ENSUREVISIBLE, row, FALSE);
    return error ? error : FocusList(list);
}
