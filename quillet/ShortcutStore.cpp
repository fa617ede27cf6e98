#include "ShortcutStore.h"

#include <cstdio>
#include <vector>

#include "ShellTool.h"
#include "ShortcutLine.h"
#include "ShortcutMessages.h"
#include "WinApp.h"
#include "WinHandle.h"
#include "resource.h"

namespace {

// The system's words for an error code, on one line; the bare code when it has none.
std::string DescribeError(DWORD error) {
    std::string text = AfxSystemErrorText(error);
    if (text.empty()) {
        std::vector<char> formatted(AfxLoadString(IDS_SYSTEM_ERROR).size() + 16);
        snprintf(formatted.data(), formatted.size(), AfxLoadString(IDS_SYSTEM_ERROR).c_str(),
                 static_cast<unsigned long>(error));
        text = formatted.data();
    }
    return text;
}

// A string-table text with "%s" for the file's path and, in most, a second for the reason.
std::string FormatFileMessage(UINT id, const std::string& path, const std::string& reason = std::string()) {
    const std::string format = AfxLoadString(id);
    std::vector<char> text(format.size() + path.size() + reason.size() + 1);
    snprintf(text.data(), text.size(), format.c_str(), path.c_str(), reason.c_str());
    return text.data();
}

// The error to report when a whole-file read gave nothing although the file is there and not
// empty: open it again the same way to learn why; a file that opens but cannot be read to
// its end is a read fault.
DWORD ReadFailureReason(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error != 0 ? error : ERROR_READ_FAULT;
    }
    CloseHandle(file);
    return ERROR_READ_FAULT;
}

}  // namespace

CShortcutStore::~CShortcutStore() = default;

bool CShortcutStore::Load(const char* text, bool replace) {
    if (!text) return false;
    return LoadShortcutLines(*this, text, replace, m_nextId,
                             [this](const std::string& line) { return IsValidLine(line.c_str()); });
}

bool CShortcutStore::Serialize(std::string& out, bool clearAfterwards) {
    bool any = SerializeShortcutLines(*this, out);
    if (clearAfterwards) Clear();
    return any;
}

bool CShortcutStore::IsStorable(const Shortcut& shortcut) const {
    return shortcut.IsComplete() && LocationExists(shortcut.location.c_str());
}

int CShortcutStore::Add(const Shortcut& shortcut) {
    if (!IsStorable(shortcut)) return -1;
    const int32_t id = m_nextId;
    if (!Append(MakeShortcutLine(shortcut.location, shortcut.name), id)) return -1;
    ++m_nextId;
    m_modified = true;
    return id;
}

bool CShortcutStore::Remove(int id) {
    const int position = IndexOfId(id);
    if (position < 0 || !RemoveAt(position)) return false;
    m_modified = true;
    return true;
}

bool CShortcutStore::Update(int id, const Shortcut& shortcut) {
    if (!IsStorable(shortcut)) return false;
    const int position = IndexOfId(id);
    if (position < 0 || !SetTextAt(position, MakeShortcutLine(shortcut.location, shortcut.name))) return false;
    m_modified = true;
    return true;
}

bool CShortcutStore::Get(int id, Shortcut& shortcut) const {
    std::string line;
    if (!TextAt(IndexOfId(id), line)) return false;
    return SplitShortcutLine(line, shortcut);
}

bool CShortcutStore::SendAll(HWND target) const {
    if (!IsWindow(target)) return false;
    ForEach([target](const ShortcutEntry& entry) {
        Shortcut shortcut;
        if (!SplitShortcutLine(entry.text, shortcut)) return;
        SendMessageA(target, WM_SHORTCUT_ITEM, static_cast<WPARAM>(entry.id), reinterpret_cast<LPARAM>(&shortcut));
    });
    return true;
}

bool CShortcutStore::Open(int id) const {
    Shortcut shortcut;
    if (!Get(id, shortcut)) return false;
    return OpenLocationInRegEdit(shortcut.location.c_str());
}

bool CShortcutStore::IsValidLine(const char* line) const {
    Shortcut shortcut;
    if (!SplitLine(line, shortcut)) return false;
    return IsValidKeyPath(shortcut.location.c_str(), false);
}

