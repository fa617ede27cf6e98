// The tour's eyes inside Wine: answers one question per stdin line about the desktop's windows,
// in tab-separated UTF-8 lines ending with a line holding one dot. Rects are screen rects.
//   top             visible top-level windows: hwnd l t r b class title
//   kids HWND       child windows: hwnd id visible l t r b
//   text HWND       the window's text
//   tips            visible tooltips' texts
//   lb HWND         a list box's items: index l t r b text ("-" rects outside the client area)
//   combo HWND      "sel N", then the items: index text
//   cursor          the current cursor's handle
//   editor          the stand-in editor: hwnd l t r b, its status-bar text
//   at X Y          the window under a point
// Messages to another process go with a timeout, so a hung program fails the question only.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &r) ? static_cast<LRESULT>(r) : -1;
}

// A window's text (lenMsg WM_GETTEXTLENGTH) or a list box's item i (LB_GETTEXTLEN), as one UTF-8 field.
std::string Text(HWND hwnd, UINT lenMsg = WM_GETTEXTLENGTH, UINT textMsg = WM_GETTEXT, WPARAM i = 0) {
    const LRESULT len = Send(hwnd, lenMsg, i);
    if (len < 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 64, L'\0');
    Send(hwnd, textMsg, textMsg == WM_GETTEXT ? buf.size() : i, reinterpret_cast<LPARAM>(buf.data()));
    char out[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, buf.data(), -1, out, sizeof out - 1, nullptr, nullptr);
    for (char* c = out; *c; ++c)
        if (*c == '\t' || *c == '\r' || *c == '\n') *c = ' ';
    return out;
}

std::string Where(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%llx\t%ld\t%ld\t%ld\t%ld",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)), rc.left, rc.top, rc.right,
                  rc.bottom);
    return buf;
}

BOOL CALLBACK TopProc(HWND hwnd, LPARAM) {
    char cls[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);  // the classes asked for are ASCII
    if (IsWindowVisible(hwnd)) std::printf("%s\t%s\t%s\n", Where(hwnd).c_str(), cls, Text(hwnd).c_str());
    return TRUE;
}

BOOL CALLBACK KidProc(HWND hwnd, LPARAM) {
    const std::string w = Where(hwnd);
    const size_t tab = w.find('\t');
    std::printf("%s\t%d\t%d%s\n", w.substr(0, tab).c_str(), GetDlgCtrlID(hwnd), IsWindowVisible(hwnd) ? 1 : 0,
                w.substr(tab).c_str());
    return TRUE;
}

void ListBox(HWND lb) {
    const LRESULT count = Send(lb, LB_GETCOUNT), top = Send(lb, LB_GETTOPINDEX), height = Send(lb, LB_GETITEMHEIGHT);
    RECT client{};
    GetClientRect(lb, &client);
    POINT origin{0, 0};
    ClientToScreen(lb, &origin);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        // Fixed-height items: computed from the top index, as LB_GETITEMRECT's pointer
        // would not cross processes.
        const LONG t = static_cast<LONG>((i - top) * height), b = t + static_cast<LONG>(height);
        char where[80] = "-\t-\t-\t-";
        if (t >= client.top && b <= client.bottom)
            std::snprintf(where, sizeof where, "%ld\t%ld\t%ld\t%ld", origin.x + client.left, origin.y + t,
                          origin.x + client.right, origin.y + b);
        std::printf("%d\t%s\t%s\n", i, where, Text(lb, LB_GETTEXTLEN, LB_GETTEXT, i).c_str());
    }
}

}  // namespace

int main() {
    char line[512];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char* arg = std::strchr(line, ' ');
        if (arg) *arg++ = '\0';
        const std::string cmd = line;
        HWND hwnd = arg ? reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(arg, nullptr, 16))) : nullptr;
        POINT pt{0, 0};
        if (cmd == "top") {
            EnumWindows(TopProc, 0);
        } else if (cmd == "tips") {
            for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
                if (IsWindowVisible(tip)) std::printf("%s\n", Text(tip).c_str());
        } else if (cmd == "cursor") {
            CURSORINFO ci{};
            ci.cbSize = sizeof ci;
            if (GetCursorInfo(&ci))
                std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ci.hCursor)));
        } else if (cmd == "editor") {
            if (HWND editor = FindWindowW(L"RegEdit_RegEdit", nullptr)) {
                HWND status = FindWindowExW(editor, nullptr, STATUSCLASSNAMEW, nullptr);
                std::printf("%s\t%s\n", Where(editor).c_str(), status ? Text(status).c_str() : "");
            }
        } else if (cmd == "kids" && hwnd) {
            EnumChildWindows(hwnd, KidProc, 0);
        } else if (cmd == "text" && hwnd) {
            std::printf("%s\n", Text(hwnd).c_str());
        } else if (cmd == "lb" && hwnd) {
            ListBox(hwnd);
        } else if (cmd == "combo" && hwnd) {
            std::printf("sel\t%d\n", static_cast<int>(Send(hwnd, CB_GETCURSEL)));
            for (int i = 0, n = static_cast<int>(Send(hwnd, CB_GETCOUNT)); i < n; ++i)
                std::printf("%d\t%s\n", i, Text(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, i).c_str());
        } else if (cmd == "at" && arg && std::sscanf(arg, "%ld %ld", &pt.x, &pt.y) == 2) {
            if (HWND under = WindowFromPoint(pt)) std::printf("%s\n", Where(under).c_str());
        }
        std::printf(".\n");
        std::fflush(stdout);
    }
    return 0;
}
