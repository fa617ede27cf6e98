// What the comparison keeps of one export instead of its text: per key, in the order the
// export first names it, a hash of its path, a digest of its values and where its key line
// stands, so that a key whose values changed can be read again, and how many values it holds,
// so that a deleted branch can say how much it held; for a key listed more than once, also a
// hash of each value and the listing its last line stands in. 40 bytes a key and
// 12 to 24 more in the table that finds it by its hash (a power of two of 8-byte slots, at most
// two thirds full), 24 a value of a key listed again, and while the file is read 16 more a
// value. No windows.h.
//
// A key is present when it, or a key below it, is listed: a key only named by one below it
// has no values here, which is what importing the export leaves in it.
//
// Hashes, not texts, tell keys and value sets apart: 64 bits each. Two different key paths of
// two exports of some four million keys in all share a hash with a chance of about 4e-7, and a
// changed key keeps its digest, or a changed value its hash, with a chance of 2^-64; a key whose
// digest differs is read again and the values whose hashes differ written. Both chances are
// below that of a memory fault on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ExportParser.h"

constexpr uint32_t kNoKey = 0xFFFFFFFFu;
// ExportKey::values of a key with this many values or more: read it to count them.
constexpr uint16_t kManyValues = 0xFFFF;

enum : uint8_t {
    KEY_LISTED = 1,   // the export has a line for it, not only for keys below it
    KEY_ROOT = 2,     // one of the five roots: never deleted
    KEY_COVERED = 4,  // deleted with a key above it (set by the comparison)
};

struct ExportKey {
    uint64_t hash;     // of the path, letter case folded
    uint64_t digest;   // of the values (of all its listings), order-free: 0 for none
    uint64_t offset;   // its first key line, or that of the first key below it
    uint32_t parent;   // kNoKey for a root
    uint32_t more;     // its last further listing (ListingsOf), kNoKey when listed once
    uint32_t partner;  // the same key in the other export, kNoKey when absent (set by the comparison)
    uint8_t flags;
    uint16_t values = 0;  // how many it holds, deleted ones left out, up to kManyValues (in the padding)
};

// A value as the index keeps it: the hashes of its name (letter case folded) and of all it
// stores (0: deleted by a `"name"=-` line), and the key line of the listing it stands in.
struct NamedValue {
    uint64_t name;
    uint64_t value;
    uint64_t listing;
};

// The hashes of a value line (listing left 0); `fold` is room for the folded name.
NamedValue HashValue(const ExportValue& value, std::u16string& fold);

class CExportIndex : public CExportParser::Handler {
public:
    // Reads the rest of the export (after its header), of `bytes` in all, and indexes it.
    // False when reading failed or was stopped.
    bool Build(CExportLines& reader, uint64_t bytes, AnsiDecoder decode, void* context);

    std::vector<ExportKey> keys;  // parents before their children

    uint32_t Find(uint64_t hash) const;
    // Asks for the table's memory where Find will look for that hash, so that it is there by then.
    void Prefetch(uint64_t hash) const;
    size_t ListedCount() const { return m_listed; }
    // The export's last line that is not blank ends inside its syntax (CExportParser::LastLineCut).
    bool LastLineCut() const { return m_lastLineCut; }
    // Where each of its key lines stands, in the file's order; none for a key never listed.
    std::vector<uint64_t> ListingsOf(uint32_t key) const;
    // A key listed more than once: each of its values once, by its last line, sorted by name.
    // None for a key listed once (its one listing is read instead) or one without values.
    std::pair<const NamedValue*, const NamedValue*> ValuesOf(uint32_t key) const;

private:
    void Key(std::u16string_view path, uint64_t offset) override;
    void KeyClosed() override;
    void Value(const ExportValue& value) override;
    void EndSection();
    void MergeAndHash();
    void DigestListedAgain();
    void Place(uint32_t key);

    struct Listing {
        uint64_t offset;
        uint32_t previous;
    };
    struct Level {
        uint64_t hash;
        uint32_t key;
        size_t end;  // where its part ends in the last key line's path
    };
    struct ValueHash {
        uint64_t name;
        uint64_t value;  // 0 for a deleted one
    };
    struct Section {  // a listing of a key, and where its values start in m_values
        uint32_t key;
        uint32_t begin;
        uint64_t offset;  // its key line
    };

    std::vector<uint64_t> m_slots;  // open addressing: (key + 1) << 32 | the hash's high half
    std::vector<Listing> m_more;
    std::vector<NamedValue> m_named;                         // ValuesOf, key by key
    std::vector<std::pair<uint32_t, uint32_t>> m_namedKeys;  // each such key, its first in m_named
    size_t m_listed = 0;
    bool m_lastLineCut = false;
    // While building: the levels of the last key line, the key whose values come, and every
    // listing with its values.
    std::vector<Level> m_levels;
    uint32_t m_current = kNoKey;
    std::vector<Section> m_sections;
    std::vector<ValueHash> m_values;
    std::u16string m_lastPath;
    std::u16string m_fold;
};
