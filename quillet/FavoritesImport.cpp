// The registry editor's own Favorites, read as shortcuts for the manager dialog.
#include <windows.h>

#include "RegKeyTool.h"
#include "ShortcutMessages.h"

namespace {

// A zero-filled global block, freed on every way out.
class GlobalBuffer {
public:
    explicit GlobalBuffer(SIZE_T bytes)
        : m_mem(static_cast<char*>(GlobalAlloc(GPTR, bytes))), m_size(m_mem ? bytes : 0) {}
    ~GlobalBuffer() {
        if (m_mem) GlobalFree(m_mem);
    }
    GlobalBuffer(const GlobalBuffer&) = delete;
    GlobalBuffer& operator=(const GlobalBuffer&) = delete;

    char* Get() const { return m_mem; }
    DWORD Size() const { return static_cast<DWORD>(m_size); }

private:
    char* m_mem;
    SIZE_T m_size;
};

class OpenKey {
public:
    OpenKey(HKEY root, const char* subKey) {
        if (RegOpenKeyA(root, subKey, &m_key) != ERROR_SUCCESS) m_key = nullptr;
    }
    ~OpenKey() {
        if (m_key) RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace

bool CRegKeyTool::ImportFavorites(const char* keyPath, DWORD typeMask, HWND target) const {
    if (!keyPath || !*keyPath) return false;
    KeyPathParts parts;
    parts.nWant = KP_ROOT | KP_SUBKEY;
    if (!ParseKeyPath(keyPath, false, parts) || parts.strSubKey.empty() || !parts.hRoot) return false;
    OpenKey key(parts.hRoot, parts.strSubKey.c_str());
    if (!key.Get()) return false;

    DWORD values = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS ||
        values == 0)
        return false;

    // The longest name comes back in characters, but the ANSI call writes it in code
    // page 936, where a Chinese character takes two bytes: a buffer of characters + 1
    // bytes would turn away every favourite with a Chinese name.
    GlobalBuffer name(2 * static_cast<SIZE_T>(longestName) + 1);
    GlobalBuffer data(static_cast<SIZE_T>(longestData) + 1);
    if (!name.Get() || !data.Get()) return false;

    for (DWORD index = 0; index < values; ++index) {
        name.Get()[0] = 0;
        data.Get()[0] = 0;
        DWORD nameLength = name.Size();
        DWORD dataLength = data.Size();
        DWORD type = 0;
        if (RegEnumValueA(key.Get(), index, name.Get(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.Get()), &dataLength) != ERROR_SUCCESS)
            continue;
        if ((type & typeMask) == 0) continue;
        // A string stored without its terminating zero would otherwise run on into the
        // tail of a longer value read before it.
        if (dataLength < data.Size()) data.Get()[dataLength] = 0;

        Shortcut shortcut;
        if (!KeyPathToShortcut(data.Get(), shortcut)) continue;
        shortcut.name = name.Get();
        SendMessageA(target, WM_SHORTCUT_ITEM, 0, reinterpret_cast<LPARAM>(&shortcut));
    }
    return true;
}
