// Reading branches of the live registry as the export the registry editor writes of them, so
// that the comparison reads an export file on one side and the registry on the other with the
// same rules. No windows.h: the registry stands behind CRegistryTree (the Windows build opens
// keys for reading only; the tests put a table behind it).
//
// Which branches: each key that the export file lists with no key it lists above it
// (ScanBranches). Every key below such a branch is read, depth first, subkeys in the order the
// registry gives them, each key's values after its key line as the editor writes them (the
// branch's subkeys on two threads, their texts joined in that order).
//
// A key that cannot be read (access denied, deleted while it is read, a root this system lacks,
// a hive of HKEY_USERS not loaded, a link that leads back above itself) is named and left out:
// CLeftOutLines drops it from the file's side too, so that the comparison lists it neither as
// added nor as removed, and no undo deletes what could not be seen. A key whose counts or time
// of writing change while it is read is read again, a bounded number of times, and named if it
// never settles. A value a .reg line cannot restore exactly is named.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "ExportReader.h"

enum class TreeStatus { Ok, End, Denied, Gone, NoRoot };

// The registry, read only. Called from two threads at once (each with keys of its own, and
// opening keys below a key both share).
class CRegistryTree {
public:
    using Key = uintptr_t;  // 0: none
    struct Stamp {          // what tells that a key changed while it was read
        uint32_t subkeys = 0, values = 0;
        uint64_t written = 0;
        bool operator==(const Stamp& o) const {
            return subkeys == o.subkeys && values == o.values && written == o.written;
        }
    };

    virtual ~CRegistryTree() = default;
    // A root by its full name (HKEY_CURRENT_USER...) when parent is 0, else a key below parent;
    // `path` may hold several levels. NoRoot: the system has no such root.
    virtual TreeStatus Open(Key parent, std::u16string_view path, Key& key) = 0;
    virtual void Close(Key key) = 0;
    virtual TreeStatus Info(Key key, Stamp& stamp) = 0;
    // The index-th subkey's name, value; End past the last.
    virtual TreeStatus Subkey(Key key, uint32_t index, std::u16string& name) = 0;
    virtual TreeStatus Value(Key key, uint32_t index, std::u16string& name, uint32_t& type,
                             std::vector<uint8_t>& data) = 0;
    // Where the key really stands (a link leads elsewhere): the same text for the same key,
    // empty when it is not known.
    virtual std::u16string Identity(Key) { return std::u16string(); }
};

// What the export file names: its branches, and whether it is a patch rather than an export.
struct ExportBranches {
    std::vector<std::u16string> tops;  // as the file spells them, in its order
    size_t keys = 0;                   // key lines under a known root
    bool patch = false;                // a `[-KEY]` or `"name"=-` line
};

// Reads the lines after the header (Open done). False when reading failed or was stopped.
bool ScanBranches(CExportLines& lines, AnsiDecoder decode, void* context, ExportBranches& out);

// Why a key or value is named in the head.
enum class KeyNote {
    Denied,        // left out: access denied
    Gone,          // left out: deleted while it was read
    NoRoot,        // left out: a root this system lacks
    NotLoaded,     // left out: a hive of HKEY_USERS that is not loaded
    Loop,          // left out: a link back to a key above it
    Unsettled,     // read, but it changed every time it was read
    Unrestorable,  // a value (`value`) that no .reg line restores exactly
};

struct NamedKey {
    KeyNote why;
    std::u16string path;
    std::u16string value;  // Unrestorable: the value's name (empty: the default value)
};

// One reading of the branches: the export's text and what the head names.
struct RegistryReading {
    std::u16string text;                   // "Windows Registry Editor Version 5.00", a blank line, key blocks
    std::vector<std::u16string> branches;  // read, as named
    std::vector<std::u16string> absent;    // branches that do not exist now
    std::vector<NamedKey> named;
    std::unordered_set<std::u16string> leftOut;  // paths of the keys left out, letter case folded
    uint64_t keys = 0, values = 0;
    std::u16string time, user, sid;  // when, and as whom (the caller's)
};

constexpr int kReadAttempts = 4;  // a key is read at most this often while it keeps changing
constexpr size_t kDeepest = 512;  // levels below a root: the registry holds no deeper key

// Reads the branches. False when stopped. `done` counts the bytes of text written.
bool ReadBranches(CRegistryTree& tree, const std::vector<std::u16string>& tops, RegistryReading& out,
                  std::atomic<uint64_t>* done, const std::atomic<bool>* stop);

// One branch (or, without subkeys, its top key alone) appended to `out` without the text's
// first line: what ReadBranches does for each of its tops.
bool ReadBranch(CRegistryTree& tree, const std::u16string& top, bool subkeys, RegistryReading& out,
                std::atomic<uint64_t>* done, const std::atomic<bool>* stop);

// A value's line as the registry editor exports it, CR LF ended (hex data unwrapped). False
// when no .reg line restores the value exactly: a string with a zero inside or without its
// final zero (a REG_SZ is written as text up to its first zero, as the editor writes it, unless
// `stringAsHex`: then as hex(1), which holds it exactly but for a missing final zero).
bool AppendValueLine(std::u16string& out, const std::u16string& name, uint32_t type, const std::vector<uint8_t>& data,
                     bool stringAsHex = false);

// A path with its letter case folded, as keys are matched.
std::u16string FoldPath(std::u16string_view path);
// The path, or a key above it, is in `paths` (folded).
bool UnderAny(const std::unordered_set<std::u16string>& paths, std::u16string_view folded);

// A reading's text as an export file's bytes (the UTF-16 byte-order mark first).
class CReadingSource : public CExportSource {
public:
    explicit CReadingSource(std::shared_ptr<const RegistryReading> reading) : m_reading(std::move(reading)) {}
    uint64_t Size() const override { return 2 + m_reading->text.size() * 2; }
    bool Read(uint64_t offset, void* buffer, size_t n, size_t& got) override;

private:
    std::shared_ptr<const RegistryReading> m_reading;
};

// The lines of an export without the key blocks of keys left out (and of keys below them).
class CLeftOutLines : public CExportLines {
public:
    CLeftOutLines(CExportLines& lines, const std::unordered_set<std::u16string>& leftOut)
        : m_lines(lines), m_leftOut(leftOut) {}
    uint64_t Size() const override { return m_lines.Size(); }
    void Watch(std::atomic<uint64_t>* done, const std::atomic<bool>* stop) override { m_lines.Watch(done, stop); }
    bool Open(size_t pieceBytes) override { return m_lines.Open(pieceBytes); }
    ExportFormat Format() const override { return m_lines.Format(); }
    void Seek(uint64_t place, size_t pieceBytes) override {
        m_skipping = false;
        m_lines.Seek(place, pieceBytes);
    }
    bool Next(const char16_t*& text, size_t& length, uint64_t& place) override;
    bool ReadFailed() const override { return m_lines.ReadFailed(); }
    bool Stopped() const override { return m_lines.Stopped(); }
    bool Empty() const override { return m_lines.Empty(); }
    ExportBreak Break() const override { return m_lines.Break(); }

private:
    CExportLines& m_lines;
    const std::unordered_set<std::u16string>& m_leftOut;
    bool m_skipping = false;
};
