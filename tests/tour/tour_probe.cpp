// The tour's eyes inside Wine: answers one question per stdin line about the desktop's windows,
// in tab-separated UTF-8 lines ending with a line holding one dot. Rects are screen rects.
//   top             visible top-level windows: hwnd pid l t r b class title
//   kids HWND       child windows: hwnd id visible l t r b class title
//   text HWND       the window's text
//   tips            visible tooltips' texts
//   lb HWND         a list box's items: index l t r b text ("-" rects outside the client area)
//   combo HWND      "sel N", then the items: index text
//   cursor          the current cursor's handle
//   editor          the stand-in editor's window and its status-bar text
//   at X Y          the window under a point: hwnd class
// Messages to another process go with a timeout, so a hung program fails the question only.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.pop_back();
    for (char& c : out)  // one line per record
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &r) ? static_cast<LRESULT>(r) : -1;
}

// WM_GETTEXT and the list boxes' item texts: a length question, then a text question.
std::string Ask(HWND hwnd, UINT lenMsg, UINT textMsg, WPARAM i, bool lenThenBuf) {
    const LRESULT len = Send(hwnd, lenMsg, i);
    if (len < 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 64, L'\0');
    Send(hwnd, textMsg, lenThenBuf ? buf.size() : i, reinterpret_cast<LPARAM>(buf.data()));
    return Utf8(buf.data());
}

std::string Text(HWND hwnd) { return Ask(hwnd, WM_GETTEXTLENGTH, WM_GETTEXT, 0, true); }

std::string ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return Utf8(name);
}

std::string Hex(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buf;
}

std::string Rect(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%ld\t%ld\t%ld\t%ld", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

void Line(const std::string& s) { std::printf("%s\n", s.c_str()); }

BOOL CALLBACK TopProc(HWND hwnd, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (IsWindowVisible(hwnd))
        Line(Hex(hwnd) + "\t" + std::to_string(pid) + "\t" + Rect(hwnd) + "\t" + ClassOf(hwnd) + "\t" + Text(hwnd));
    return TRUE;
}

BOOL CALLBACK KidProc(HWND hwnd, LPARAM) {
    Line(Hex(hwnd) + "\t" + std::to_string(GetDlgCtrlID(hwnd)) + "\t" + (IsWindowVisible(hwnd) ? "1" : "0") + "\t" +
         Rect(hwnd) + "\t" + ClassOf(hwnd) + "\t" + Text(hwnd));
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
        Line(std::to_string(i) + "\t" + where + "\t" + Ask(lb, LB_GETTEXTLEN, LB_GETTEXT, i, false));
    }
}

void Combo(HWND cb) {
    const LRESULT count = Send(cb, CB_GETCOUNT);
    Line("sel\t" + std::to_string(static_cast<long long>(Send(cb, CB_GETCURSEL))));
    for (int i = 0; i < static_cast<int>(count); ++i)
        Line(std::to_string(i) + "\t" + Ask(cb, CB_GETLBTEXTLEN, CB_GETLBTEXT, i, false));
}

HWND ParseHwnd(const char* arg) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(arg, nullptr, 16)));
}

void Answer(const std::string& cmd, const char* arg) {
    if (cmd == "top") {
        EnumWindows(TopProc, 0);
    } else if (cmd == "tips") {
        for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
            if (IsWindowVisible(tip)) Line(Text(tip));
    } else if (cmd == "cursor") {
        CURSORINFO ci{};
        ci.cbSize = sizeof ci;
        if (GetCursorInfo(&ci)) Line(Hex(ci.hCursor));
    } else if (cmd == "editor") {
        if (HWND editor = FindWindowW(L"RegEdit_RegEdit", nullptr)) {
            HWND status = FindWindowExW(editor, nullptr, STATUSCLASSNAMEW, nullptr);
            Line(Hex(editor) + "\t" + (status ? Text(status) : std::string()));
        }
    } else if (!arg) {
        Line("?");
    } else if (cmd == "kids") {
        EnumChildWindows(ParseHwnd(arg), KidProc, 0);
    } else if (cmd == "text") {
        Line(Text(ParseHwnd(arg)));
    } else if (cmd == "lb") {
        ListBox(ParseHwnd(arg));
    } else if (cmd == "combo") {
        Combo(ParseHwnd(arg));
    } else if (cmd == "at") {
        POINT pt{0, 0};
        HWND hwnd = std::sscanf(arg, "%ld %ld", &pt.x, &pt.y) == 2 ? WindowFromPoint(pt) : nullptr;
        if (hwnd) Line(Hex(hwnd) + "\t" + ClassOf(hwnd));
    } else {
        Line("?");
    }
}

}  // namespace

int main() {
    char line[512];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char* arg = std::strchr(line, ' ');
        if (arg) *arg++ = '\0';
        if (std::strcmp(line, "quit") == 0) break;
        Answer(line, arg);
        Line(".");
        std::fflush(stdout);
    }
    return 0;
}
