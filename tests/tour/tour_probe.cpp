// The tour's eyes inside Wine: a console program that answers one question per input line
// about the windows on the desktop, so that the host-side driver can find where to point
// the real mouse and see what the programs show. Every answer is a few tab-separated lines
// in UTF-8 and ends with a line holding one dot.
//
//   top                 visible top-level windows: hwnd pid l t r b class title
//   kids HWND           child windows: hwnd id visible l t r b class title (screen rects)
//   text HWND           the window's text
//   tips                visible tooltip windows: hwnd l t r b text
//   lb HWND             a list box's items: index l t r b text (screen rects; only the
//                       items inside the visible client area get a rectangle)
//   combo HWND          a combo box: "sel N" then its items
//   cursor              the cursor of the foreground input: handle flags x y
//   scroll HWND         the vertical scroll bar: ok pos min max page
//   editor              the stand-in editor's window and its status-bar text
//   at X Y              the window under a screen point: hwnd class, then its top level
//   quit
//
// Another process's windows answer only sent messages; they are sent with a timeout so a
// hung program fails the question instead of hanging the tour.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text, int len = -1) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, len, &out[0], n, nullptr, nullptr);
    if (len < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    // Keep the answer one line per record.
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

bool Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &r)) return false;
    if (result) *result = static_cast<LRESULT>(r);
    return true;
}

std::string Text(HWND hwnd) {
    LRESULT len = 0;
    if (!Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &len) || len <= 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 64, L'\0');
    LRESULT got = 0;
    if (!Send(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &got)) return std::string();
    return Utf8(buf.data());
}

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

std::string RectText(const RECT& rc) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%ld\t%ld\t%ld\t%ld", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

HWND ParseHwnd(const char* arg) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(arg, nullptr, 16)));
}

void Line(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fputc('\n', stdout);
}

BOOL CALLBACK TopProc(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    Line(Hex(hwnd) + "\t" + std::to_string(pid) + "\t" + RectText(rc) + "\t" + ClassOf(hwnd) + "\t" + Text(hwnd));
    return TRUE;
}

BOOL CALLBACK KidProc(HWND hwnd, LPARAM) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    Line(Hex(hwnd) + "\t" + std::to_string(GetDlgCtrlID(hwnd)) + "\t" + (IsWindowVisible(hwnd) ? "1" : "0") + "\t" +
         RectText(rc) + "\t" + ClassOf(hwnd) + "\t" + Text(hwnd));
    return TRUE;
}

void Tips() {
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
        if (!IsWindowVisible(tip)) continue;
        RECT rc{};
        GetWindowRect(tip, &rc);
        Line(Hex(tip) + "\t" + RectText(rc) + "\t" + Text(tip));
    }
}

std::string ItemText(HWND hwnd, UINT lenMsg, UINT textMsg, int i) {
    LRESULT len = 0;
    if (!Send(hwnd, lenMsg, i, 0, &len) || len < 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 64, L'\0');
    if (!Send(hwnd, textMsg, i, reinterpret_cast<LPARAM>(buf.data()), nullptr)) return std::string();
    return Utf8(buf.data());
}

void ListBox(HWND lb) {
    LRESULT count = 0, top = 0, height = 0;
    if (!Send(lb, LB_GETCOUNT, 0, 0, &count) || !Send(lb, LB_GETTOPINDEX, 0, 0, &top) ||
        !Send(lb, LB_GETITEMHEIGHT, 0, 0, &height))
        return;
    RECT client{};
    GetClientRect(lb, &client);
    POINT origin{0, 0};
    ClientToScreen(lb, &origin);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        // Fixed-height items: the rectangle follows from the top index, which works across
        // processes where LB_GETITEMRECT's pointer would not.
        RECT rc{client.left, static_cast<LONG>((i - top) * height), client.right,
                static_cast<LONG>((i - top + 1) * height)};
        std::string where = "-\t-\t-\t-";
        if (rc.top >= client.top && rc.bottom <= client.bottom) {
            OffsetRect(&rc, origin.x, origin.y);
            where = RectText(rc);
        }
        Line(std::to_string(i) + "\t" + where + "\t" + ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, i));
    }
}

void Combo(HWND cb) {
    LRESULT count = 0, sel = -1;
    if (!Send(cb, CB_GETCOUNT, 0, 0, &count)) return;
    Send(cb, CB_GETCURSEL, 0, 0, &sel);
    Line("sel\t" + std::to_string(static_cast<long long>(sel)));
    for (int i = 0; i < static_cast<int>(count); ++i)
        Line(std::to_string(i) + "\t" + ItemText(cb, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
}

void Cursor() {
    CURSORINFO ci{};
    ci.cbSize = sizeof ci;
    if (!GetCursorInfo(&ci)) return;
    Line(Hex(ci.hCursor) + "\t" + std::to_string(ci.flags) + "\t" + std::to_string(ci.ptScreenPos.x) + "\t" +
         std::to_string(ci.ptScreenPos.y));
}

void Scroll(HWND hwnd) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    const BOOL ok = GetScrollInfo(hwnd, SB_VERT, &si);
    Line(std::string(ok ? "1" : "0") + "\t" + std::to_string(si.nPos) + "\t" + std::to_string(si.nMin) + "\t" +
         std::to_string(si.nMax) + "\t" + std::to_string(si.nPage));
}

void Editor() {
    HWND editor = FindWindowW(L"RegEdit_RegEdit", nullptr);
    if (!editor) return;
    HWND status = FindWindowExW(editor, nullptr, STATUSCLASSNAMEW, nullptr);
    Line(Hex(editor) + "\t" + (status ? Text(status) : std::string()));
}

void At(const char* arg) {
    POINT pt{0, 0};
    if (std::sscanf(arg, "%ld %ld", &pt.x, &pt.y) != 2) return;
    HWND hwnd = WindowFromPoint(pt);
    if (!hwnd) return;
    HWND top = GetAncestor(hwnd, GA_ROOT);
    Line(Hex(hwnd) + "\t" + ClassOf(hwnd));
    Line(Hex(top) + "\t" + ClassOf(top));
}

}  // namespace

int main() {
    char line[512];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char* arg = std::strchr(line, ' ');
        if (arg) *arg++ = '\0';
        const std::string cmd = line;
        if (cmd == "quit") break;
        if (cmd == "top") {
            EnumWindows(TopProc, 0);
        } else if (cmd == "kids" && arg) {
            EnumChildWindows(ParseHwnd(arg), KidProc, 0);
        } else if (cmd == "text" && arg) {
            Line(Text(ParseHwnd(arg)));
        } else if (cmd == "tips") {
            Tips();
        } else if (cmd == "lb" && arg) {
            ListBox(ParseHwnd(arg));
        } else if (cmd == "combo" && arg) {
            Combo(ParseHwnd(arg));
        } else if (cmd == "cursor") {
            Cursor();
        } else if (cmd == "scroll" && arg) {
            Scroll(ParseHwnd(arg));
        } else if (cmd == "editor") {
            Editor();
        } else if (cmd == "at" && arg) {
            At(arg);
        } else {
            Line("?");
        }
        Line(".");
        std::fflush(stdout);
    }
    return 0;
}
