// Files and programs for both programs: existence, Explorer, starting programs, and whole-file
// reads and writes for the shortcut file.
#include "ShellTool.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "Mbcs.h"
#include "WinHandle.h"

namespace {

// The temporary file's name for `target`: in the same folder, and no more characters than
// the target's own name (at most 8), so a path the system takes for the target is never
// too long for the temporary file. `seed` varies the name from attempt to attempt.
std::string TemporaryPathFor(const std::string& target, unsigned long seed) {
    const size_t slash = mbcs::FindLastChar(target, '\\');
    const size_t nameStart = slash == mbcs::npos ? 0 : slash + 1;
    size_t length = 0;
    for (size_t i = nameStart; i < target.size() && length < 8; i += mbcs::CharLength(target, i)) ++length;
    char digits[16];
    snprintf(digits, sizeof digits, "%08lx", seed & 0xFFFFFFFFul);
    // "~" and the last hexadecimal digits of the seed; a one-character name is one digit.
    std::string name = length > 1 ? "~" : "";
    name += digits + 8 - (length > 1 ? length - 1 : 1);
    return target.substr(0, nameStart) + name;
}

// The file a path ends at: a link's target (written there, the link stays a link), or the
// path itself when it names nothing yet or cannot be followed.
std::string FinalPathOf(const std::string& path) {
    CUniqueHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    const DWORD needed = file ? GetFinalPathNameByHandleA(file.Get(), nullptr, 0, FILE_NAME_NORMALIZED) : 0;
    if (needed == 0) return path;
    // (The size asked for counts the terminating zero on Windows, not under Wine.)
    std::string final(needed + 1, '\0');
    const DWORD length = GetFinalPathNameByHandleA(file.Get(), &final[0], needed + 1, FILE_NAME_NORMALIZED);
    if (length == 0 || length > needed) return path;
    final.resize(length);
    // "\\?\C:\..." or "\\?\UNC\server\...", back in the usual form.
    if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + final.substr(8);
    return final.compare(0, 4, "\\\\?\\") == 0 ? final.substr(4) : final;
}

// What a saved file keeps of the old one's attributes (read-only files are not written).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Puts the new file `temp` in the place of the existing `target`. The system's replace keeps
// the old file's permissions, which a move would lose. The old file leaves under a backup
// name of ours, so that whatever fails, every file is under a name known here: without one,
// Wine leaves an empty file of its own behind and Windows may leave the old file gone
// (ReplaceFile, its return values).
bool ReplaceWith(const std::string& target, const std::string& temp, unsigned long seed) {
    std::string backup;
    for (unsigned long attempt = 0; attempt < 100 && backup.empty(); ++attempt) {
        backup = TemporaryPathFor(target, seed + attempt * 40503ul);
        if (!lstrcmpiA(backup.c_str(), target.c_str()) || GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES)
            backup.clear();
    }
    if (backup.empty()) {
        SetLastError(ERROR_FILE_EXISTS);
        return false;
    }
    const bool ok = ReplaceFileA(target.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                 nullptr) != FALSE;
    const DWORD error = GetLastError();
    // Stopped half-way, with the old file under the backup name: it goes back.
    if (!ok && error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileExA(backup.c_str(), target.c_str(), 0);
    DeleteFileA(backup.c_str());  // the old content, once replaced
    SetLastError(error);
    return ok;
}

// Writes the whole block to `file`; WriteFile may write less than asked for.
bool WriteAll(HANDLE file, const char* data, size_t length) {
    while (length > 0) {
        DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        length -= written;
    }
    return true;
}

}  // namespace

CShellTool::~CShellTool() { FreeBuffer(); }

bool CShellTool::FileExists(const char* path) {
    if (!path || !*path) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool CShellTool::SelectInExplorer(const char* path) {
    if (!path || !*path) return false;
    std::string copy(path);  // the caller's text may change while Explorer starts
    if (!FileExists(copy.c_str())) return false;
    std::string params = "/select,\"" + copy + "\"";
    HINSTANCE result = ShellExecuteA(nullptr, "open", "Explorer.exe", params.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

HANDLE CShellTool::RunProgram(const char* file, int showCmd) {
    HANDLE process = nullptr;
    return file && *file && Start(file, showCmd, process) ? process : nullptr;
}

bool CShellTool::Start(const char* file, int showCmd, HANDLE& process) {
    process = nullptr;
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = "open";
    sei.lpFile = file;
    sei.nShow = showCmd;
    if (!ShellExecuteExA(&sei)) return false;
    process = sei.hProcess;
    return true;
}

char* CShellTool::LoadFile(const char* path) {
    FreeBuffer();
    if (!FileExists(path)) return nullptr;
    // Shared every way: a sync tool or an editor that holds the file open must not make it
    // unreadable (the list would then not be saved either).
    CUniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0) return nullptr;
    // One read of at most 4 GB - 2 bytes, plus the terminating zero.
    if (size.QuadPart >= 0xFFFFFFFFLL) return nullptr;
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    HGLOBAL block = GlobalAlloc(GMEM_ZEROINIT, static_cast<SIZE_T>(length) + 1);
    if (!block) return nullptr;
    DWORD read = 0;
    // A file that cannot be read whole (an I/O error, or cut short meanwhile) gives no block.
    if (!ReadFile(file.Get(), block, length, &read, nullptr) || read != length) {
        GlobalFree(block);
        return nullptr;
    }
    m_block = block;
    return static_cast<char*>(m_block);
}

void CShellTool::FreeBuffer() {
    if (m_block) GlobalFree(m_block);
    m_block = nullptr;
}

bool CShellTool::SaveFile(const char* path, const void* data, size_t length) {
    // Every refusal sets the system's error code, so the caller's message names the reason.
    if (!path || !*path || !data || length == 0) {  // never truncate to nothing
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return SaveFileWith(path, [&](HANDLE file) { return WriteAll(file, static_cast<const char*>(data), length); });
}

bool CShellTool::SaveFileWith(const char* path, const std::function<bool(HANDLE file)>& write) {
    if (!path || !*path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }

    // The new content goes to a temporary file beside the old one, which is replaced only
    // once everything is on disk: a full disk or a failing write leaves the old file intact.
    const std::string target = FinalPathOf(path);
    // Writing over a read-only file or a folder fails, as opening it for writing would; a
    // replacing move on its own would not refuse a read-only file everywhere.
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    std::string temp;
    CUniqueHandle file;
    const unsigned long seed = GetCurrentProcessId() * 2654435761ul + GetTickCount();
    for (unsigned long attempt = 0; attempt < 100 && !file; ++attempt) {
        temp = TemporaryPathFor(target, seed + attempt * 40503ul);
        if (lstrcmpiA(temp.c_str(), target.c_str()) == 0) continue;
        file = CUniqueHandle(
            CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    if (!file) return false;

    SetLastError(0);
    bool ok = write(file.Get()) && FlushFileBuffers(file.Get());
    file.Close();
    if (ok && attributes != INVALID_FILE_ATTRIBUTES) {
        // The old file's own attributes (hidden, system...) go to the new one: Wine's replace
        // does not carry them over. Archive is set, for the content is new.
        SetFileAttributesA(temp.c_str(), (attributes & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE);
        ok = ReplaceWith(target, temp, seed);
    } else if (ok) {  // the very first save: nothing to replace
        ok = MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!ok) {
        const DWORD error = GetLastError();
        DeleteFileA(temp.c_str());
        SetLastError(error != 0 ? error : ERROR_WRITE_FAULT);
    }
    return ok;
}
