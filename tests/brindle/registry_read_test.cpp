// Comparing an export with the registry as it is now, the registry being a table: which
// branches are read, what is added, and the keys that cannot be read (denied, deleted while
// read, a lacking root, a hive not loaded, a link round a loop), which both sides leave out;
// keys that change while read, values no .reg line restores.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../support/ExportTexts.h"
#include "../support/FakeRegistry.h"
#include "ImportPreview.h"
#include "RegistryRead.h"

namespace {

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
    // HKEY_CLASSES_ROOT as the editor shows it: a key the system merges in from a Software\Classes
    // key (a link in the table) is read under its HKEY_CLASSES_ROOT path, with that key's values.
    tree.keys[u"HKEY_CLASSES_ROOT"];
    tree.keys[u"HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt"].values = {{u"", 1, Sz(u"txtfile\0")}};
    tree.keys[u"HKEY_CLASSES_ROOT\\.txt"].link = u"HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt";
    EXPECT_EQ(Compare(tree, u"[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"old\"\r\n").blocks,
              u"[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n; was \"old\"\r\n\r\n");
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

// --- The import preview

const std::u16string kSid = u"S-1-5-21-7";

// The blocks of a comparison's text: what follows its head.
std::u16string Blocks(const std::u16string& result) {
    const size_t head = result.find(u"\r\n\r\n", result.find(u"\r\n\r\n") + 4);
    return head == std::u16string::npos ? std::u16string() : result.substr(head + 4);
}

// Read as import reads it, top to bottom: only what differs from the registry now, with its
// current data; the backup deletes a created key at its topmost new one and brings a deleted
// branch back whole; lines that change nothing and lines import skips are counted.
TEST(ImportPreview, WhatImportingChangesAndTheBackupThatPutsItBack) {
    CFakeTree tree = Tree();
    tree.keys[kA + u"\\B\\Inner"].values = {{u"", 4, {7, 0, 0, 0}}};
    ImportPreview preview;
    std::u16string changes, backup;
    ASSERT_TRUE(PreviewFile(tree,
                            Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n\"orphan\"=\"x\"\r\n"
                                      u"[HKEY_CURRENT_USER\\Software\\A]\r\n\"V\"=dword:00000001\r\n"
                                      u"\"s\"=\"new\"\r\n\"gone\"=-\r\n[ HKEY_CURRENT_USER\\Void]\r\n"
                                      u"[HKEY_CURRENT_USER\\Software\\A\\New\\Deep]\r\n\"x\"=hex(1):41,00,00,00,\\\r\n"
                                      u"  42,00\r\n[-HKEY_CURRENT_USER\\Software\\A\\B]\r\n\"lost\"=\"y\"\r\n"
                                      u"[-HKEY_CURRENT_USER\\Software\\Nothing]\r\n[HKCU\\Short]\r\n"
                                      u"[-HKEY_CURRENT_USER\\Software\\A\\C]\r\n[HKEY_CURRENT_USER\\Software\\A\\C]\r\n"
                                      u"\"c\"=\"again\"\r\n"),
                            kSid, preview, changes, backup));
    EXPECT_EQ(Blocks(changes),
              u"[HKEY_CURRENT_USER\\Software\\A]\r\n\"s\"=\"new\"\r\n; was \"a\\\"b\\\\\"\r\n\r\n"
              u"[-HKEY_CURRENT_USER\\Software\\A\\B]\r\n; branch: 2 keys, 1 values\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\A\\C]\r\n\"c\"=\"again\"\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\A\\New]\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\A\\New\\Deep]\r\n\"x\"=hex(1):41,00,00,00,42,00,00,00\r\n"
              u"; text \"A<U+0000>B\"\r\n\r\n");
    EXPECT_EQ(Blocks(backup),
              u"[HKEY_CURRENT_USER\\Software\\A]\r\n\"s\"=\"a\\\"b\\\\\"\r\n; was \"new\"\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\A\\B]\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\A\\B\\Inner]\r\n@=dword:00000007\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\A\\C]\r\n\"c\"=-\r\n; was \"again\"\r\n\r\n"
              u"[-HKEY_CURRENT_USER\\Software\\A\\New]\r\n; branch: 2 keys, 1 values\r\n\r\n");
    EXPECT_EQ(3u, preview.unchanged) << "\"V\" as it is, \"gone\" and Nothing not there";
    EXPECT_EQ(4u, preview.ignored) << "before any key, void, after [-KEY], under no known root";
}

