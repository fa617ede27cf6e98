// The registry editor's Favorites, imported as shortcuts, against the live registry.
#include <gtest/gtest.h>

#include <algorithm>

#include "RegKeyTool.h"
#include "ShortcutSink.h"
#include "WinTest.h"

using wintest::A;

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

const char kFavoritesSub[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";
const std::string kFavoritesPath = std::string("HKEY_CURRENT_USER\\") + kFavoritesSub;

// The Favorites key for one test: created empty, deleted at the end.
class FavoritesKey {
public:
    FavoritesKey() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
        RegCreateKeyA(HKEY_CURRENT_USER, kFavoritesSub, &m_key);
    }
    ~FavoritesKey() {
        RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
    }
    // UTF-8 name and data, stored as ANSI.
    void Set(const char* name, DWORD type, const char* data) {
        std::string d = A(data);
        RegSetValueExA(m_key, A(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(d.c_str()),
                       static_cast<DWORD>(d.size() + 1));
    }
    HKEY m_key = nullptr;
};

std::vector<std::string> Import(DWORD mask, const std::string& path = kFavoritesPath, bool* ok = nullptr) {
    ShortcutSink sink;
    bool done = CRegKeyTool().ImportFavorites(path.c_str(), mask, sink.Handle());
    if (ok) *ok = done;
    std::sort(sink.items.begin(), sink.items.end());  // values come in the registry's order
    return sink.items;
}

}  // namespace

// The computer node goes; the location keeps the data's own wording from the root on; the
// type mask chooses the values; the default value arrives with its empty name (the manager
// refuses it). A Chinese name takes two bytes a character: the longest must not be lost.
TEST(ImportFavorites, TakesValuesOfTheMaskedTypesWithAKeyPathUnderTheirOwnNames) {
    FavoritesKey key;
    ASSERT_TRUE(key.m_key);
    key.Set("注册表编辑器的收藏夹", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    key.Set("Console", REG_SZ, "My Computer\\HKEY_CURRENT_USER\\Console");
    key.Set("Short root", REG_SZ, "计算机\\HKCU\\Software\\Wine");
    key.Set("Root only", REG_SZ, "计算机\\HKEY_CURRENT_USER");
    key.Set("No root", REG_SZ, "计算机\\Software\\Microsoft");
    key.Set("Expandable", REG_EXPAND_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SYSTEM");
    DWORD number = 4;
    RegSetValueExA(key.m_key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    key.Set("", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Software");

    bool ok = false;
    EXPECT_EQ(Import(REG_SZ, kFavoritesPath, &ok),
              (std::vector<std::string>{"0:  = HKEY_CURRENT_USER\\Software", "0: Console = HKEY_CURRENT_USER\\Console",
                                        "0: Short root = HKCU\\Software\\Wine",
                                        "0: 注册表编辑器的收藏夹 = HKEY_LOCAL_MACHINE\\SOFTWARE"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(Import(REG_EXPAND_SZ), (std::vector<std::string>{"0: Expandable = HKEY_LOCAL_MACHINE\\SYSTEM"}));
}

TEST(ImportFavorites, ImportingTwiceDeliversEverythingTwice) {
    FavoritesKey key;
    key.Set("A", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Console");
    ShortcutSink sink;
    CRegKeyTool tool;
    ASSERT_TRUE(tool.ImportFavorites(kFavoritesPath.c_str(), REG_SZ, sink.Handle()));
    ASSERT_TRUE(tool.ImportFavorites(kFavoritesPath.c_str(), REG_SZ, sink.Handle()));
    EXPECT_EQ(sink.items, std::vector<std::string>(2, "0: A = HKEY_CURRENT_USER\\Console"));
}

TEST(ImportFavorites, FailsQuietlyWithoutAnythingToRead) {
    const struct {
        const char* what;
        std::string path;
        bool createKey;
    } cases[] = {
        {"no Favorites key", kFavoritesPath, false},
        {"a key without values", kFavoritesPath, true},
        {"a root alone", "HKEY_CURRENT_USER", true},
        {"not a key path", "Favorites", true},
        {"a root that is not one", "HKEY_NOWHERE\\Software", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FavoritesKey key;
        if (!c.createKey) RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
        bool ok = true;
        EXPECT_TRUE(Import(REG_SZ, c.path, &ok).empty());
        EXPECT_FALSE(ok);
    }
}
