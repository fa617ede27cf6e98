// The registry editor's Favorites, imported as shortcuts, against the live registry.
#include <gtest/gtest.h>

#include "RegKeyTool.h"
#include "ShortcutSink.h"
#include "WinTest.h"

using wintest::A;

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

const char kFavoritesSub[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";
const char kFavoritesPath[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";

// The Favorites key for one test: created empty, deleted at the end.
class FavoritesKey {
public:
    FavoritesKey() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
        RegCreateKeyA(HKEY_CURRENT_USER, kFavoritesSub, &m_key);
    }
    ~FavoritesKey() {
        if (m_key) RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
    }
    FavoritesKey(const FavoritesKey&) = delete;
    FavoritesKey& operator=(const FavoritesKey&) = delete;

    bool Ok() const { return m_key != nullptr; }
    // utf8 name and data, stored as ANSI.
    void Set(const char* name, DWORD type, const char* data) {
        std::string n = A(name), d = A(data);
        RegSetValueExA(m_key, n.c_str(), 0, type, reinterpret_cast<const BYTE*>(d.c_str()),
                       static_cast<DWORD>(d.size() + 1));
    }
    void SetDword(const char* name, DWORD value) {
        RegSetValueExA(m_key, A(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }

private:
    HKEY m_key = nullptr;
};

std::vector<Shortcut> Rows(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    std::vector<Shortcut> rows;
    for (const auto& p : pairs) rows.push_back(Shortcut{A(p.first), A(p.second)});
    return rows;
}

// The registry editor's usual favourites, and the kinds the import must pass over.
void WriteMixedFavorites(FavoritesKey& key) {
    key.Set("软件", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    key.Set("Console", REG_SZ, "My Computer\\HKEY_CURRENT_USER\\Console");
    key.Set("Short root", REG_SZ, "计算机\\HKCU\\Software\\Wine");
    key.Set("Root only", REG_SZ, "计算机\\HKEY_CURRENT_USER");
    key.Set("No root", REG_SZ, "计算机\\Software\\Microsoft");
    key.Set("Expandable", REG_EXPAND_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SYSTEM");
    key.SetDword("Number", 4);
    key.Set("", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Software");
}

TEST(ImportFavorites, TakesTextValuesWithAKeyPathUnderTheirOwnNames) {
    FavoritesKey key;
    ASSERT_TRUE(key.Ok());
    WriteMixedFavorites(key);

    ShortcutSink sink;
    EXPECT_TRUE(CRegKeyTool().ImportFavorites(kFavoritesPath, REG_SZ, sink.Handle()));
    // The computer node goes; the location keeps the data's own wording from the root on;
    // the default value arrives with its empty name (the manager refuses it).
    EXPECT_EQ(Describe(Rows({{"软件", "HKEY_LOCAL_MACHINE\\SOFTWARE"},
                             {"Console", "HKEY_CURRENT_USER\\Console"},
                             {"Short root", "HKCU\\Software\\Wine"},
                             {"", "HKEY_CURRENT_USER\\Software"}}),
                       true),
              Describe(sink.Items(), true));
}

TEST(ImportFavorites, TheMaskChoosesTheValueTypes) {
    FavoritesKey key;
    ASSERT_TRUE(key.Ok());
    WriteMixedFavorites(key);
    ShortcutSink sink;
    EXPECT_TRUE(CRegKeyTool().ImportFavorites(kFavoritesPath, REG_EXPAND_SZ, sink.Handle()));
    EXPECT_EQ(Describe(Rows({{"Expandable", "HKEY_LOCAL_MACHINE\\SYSTEM"}}), true),
              Describe(sink.Items(), true));
}

TEST(ImportFavorites, ImportingTwiceDeliversEverythingTwice) {
    FavoritesKey key;
    ASSERT_TRUE(key.Ok());
    key.Set("A", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Console");
    key.Set("B", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    ShortcutSink sink;
    CRegKeyTool tool;
    ASSERT_TRUE(tool.ImportFavorites(kFavoritesPath, REG_SZ, sink.Handle()));
    std::vector<Shortcut> once = sink.Items();
    ASSERT_EQ(2u, once.size());
    ASSERT_TRUE(tool.ImportFavorites(kFavoritesPath, REG_SZ, sink.Handle()));
    std::vector<Shortcut> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(Describe(twice, false), Describe(sink.Items(), false));
}

// Chinese names take two bytes a character in the ANSI call, so the longest name in
// characters needs twice as many bytes; the favourite must not be lost for that.
TEST(ImportFavorites, KeepsTheLongestNameWhenItIsChinese) {
    FavoritesKey key;
    ASSERT_TRUE(key.Ok());
    key.Set("注册表编辑器的收藏夹", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Console");
    key.Set("ab", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    ShortcutSink sink;
    EXPECT_TRUE(CRegKeyTool().ImportFavorites(kFavoritesPath, REG_SZ, sink.Handle()));
    EXPECT_EQ(Describe(Rows({{"注册表编辑器的收藏夹", "HKEY_CURRENT_USER\\Console"},
                             {"ab", "HKEY_LOCAL_MACHINE\\SOFTWARE"}}),
                       true),
              Describe(sink.Items(), true));
}

struct FailureCase {
    const char* what;
    const char* path;
    bool createKey;
};

TEST(ImportFavorites, FailsQuietlyWithoutAnythingToRead) {
    const FailureCase cases[] = {
        {"no Favorites key", kFavoritesPath, false},
        {"a key without values", kFavoritesPath, true},
        {"empty path", "", true},
        {"a root alone", "HKEY_CURRENT_USER", true},
        {"not a key path", "Favorites", true},
        {"a root that is not one", "HKEY_NOWHERE\\Software", true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
        HKEY created = nullptr;
        if (c.createKey) RegCreateKeyA(HKEY_CURRENT_USER, kFavoritesSub, &created);
        ShortcutSink sink;
        EXPECT_FALSE(CRegKeyTool().ImportFavorites(c.path, REG_SZ, sink.Handle()));
        EXPECT_TRUE(sink.Items().empty());
        if (created) RegCloseKey(created);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
}

TEST(ImportFavorites, SucceedsWhenNothingIsTaken) {
    FavoritesKey key;
    ASSERT_TRUE(key.Ok());
    key.SetDword("Number", 1);
    key.Set("Root only", REG_SZ, "计算机\\HKEY_CURRENT_USER");
    ShortcutSink sink;
    EXPECT_TRUE(CRegKeyTool().ImportFavorites(kFavoritesPath, REG_SZ, sink.Handle()));
    EXPECT_TRUE(sink.Items().empty());
}

}  // namespace
