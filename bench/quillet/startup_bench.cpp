// Start-up of Quillet to a filled picker: a shortcut file of 10,000 lines against an empty
// one, measured in the same run. Loading and filling must stay linear in the list's length,
// so the large file may cost at most 1.5 times the start-up with the empty one.
//
//   startup_bench.exe [path\to\Quillet.exe] [lines] [rounds]
//
// Each start runs a copy of the program in a folder of its own beside its own Quillet.ini;
// the time is taken from CreateProcess until the strip is visible and its picker holds
// every shortcut of the file. The strip is then closed with its close command (nothing
// changed, so nothing is written).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"

namespace {

constexpr double kGoal = 1.5;

// A valid shortcut line per index: a key path of a few levels under HKCU and a name that
// mixes ASCII and double-byte (code page 936) characters, as real lists do.
std::string ShortcutLine(int index) {
    char location[160];
    snprintf(location, sizeof location, "HKEY_CURRENT_USER\\Software\\Bench\\Group%03d\\Key%05d\\Leaf", index / 100,
             index);
    std::string name = "Shortcut ";
    // Two double-byte characters from the GB2312 hanzi rows (lead 0xB0-0xD7, trail 0xA1-0xFE).
    for (int k = 0; k < 2; ++k) {
        name.push_back(static_cast<char>(0xB0 + (index / 94 + k) % 40));
        name.push_back(static_cast<char>(0xA1 + (index + 7 * k) % 94));
    }
    name += " " + std::to_string(index);
    return std::string(location) + '\x03' + name;
}

std::string GenerateShortcutFile(int lines) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 80);
    for (int i = 0; i < lines; ++i) {
        text += ShortcutLine(i);
        text += "\r\n";
    }
    return text;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                written == bytes.size());
    CloseHandle(file);
    return ok;
}

struct StripSearch {
    DWORD pid;
    HWND strip;
};

BOOL CALLBACK FindStrip(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<StripSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_PICKER)) {
        search->strip = hwnd;
        return FALSE;
    }
    return TRUE;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start: seconds until the picker is filled, or a negative value on failure.
double TimeStart(const std::string& program, const std::string& folder, int expectedItems) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + program + "\"";
    const double start = Now();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi)) {
        fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return -1;
    }
    double elapsed = -1;
    HWND strip = nullptr;
    while (Now() - start < 60) {
        if (!strip) {
            StripSearch search{pi.dwProcessId, nullptr};
            EnumWindows(FindStrip, reinterpret_cast<LPARAM>(&search));
            strip = search.strip;
            if (strip && getenv("QB_BENCH_TRACE"))
                fprintf(stderr, "  strip shown after %.1f ms\n", (Now() - start) * 1000);
        }
        if (strip) {
            LRESULT count = SendMessageA(GetDlgItem(strip, IDC_PICKER), CB_GETCOUNT, 0, 0);
            if (count == expectedItems) {
                elapsed = Now() - start;
                break;
            }
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (strip) PostMessageA(strip, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (elapsed < 0) fprintf(stderr, "the picker never held %d items\n", expectedItems);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string DefaultProgram() {
    // The bench sits in <build>\bench\quillet\, the program in <build>\quillet\.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    for (int up = 0; up < 3; ++up) path = path.substr(0, path.find_last_of('\\'));
    return path + "\\quillet\\Quillet.exe";
}

// A folder of its own with a copy of the program and the given shortcut file.
bool PrepareFolder(const std::string& program, const std::string& folder, const std::string& ini) {
    CreateDirectoryA(folder.c_str(), nullptr);
    return CopyFileA(program.c_str(), (folder + "Quillet.exe").c_str(), FALSE) && WriteAll(folder + "Quillet.ini", ini);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : DefaultProgram();
    const int lines = argc > 2 ? atoi(argv[2]) : 10000;
    const int rounds = argc > 3 ? atoi(argv[3]) : 7;
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "no program at %s\n", program.c_str());
        return 2;
    }

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "quillet-bench\\";
    CreateDirectoryA(base.c_str(), nullptr);
    const std::string emptyFolder = base + "empty\\";
    const std::string largeFolder = base + "large\\";
    if (!PrepareFolder(program, emptyFolder, "") || !PrepareFolder(program, largeFolder, GenerateShortcutFile(lines))) {
        fprintf(stderr, "cannot prepare %s\n", base.c_str());
        return 2;
    }

    // One start of each to warm the file cache and the loader, not counted.
    TimeStart(emptyFolder + "Quillet.exe", emptyFolder, 0);
    TimeStart(largeFolder + "Quillet.exe", largeFolder, lines);

    std::vector<double> empty, large;
    for (int r = 0; r < rounds; ++r) {
        double e = TimeStart(emptyFolder + "Quillet.exe", emptyFolder, 0);
        double l = TimeStart(largeFolder + "Quillet.exe", largeFolder, lines);
        if (e < 0 || l < 0) return 1;
        empty.push_back(e);
        large.push_back(l);
        printf("round %d: empty %.1f ms, %d lines %.1f ms\n", r + 1, e * 1000, lines, l * 1000);
    }
    const double baseline = Median(empty);
    const double measured = Median(large);
    const double ratio = measured / baseline;
    printf("start-up to a filled picker (median of %d)\n", rounds);
    printf("  empty shortcut file (baseline) %8.1f ms\n", baseline * 1000);
    printf("  %d-line shortcut file       %8.1f ms\n", lines, measured * 1000);
    printf("  ratio %.2f, goal <= %.2f: %s\n", ratio, kGoal, ratio <= kGoal ? "met" : "NOT met");
    return 0;
}
