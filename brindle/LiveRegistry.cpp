#include "LiveRegistry.h"

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <vector>

namespace {

// Reading only, and the 64-bit view whatever the build.
constexpr REGSAM kRead = KEY_READ | KEY_WOW64_64KEY;
constexpr DWORD kLongestValueName = 16384;

TreeStatus StatusOf(LSTATUS error) {
    switch (error) {
    case ERROR_SUCCESS: return TreeStatus::Ok;
    case ERROR_NO_MORE_ITEMS: return TreeStatus::End;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_KEY_DELETED: return TreeStatus::Gone;
    default: return TreeStatus::Denied;
    }
}

const wchar_t* Wide(std::u16string_view text, std::wstring& room) {
    room.assign(text.begin(), text.end());
    return room.c_str();
}

struct OpenKey {
    HKEY key;
    std::vector<wchar_t> name;
    std::vector<BYTE> data;
};

class CLiveRegistry : public CRegistryTree {
public:
    TreeStatus Open(Key parent, std::u16string_view path, Key& key) override {
        HKEY opened = nullptr;
        LSTATUS error;
        if (parent == 0) {
            static const struct {
                const char16_t* name;
                HKEY root;
            } kRoots[] = {{u"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                          {u"HKEY_USERS", HKEY_USERS},
                          {u"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                          {u"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
            if (path == u"HKEY_CURRENT_USER") {
                // The hive of the user this process runs as, not one opened before.
                error = ::RegOpenCurrentUser(kRead, &opened);
            } else {
                error = ERROR_FILE_NOT_FOUND;
                for (const auto& root : kRoots)
                    if (path == root.name) error = ::RegOpenKeyExW(root.root, nullptr, 0, kRead, &opened);
            }
            if (error != ERROR_SUCCESS) return TreeStatus::NoRoot;
        } else {
            std::wstring name;
            error = ::RegOpenKeyExW(Handle(parent), Wide(path, name), 0, kRead, &opened);
            if (error != ERROR_SUCCESS) return StatusOf(error);
        }
        key = reinterpret_cast<Key>(new OpenKey{opened, {}, {}});
        return TreeStatus::Ok;
    }

    void Close(Key key) override {
        OpenKey* open = reinterpret_cast<OpenKey*>(key);
        ::RegCloseKey(open->key);
        delete open;
    }

    TreeStatus Info(Key key, Stamp& stamp) override {
        DWORD subkeys = 0, values = 0, longestData = 0;
        FILETIME written{};
        const LSTATUS error = ::RegQueryInfoKeyW(Handle(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                 &values, nullptr, &longestData, nullptr, &written);
        if (error != ERROR_SUCCESS) return StatusOf(error);
        stamp.subkeys = subkeys;
        stamp.values = values;
        stamp.written = static_cast<uint64_t>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
        OpenKey* open = reinterpret_cast<OpenKey*>(key);
        if (open->data.size() < longestData) open->data.resize(longestData);
        return TreeStatus::Ok;
    }

    TreeStatus Subkey(Key key, uint32_t index, std::u16string& name) override {
        wchar_t buffer[256];
        DWORD length = 256;
        const LSTATUS error = ::RegEnumKeyExW(Handle(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (error != ERROR_SUCCESS) return StatusOf(error);
        name.assign(buffer, buffer + length);
        return TreeStatus::Ok;
    }

    TreeStatus Value(Key key, uint32_t index, std::u16string& name, uint32_t& type,
                     std::vector<uint8_t>& data) override {
        OpenKey* open = reinterpret_cast<OpenKey*>(key);
        if (open->name.size() < kLongestValueName) open->name.resize(kLongestValueName);
        if (open->data.empty()) open->data.resize(256);
        // The data may grow between two calls: ask again with the size it has then.
        for (;;) {
            DWORD nameLength = kLongestValueName, dataLength = static_cast<DWORD>(open->data.size()), got = 0;
            const LSTATUS error = ::RegEnumValueW(open->key, index, open->name.data(), &nameLength, nullptr, &got,
                                                  open->data.data(), &dataLength);
            if (error == ERROR_MORE_DATA) {
                open->data.resize(std::max<size_t>(dataLength, open->data.size() * 2));
                continue;
            }
            if (error != ERROR_SUCCESS) return StatusOf(error);
            name.assign(open->name.data(), open->name.data() + nameLength);
            type = got;
            data.assign(open->data.data(), open->data.data() + dataLength);
            return TreeStatus::Ok;
        }
    }

private:
    static HKEY Handle(Key key) { return reinterpret_cast<OpenKey*>(key)->key; }
};

}  // namespace

std::unique_ptr<CRegistryTree> OpenLiveRegistry() { return std::make_unique<CLiveRegistry>(); }

void CurrentUser(std::u16string& name, std::u16string& sid) {
    wchar_t user[256 + 1];
    DWORD length = 257;
    name.clear();
    if (::GetUserNameW(user, &length) && length > 0) name.assign(user, user + length - 1);
    sid.clear();
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size ? size : 1);
    wchar_t* text = nullptr;
    if (size && ::GetTokenInformation(token, TokenUser, info.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &text)) {
        for (const wchar_t* p = text; *p; ++p) sid += static_cast<char16_t>(*p);
        ::LocalFree(text);
    }
    ::CloseHandle(token);
}

std::u16string TimeNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}
