// Quillet's list of shortcuts: ids, the modified flag, the registry checks on entries, and
// the shortcut file beside the program (start-up load, save at close). The text rules it
// follows live in ShortcutEntryList.h and ShortcutLine.h.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "RegKeyTool.h"
#include "Shortcut.h"
#include "ShortcutEntryList.h"

// What the save at close did.
enum class ShortcutSave {
    Nothing,  // not modified, no shortcut file, or an empty list: the file is left as it was
    Saved,
    NotSaved,  // the file existed but could not be read at start-up: it is not written over
    Failed,    // writing failed; the list is kept, so the save can be tried again
    Changed,   // the file changed since it was read (another strip saved it): written only
               // once the user agrees
};

struct ShortcutSaveReport {
    ShortcutSave result = ShortcutSave::Nothing;
    // For NotSaved, Failed and Changed: the text for the user, naming the file (and the reason),
    // and the message-box type to show it with (OK for NotSaved, Retry/Cancel for Failed, a
    // Yes/No question for Changed).
    std::string message;
    UINT boxType = 0;
};

class CShortcutStore : public CShortcutEntryList, public CRegKeyTool {
public:
    CShortcutStore() = default;
    ~CShortcutStore() override;

    // Lines of `text` (zero-terminated, CR LF separated) that pass IsValidLine are appended;
    // with `replace` the list is emptied and ids restart at 0 first. False, with the list
    // untouched, for a null or empty text. The modified flag is the caller's business.
    bool Load(const char* text, bool replace);
    // Every line followed by CR LF; then, if asked, the list is emptied. True when non-empty.
    bool Serialize(std::string& out, bool clearAfterwards);

    // Add and Update want both fields and a location that exists in this machine's registry: a key,
    // or a value of one (CRegKeyTool::SplitValueLocation).
    int Add(const Shortcut& shortcut);  // the new id, or -1
    bool Remove(int id);
    bool Update(int id, const Shortcut& shortcut);
    bool Get(int id, Shortcut& shortcut) const;
    // One synchronous WM_SHORTCUT_ITEM per well-formed entry, in order. False when `target`
    // is not a window.
    bool SendAll(HWND target) const;
    bool Open(int id) const;

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // Well formed, and the location a key path by syntax (the key need not exist).
    bool IsValidLine(const char* line) const;
    static bool SplitLine(const char* line, Shortcut& shortcut);

    // --- The shortcut file ---------------------------------------------------------------
    // The program's own path with the extension "ini"; empty when there is none (no
    // backslash or no "." in the file name, or a path too long to be reported whole).
    static std::string DefaultFilePath();
    // Start-up load in replace mode. True when the list was loaded (modified is then 0 and
    // the caller refills its picker); false for a missing, empty or unreadable file. An
    // unreadable file (there, not empty, yet not readable) is remembered: this run's save
    // will not write over it.
    bool LoadFromFile(const std::string& path);
    bool FileWasUnreadable() const { return m_unreadableError != 0; }
    // Save at close. Writes only when modified, with a path and a non-empty list, and the
    // file as it was read (or not there, as it was not); the list is emptied once written (or
    // found not to be writable because of the start-up failure).
    ShortcutSaveReport SaveToFile(const std::string& path);
    // SaveToFile with the user told: NotSaved is shown once; Failed asks to retry until the
    // save succeeds or the user cancels; Changed asks whether to write over the other
    // program's file. Message boxes are owned by `owner`.
    ShortcutSave SaveAtClose(HWND owner, const std::string& path);

private:
    bool IsStorable(const Shortcut& shortcut) const;  // what Add and Update take
    // What tells the file from the one read: whether it is there, its size, its last write.
    struct FileStamp {
        bool exists = false;
        ULONGLONG size = 0, written = 0;
        bool operator==(const FileStamp& o) const {
            return exists == o.exists && size == o.size && written == o.written;
        }
    };
    static FileStamp StampOf(const std::string& path);

    bool m_modified = false;
    int32_t m_nextId = 0;
    DWORD m_unreadableError = 0;  // why the file could not be read at start-up; 0 when it could
    FileStamp m_fileStamp;        // the file as this store last read or wrote it
};
