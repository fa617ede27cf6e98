// The registry editor's Favorites, imported as shortcuts, against the live registry and
// delivered to a hidden window of the test's own.
#include <gtest/gtest.h>

#include <algorithm>

#include "RegKeyTool.h"
#include "WinTest.h"

using wintest::A;

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

const char kFavoritesSub[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";
const std::string kFavoritesPath = std::string("HKEY_CURRENT_USER\\") + kFavoritesSub;

// Records every shortcut message (WM_USER + 0x334) as "name = location" in UTF-8.
LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* items = reinterpret_cast<std::vector<std::string>*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg != WM_USER + 0x334 || !items || !lp) return DefWindowProcA(hwnd, msg, wp, lp);
    auto* s = reinterpret_cast<const Shortcut*>(lp);
    items->push_back(wintest::U(s->name) + " = " + wintest::U(s->location));
    return 0;
}

// Imports `times` times into one window; the rows sorted (values come in the registry's order).
std::vector<std::string> Import(DWORD mask, const std::string& path = kFavoritesPath, bool* ok = nullptr,
                                int times = 1) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SinkProc;
    wc.lpszClassName = "QbFavoritesSink";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    HWND sink = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<std::string> items;
    SetWindowLongPtrA(sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&items));
    for (int i = 0; i < times; ++i) {
        bool done = CRegKeyTool().ImportFavorites(path.c_str(), mask, sink);
        if (ok) *ok = done;
    }
    DestroyWindow(sink);
    std::sort(items.begin(), items.end());
    return items;
}

// The Favorites key for one test: created empty, deleted at the end.
struct FavoritesKey {
    FavoritesKey() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
        RegCreateKeyA(HKEY_CURRENT_USER, kFavoritesSub, &key);
    }
    ~FavoritesKey() {
        RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
    }
    void Set(const char* name, DWORD type, const char* data) {  // UTF-8, stored as ANSI
        std::string d = A(data);
        RegSetValueExA(key, A(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(d.c_str()),
                       static_cast<DWORD>(d.size() + 1));
    }
    HKEY key = nullptr;
};

}  // namespace

// The computer node goes; the location keeps the data's own wording from the root on; the
// type mask chooses the values; the default value arrives with its empty name (the manager
// refuses it). A Chinese name takes two bytes a character: the longest must not be lost.
TEST(ImportFavorites, TakesValuesOfTheMaskedTypesWithAKeyPathUnderTheirOwnNames) {
    FavoritesKey key;
    ASSERT_TRUE(key.key);
    key.Set("注册表编辑器的收藏夹", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    key.Set("Console", REG_SZ, "My Computer\\HKEY_CURRENT_USER\\Console");
    key.Set("Short root", REG_SZ, "计算机\\HKCU\\Software\\Wine");
    key.Set("Root only", REG_SZ, "计算机\\HKEY_CURRENT_USER");
    key.Set("No root", REG_SZ, "计算机\\Software\\Microsoft");
    key.Set("Expandable", REG_EXPAND_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SYSTEM");
    DWORD number = 4;
    RegSetValueExA(key.key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    key.Set("", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Software");

    bool ok = false;
    EXPECT_EQ(Import(REG_SZ, kFavoritesPath, &ok),
              (std::vector<std::string>{" = HKEY_CURRENT_USER\\Software", "Console = HKEY_CURRENT_USER\\Console",
                                        "Short root = HKCU\\Software\\Wine",
                                        "注册表编辑器的收藏夹 = HKEY_LOCAL_MACHINE\\SOFTWARE"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(Import(REG_EXPAND_SZ), (std::vector<std::string>{"Expandable = HKEY_LOCAL_MACHINE\\SYSTEM"}));
    // Importing twice delivers everything twice.
    EXPECT_EQ(Import(REG_EXPAND_SZ, kFavoritesPath, nullptr, 2),
              std::vector<std::string>(2, "Expandable = HKEY_LOCAL_MACHINE\\SYSTEM"));
}

// A key without values, a path that is not a key path, no key at all.
TEST(ImportFavorites, FailsQuietlyWithoutAnythingToRead) {
    FavoritesKey key;
    for (const std::string& path : {kFavoritesPath, std::string("Favorites"), std::string()}) {
        if (path.empty()) RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
        bool ok = true;
        EXPECT_TRUE(Import(REG_SZ, path.empty() ? kFavoritesPath : path, &ok).empty()) << path;
        EXPECT_FALSE(ok) << path;
    }
}
