// Comparing an export with the registry as it is now, the registry being a table: which
// branches are read, what is added, and the keys that cannot be read (denied, deleted while
// read, a lacking root, a hive not loaded, a link round a loop), which both sides leave out;
// keys that change while read, values no .reg line restores.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "../support/ExportTexts.h"
#include "RegistryRead.h"

namespace {

// A registry of keys by path (found without letter case): values, and how each key misbehaves.
struct FakeKey {
    std::vector<std::tuple<std::u16string, uint32_t, std::vector<uint8_t>>> values;
    bool denied = false;
    std::u16string link;  // another key's path: opened, it is that key
    int churn = 0;        // stamps that see it written to anew (each reading takes two)
};

class CFakeTree : public CRegistryTree {
public:
    std::map<std::u16string, FakeKey> keys;  // roots included
    CFakeTree() = default;
    CFakeTree(CFakeTree&& made) noexcept : keys(std::move(made.keys)) {}
    TreeStatus Open(Key parent, std::u16string_view path, Key& key) override {
        const std::lock_guard<std::mutex> one(m_lock);  // two threads read it
        std::u16string full = parent ? m_open[parent - 1] : std::u16string();
        if (!path.empty()) full += (parent ? u"\\" : u"") + std::u16string(path);
        auto it = Find(full);
        if (it != keys.end() && !it->second.link.empty()) it = Find(it->second.link);
        if (it == keys.end()) return parent ? TreeStatus::Gone : TreeStatus::NoRoot;
        if (it->second.denied) return TreeStatus::Denied;
        m_open.push_back(it->first);
        key = m_open.size();
        return TreeStatus::Ok;
    }
    void Close(Key) override {}
    TreeStatus Info(Key key, Stamp& stamp) override {
        const std::lock_guard<std::mutex> one(m_lock);
        FakeKey& k = keys[m_open[key - 1]];
        stamp.values = static_cast<uint32_t>(k.values.size());
        stamp.subkeys = static_cast<uint32_t>(Children(key).size());
        stamp.written = k.churn > 0 ? static_cast<uint64_t>(k.churn--) : 0;
        return TreeStatus::Ok;
    }
    TreeStatus Subkey(Key key, uint32_t index, std::u16string& name) override {
        const std::lock_guard<std::mutex> one(m_lock);
        const std::vector<std::u16string> children = Children(key);
        if (index >= children.size()) return TreeStatus::End;
        name = children[index];
        return TreeStatus::Ok;
    }
    TreeStatus Value(Key key, uint32_t index, std::u16string& name, uint32_t& type,
                     std::vector<uint8_t>& data) override {
        const std::lock_guard<std::mutex> one(m_lock);
        const FakeKey& k = keys[m_open[key - 1]];
        if (index >= k.values.size()) return TreeStatus::End;
        std::tie(name, type, data) = k.values[index];
        return TreeStatus::Ok;
    }
    std::u16string Identity(Key key) override {
        const std::lock_guard<std::mutex> one(m_lock);
        return m_open[key - 1];
    }

private:
    std::map<std::u16string, FakeKey>::iterator Find(const std::u16string& path) {
        return std::find_if(keys.begin(), keys.end(),
                            [&](const auto& k) { return FoldPath(k.first) == FoldPath(path); });
    }
    std::vector<std::u16string> Children(Key key) const {
        const std::u16string prefix = m_open[key - 1] + u"\\";
        std::vector<std::u16string> names;
        for (const auto& [path, k] : keys)
            if (path.compare(0, prefix.size(), prefix) == 0 && path.find(u'\\', prefix.size()) == path.npos)
                names.push_back(path.substr(prefix.size()));
        return names;
    }
    std::vector<std::u16string> m_open;
    std::mutex m_lock;
};

// A literal's characters without the zero the compiler puts after it.
template <size_t N>
std::vector<uint8_t> Sz(const char16_t (&s)[N]) {
    std::vector<uint8_t> bytes;
    for (char16_t c : std::u16string_view(s, N - 1))
        bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return bytes;
}

// The result without its head, and the notes the reading made (by kind and path).
struct Outcome {
    std::u16string blocks;
    std::vector<std::pair<KeyNote, std::u16string>> named;
    std::vector<std::u16string> tops, branches;
};

Outcome Compare(CFakeTree& tree, const std::u16string& file, bool swapped = false) {
    CTextSource source(Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n" + file));
    CExportReader lines(source, DecodeAnsi, nullptr);
    ExportBranches branches;
    EXPECT_TRUE(lines.Open(1 << 20) && ScanBranches(lines, DecodeAnsi, nullptr, branches));
    auto reading = std::make_shared<RegistryReading>();
    EXPECT_TRUE(ReadBranches(tree, branches.tops, *reading, nullptr, nullptr));
    CExportReader fileLines(source, DecodeAnsi, nullptr);
    CLeftOutLines kept(fileLines, reading->leftOut);
    CReadingSource text(reading);
    CExportReader live(text, DecodeAnsi, nullptr);
    CExportCompare compare(DecodeAnsi, nullptr);
    CompareNotes notes = TestNotes();
    notes.olderFile = notes.newerFile = notes.counts = notes.same = u"";
    std::u16string result;  // the header, blank lines (every note left out), the blocks
    EXPECT_TRUE(swapped ? compare.Run(live, kept, notes, result) : compare.Run(kept, live, notes, result));
    Outcome outcome{result.substr(std::min(result.size(), result.find_first_not_of(u"\r\n", result.find(u'\n')))),
                    {},
                    branches.tops,
                    reading->branches};
    for (const NamedKey& key : reading->named) outcome.named.emplace_back(key.why, key.path + key.value);
    return outcome;
}

const std::u16string kA = u"HKEY_CURRENT_USER\\Software\\A";

CFakeTree Tree() {
    CFakeTree tree;
    for (const char16_t* root : {u"HKEY_CURRENT_USER", u"HKEY_USERS", u"HKEY_LOCAL_MACHINE"}) tree.keys[root];
    tree.keys[u"HKEY_CURRENT_USER\\Software"].values = {{u"Outside", 1, Sz(u"x\0")}};
    tree.keys[kA].values = {{u"v", 4, {1, 0, 0, 0}}, {u"s", 1, Sz(u"a\"b\\\0")}};
    tree.keys[kA + u"\\B"];
    tree.keys[kA + u"\\C"];  // two subkeys: read on two threads
    return tree;
}

const std::u16string kFile =
    u"[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=dword:00000001\r\n\"s\"=\"a\\\"b\\\\\"\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\A\\B]\r\n\r\n[HKEY_CURRENT_USER\\Software\\A\\C]\r\n\r\n";

TEST(RegistryRead, BranchesAreTheTopmostKeysListedAndOnlyTheyAreRead) {
    CFakeTree tree = Tree();
    EXPECT_EQ(Compare(tree, kFile).blocks, u"") << "the registry as the file has it: nothing listed";
    tree.keys[kA + u"\\B\\New"].values = {{u"", 3, {0xAB}}};
    tree.keys[u"HKEY_CURRENT_USER\\Software\\Sibling"];
    const Outcome added = Compare(tree, kFile);
    EXPECT_EQ(added.tops, std::vector<std::u16string>{u"HKEY_CURRENT_USER\\Software\\A"});
    EXPECT_EQ(added.blocks, u"[" + kA + u"\\B\\New]\r\n@=hex:ab\r\n\r\n") << "nothing above or beside the branch";
    EXPECT_EQ(Compare(tree, kFile, true).blocks.find(u"[-" + kA + u"\\B\\New]\r\n"), 0u) << "the undo deletes it";
    for (const char16_t* patch : {u"[HKEY_CURRENT_USER\\X]\r\n\"v\"= - \r\n", u" [-HKEY_CURRENT_USER\\X]\r\n"}) {
        ExportBranches b;
        CTextSource s(Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n" + std::u16string(patch)));
        CExportReader l(s, DecodeAnsi, nullptr);
        EXPECT_TRUE(l.Open(1 << 20) && ScanBranches(l, DecodeAnsi, nullptr, b) && b.patch);
    }
}

// Keys that cannot be read are left out on both sides: never deleted, never added; each named.
TEST(RegistryRead, KeysThatCannotBeReadAreNamedAndLeftOutOnBothSides) {
    const struct {
        const char16_t* key;  // below kA, as the file lists it with a value
        void (*spoil)(CFakeTree&, const std::u16string& path);
        KeyNote why;
    } kCases[] = {
        {u"B\\Denied", [](CFakeTree& t, const std::u16string& p) { t.keys[p].denied = true; }, KeyNote::Denied},
        {u"B\\Loop", [](CFakeTree& t, const std::u16string& p) { t.keys[p].link = kA; }, KeyNote::Loop},
    };
    for (const auto& c : kCases) {
        CFakeTree tree = Tree();
        const std::u16string path = kA + u"\\" + c.key;
        tree.keys[path].values = {{u"kept", 1, Sz(u"old\0")}};
        tree.keys[path + u"\\Below"];
        c.spoil(tree, path);
        const Outcome outcome =
            Compare(tree, kFile + u"[" + path + u"]\r\n\"kept\"=\"changed\"\r\n\r\n[" + path + u"\\Gone]\r\n\r\n");
        EXPECT_EQ(outcome.blocks, u"") << "neither side lists it: " << static_cast<int>(c.why);
        EXPECT_EQ(outcome.named, (std::vector<std::pair<KeyNote, std::u16string>>{{c.why, path}}));
    }
    // Roots and hives: a root the system lacks, a hive of HKEY_USERS not loaded, a branch gone.
    CFakeTree tree = Tree();
    const Outcome outcome = Compare(tree, kFile +
                                              u"[HKEY_CURRENT_CONFIG\\X]\r\n\r\n[HKEY_USERS\\S-1-5-21-9\\Y]\r\n\r\n"
                                              u"[HKEY_LOCAL_MACHINE\\Gone]\r\n\"v\"=\"x\"\r\n\r\n");
    EXPECT_EQ(outcome.named,
              (std::vector<std::pair<KeyNote, std::u16string>>{{KeyNote::NoRoot, u"HKEY_CURRENT_CONFIG\\X"},
                                                               {KeyNote::NotLoaded, u"HKEY_USERS\\S-1-5-21-9\\Y"}}));
    EXPECT_EQ(outcome.blocks.find(u"[-HKEY_LOCAL_MACHINE\\Gone]\r\n"), 0u) << "a branch deleted since is deleted";
    EXPECT_EQ(outcome.blocks.find(u"HKEY_USERS"), std::u16string::npos);
    EXPECT_EQ(outcome.blocks.find(u"HKEY_CURRENT_CONFIG"), std::u16string::npos);
}

// A key read again while it changes, named when it never settles; values .reg cannot restore.
TEST(RegistryRead, ChangingKeysAndValuesNoLineRestores) {
    for (const int churn : {2 * kReadAttempts - 2, 2 * kReadAttempts}) {  // settles at the last reading; never
        CFakeTree tree = Tree();
        tree.keys[kA + u"\\B"].churn = churn;
        const Outcome outcome = Compare(tree, kFile);
        EXPECT_EQ(outcome.named.size(), churn == 2 * kReadAttempts ? 1u : 0u) << churn;
        EXPECT_EQ(outcome.blocks, u"");
    }
    CFakeTree tree = Tree();
    tree.keys[kA + u"\\B"].values = {{u"inner", 1, Sz(u"a\0b\0")},
                                     {u"unended", 2, Sz(u"%x%")},
                                     {u"multi", 7, Sz(u"a\0b\0\0")},
                                     {u"odd", 1, {0x61, 0, 0}}};
    const Outcome outcome = Compare(tree, kFile);
    EXPECT_EQ(outcome.named,
              (std::vector<std::pair<KeyNote, std::u16string>>{{KeyNote::Unrestorable, kA + u"\\Binner"},
                                                               {KeyNote::Unrestorable, kA + u"\\Bunended"},
                                                               {KeyNote::Unrestorable, kA + u"\\Bodd"}}));
    EXPECT_NE(outcome.blocks.find(u"\"inner\"=\"a\"\r\n"), std::u16string::npos) << "as the editor exports it";
}

}  // namespace