// A key that cannot be read is named and listed on neither side; one in a branch the file
// deletes cannot come back with the backup. One key named under two roots that reach it is told.
TEST(ImportPreview, KeysNotReadAndKeysNamedUnderTwoRoots) {
    CFakeTree tree = Tree();
    tree.keys[kA + u"\\B\\Locked"].denied = true;
    tree.keys[kA + u"\\C"].denied = true;
    for (const std::u16string& key :
         {u"HKEY_USERS\\" + kSid + u"\\Software\\A", std::u16string(u"HKEY_CLASSES_ROOT\\.txt"),
          std::u16string(u"HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt"),
          std::u16string(u"HKEY_CURRENT_USER\\Software\\Classes\\.txt")})
        for (size_t at = 0; at != std::u16string::npos; at = key.find(u'\\', at + 1))
            tree.keys[key.substr(0, at ? at : key.npos)];
    ImportPreview preview;
    std::u16string changes, backup;
    ASSERT_TRUE(PreviewFile(
        tree,
        Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\A\\C]\r\n\"v\"=\"x\"\r\n"
                  u"[-HKEY_CURRENT_USER\\Software\\A\\B]\r\n[HKEY_CURRENT_CONFIG\\X]\r\n\"v\"=\"x\"\r\n"
                  u"[HKEY_CURRENT_CONFIG\\X\\Y]\r\n"
                  u"[HKEY_USERS\\" +
                  kSid +
                  u"\\Software\\A]\r\n[HKEY_CURRENT_USER\\software\\a]\r\n"
                  u"[HKEY_CLASSES_ROOT\\.txt]\r\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\.TXT]\r\n"
                  u"[HKEY_CURRENT_USER\\Software\\Classes\\.txt]\r\n"),
        kSid, preview, changes, backup));
    std::vector<std::pair<KeyNote, std::u16string>> named;
    for (const NamedKey& key : preview.now->named) named.emplace_back(key.why, key.path);
    EXPECT_EQ(named, (std::vector<std::pair<KeyNote, std::u16string>>{{KeyNote::Denied, kA + u"\\C"},
                                                                      {KeyNote::Denied, kA + u"\\B\\Locked"},
                                                                      {KeyNote::NoRoot, u"HKEY_CURRENT_CONFIG\\X"}}));
    EXPECT_EQ(preview.unrestorable, std::vector<std::u16string>{kA + u"\\B\\Locked"});
    EXPECT_EQ(Blocks(changes), u"[-HKEY_CURRENT_USER\\Software\\A\\B]\r\n; branch: 1 keys, 0 values\r\n\r\n");
    EXPECT_EQ(Blocks(backup), u"[HKEY_CURRENT_USER\\Software\\A\\B]\r\n\r\n");
    using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;
    EXPECT_EQ(preview.twoRoots, (Pairs{{u"HKEY_USERS\\" + kSid + u"\\Software\\A", u"HKEY_CURRENT_USER\\software\\a"},
                                       {u"HKEY_CLASSES_ROOT\\.txt", u"HKEY_LOCAL_MACHINE\\Software\\Classes\\.TXT"},
                                       {u"HKEY_CLASSES_ROOT\\.txt", u"HKEY_CURRENT_USER\\Software\\Classes\\.txt"}}))
        << "the machine's and the user's classes are two keys";
}

}  // namespace