bool CShortcutStore::SplitLine(const char* line, Shortcut& shortcut) {
    return line && SplitShortcutLine(line, shortcut);
}

std::string CShortcutStore::DefaultFilePath() {
    const std::string module = AfxGetModulePath();
    std::string path;
    if (module.empty() || !ShortcutFilePathFor(module, path)) return std::string();
    return path;
}

CShortcutStore::FileStamp CShortcutStore::StampOf(const std::string& path) {
    // Through the handle: a link named as the file tells its target's size and time.
    FileStamp stamp;
    CUniqueHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.written =
        (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

bool CShortcutStore::LoadFromFile(const std::string& path) {
    m_unreadableError = 0;
    if (path.empty()) return false;
    m_fileStamp = StampOf(path);  // before the read: a save meanwhile counts as a change
    if (!CShellTool::FileExists(path.c_str())) return false;
    CShellTool shell;
    const char* text = shell.LoadFile(path.c_str());
    if (!text) {
        // The reader gives nothing for an empty file too, and that counts as no file.
        WIN32_FILE_ATTRIBUTE_DATA info;
        const bool isEmptyFile = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) &&
                                 !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nFileSizeHigh == 0 &&
                                 info.nFileSizeLow == 0;
        if (!isEmptyFile) m_unreadableError = ReadFailureReason(path);
        return false;
    }
    const bool loaded = Load(text, true);
    if (loaded) m_modified = false;
    shell.FreeBuffer();
    return loaded;
}

ShortcutSaveReport CShortcutStore::SaveToFile(const std::string& path) {
    ShortcutSaveReport report;
    if (!m_modified || path.empty()) return report;
    std::string text;
    if (!Serialize(text, false)) {
        // An empty list is never written: the previous file stays as it was.
        Clear();
        return report;
    }
    if (m_unreadableError != 0) {
        // Writing now would replace the shortcuts that could not be read with only those of
        // this run.
        Clear();
        report.result = ShortcutSave::NotSaved;
        report.message = FormatFileMessage(IDS_SAVE_SKIPPED, path, DescribeError(m_unreadableError));
        report.boxType = MB_OK | MB_ICONEXCLAMATION;
        return report;
    }
    const FileStamp now = StampOf(path);
    if (now.exists && !(now == m_fileStamp)) {
        // Another strip on this file saved its list since this one read it (each saves its
        // own at close): replacing that list unasked would lose its changes. (A file gone
        // since holds nothing to lose.)
        report.result = ShortcutSave::Changed;
        report.message = FormatFileMessage(IDS_SAVE_CHANGED, path);
        report.boxType = MB_YESNO | MB_ICONQUESTION;
        return report;
    }
    CShellTool shell;
    SetLastError(0);
    if (!shell.SaveFile(path.c_str(), text.data(), text.size())) {
        DWORD error = GetLastError();
        report.result = ShortcutSave::Failed;
        report.message =
            FormatFileMessage(IDS_SAVE_FAILED, path, DescribeError(error != 0 ? error : ERROR_WRITE_FAULT));
        report.boxType = MB_RETRYCANCEL | MB_ICONHAND;
        return report;  // the list stays for another attempt
    }
    Clear();
    m_modified = false;
    m_fileStamp = StampOf(path);
    report.result = ShortcutSave::Saved;
    return report;
}

ShortcutSave CShortcutStore::SaveAtClose(HWND owner, const std::string& path) {
    const std::string caption = AfxLoadString(IDS_SAVE_CAPTION);
    for (;;) {
        ShortcutSaveReport report = SaveToFile(path);
        if (report.message.empty()) return report.result;
        const int answer = MessageBoxA(owner, report.message.c_str(), caption.c_str(), report.boxType);
        if (report.result == ShortcutSave::Changed && answer == IDYES) {
            m_fileStamp = StampOf(path);  // agreed: the file as it is now is written over
            continue;
        }
        if (report.result != ShortcutSave::Failed || answer != IDRETRY) {
            Clear();
            return report.result;
        }
    }
}
