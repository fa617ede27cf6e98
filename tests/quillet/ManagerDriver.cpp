#include "ManagerDriver.h"

#include <commctrl.h>

#include "WinTest.h"

namespace drive {

namespace {

struct FindCtx {
    const char* cls;
    std::string caption;  // empty: any
    HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, ctx->cls) != 0) return TRUE;
    if (!ctx->caption.empty()) {
        char text[512] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        if (ctx->caption != text) return TRUE;
    }
    ctx->found = hwnd;
    return FALSE;
}

HWND FindTopNow(const char* cls, const std::string& caption) {
    FindCtx ctx{cls, caption, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND WaitTop(const char* cls, const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    DWORD start = GetTickCount();
    while (!(found = FindTopNow(cls, caption)) && GetTickCount() - start < timeoutMs) Sleep(20);
    return found;
}

}  // namespace

Driver::Driver(std::function<void()> steps) : m_steps(std::move(steps)) {
    m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

Driver::~Driver() { Join(); }

void Driver::Join() {
    if (!m_thread) return;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI Driver::Run(void* self) {
    auto* driver = static_cast<Driver*>(self);
    driver->m_steps();
    // Cancel what is left open, innermost first, so that DoModal returns.
    for (int round = 0; round < 20; ++round) {
        HWND left = FindTopNow("#32770", std::string());
        if (!left) break;
        PostMessageA(left, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        WaitGone(left, 1000);
    }
    return 0;
}

HWND WaitDialog(const std::string& caption, DWORD timeoutMs) { return WaitTop("#32770", caption, timeoutMs); }

bool NoDialog(const std::string& caption, DWORD timeoutMs) { return !WaitDialog(caption, timeoutMs); }

bool WaitGone(HWND hwnd, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

HWND WaitMenu(DWORD timeoutMs) { return WaitTop("#32768", std::string(), timeoutMs); }

std::vector<std::string> MenuItems(HWND menuWindow) {
    std::vector<std::string> items;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}

std::vector<Shortcut> Rows(HWND list) {
    std::vector<Shortcut> rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        Shortcut s;
        for (int column = 0; column < 2; ++column) {
            char text[1024] = {};
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            (column == 0 ? s.name : s.location) = text;
        }
        rows.push_back(s);
    }
    return rows;
}

void SelectRow(HWND list, int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row < 0) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

POINT RowPoint(HWND list, int row) {
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    if (row >= 0) {
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    // Below the last row (or below the header when there are none).
    RECT client;
    GetClientRect(list, &client);
    int y = client.bottom - 10;
    if (count > 0) {
        SendMessageA(list, LVM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&rc));
        y = rc.bottom + 3 * (rc.bottom - rc.top);
    }
    return POINT{40, y};
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string FieldText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void FillEditor(HWND editor, const std::string& location, const std::string& name) {
    SetDlgItemTextA(editor, 1016, location.c_str());
    SetDlgItemTextA(editor, 1017, name.c_str());
    Press(editor, IDOK);
}

void PostKey(HWND hwnd, UINT vk) {
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}

}  // namespace drive
