// What the comparison keeps of one export instead of its text. Every key it names, in the
// order it first names it (parents before their children): a hash of its path, the key above
// it and, for a key it lists, a record of 16 bytes: a digest of its values, where its first
// key line stands, so that a key whose values changed can be read again, and how many values
// it holds, so that a deleted branch can say how much it held. For a key listed more than
// once, also a hash of each value and the listing its last line stands in. 8 bytes a key; for
// one not added below the key before it, 4 more and 5 to 8 in the table that finds a key by
// its hash; 16 a listed key; while the file is read, 16 more a value and 16 a key line with
// values (in most exports of keys without values, few lines have any). No windows.h.
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

#include "Buffer.h"
#include "ExportParser.h"

constexpr uint32_t kNoKey = 0xFFFFFFFFu;
// ListedKey::values of a key with this many values or more: read it to count them.
constexpr uint16_t kManyValues = 0xFFFF;

enum : uint8_t {
    KEY_ROOT = 1,          // one of the five roots: never deleted
    KEY_LISTED_AGAIN = 2,  // the export lists it more than once
};

// A key the export lists, not only names as the parent of one.
struct ListedKey {
    uint64_t digest;  // of the values (of all its listings), order-free: 0 for none
    uint32_t offsetLow;
    uint16_t values;  // how many it holds, deleted ones left out, up to kManyValues
    uint8_t offsetHigh;
    uint8_t flags;
    uint64_t Offset() const { return offsetLow | uint64_t{offsetHigh} << 32; }  // its first key line
};

// A value as the index keeps it: the hashes of its name (letter case folded) and of all it
// stores (0: deleted by a `"name"=-` line), and the key line of the listing it stands in.
struct NamedValue {
    uint64_t name;
    uint64_t value;
    uint64_t listing;
};

// The hashes of a value line (listing left 0); `fold` is room for the folded name.
NamedValue HashValue(const ExportValue& value, CBuffer<char16_t>& fold);

class CExportIndex : public CExportParser::Handler {
public:
    // Reads the rest of the export (after its header), of `bytes` in all, and indexes it. The
    // table Find looks in stays until DropTable. False when reading failed or was stopped.
    bool Build(CExportLines& reader, uint64_t bytes, AnsiDecoder decode, void* context);

    // The keys, numbered from 0 in the order the export first names them.
    uint32_t Count() const { return static_cast<uint32_t>(m_hash.size()); }
    uint64_t Hash(uint32_t key) const { return m_hash[key]; }  // of the path, letter case folded
    uint32_t Parent(uint32_t key) const {                      // kNoKey for a root
        const KeyGroup& group = m_groups[key >> 6];
        const uint64_t bit = uint64_t{1} << (key & 63);
        return (group.below & bit) ? key - 1 : m_parent[group.parentsBefore + Bits(~group.below & (bit - 1))];
    }
    // Null for a key only named by one below it.
    const ListedKey* Listed(uint32_t key) const {
        const KeyGroup& group = m_groups[key >> 6];
        const uint64_t bit = uint64_t{1} << (key & 63);
        if (group.atBirth & bit) return &m_keys[group.before + Bits(group.atBirth & (bit - 1))];
        return (group.later & bit) ? &m_later[LaterAt(key)] : nullptr;
    }
    // Listed of keys one after another: the records of those listed by the line that adds
    // them are counted on from the last, not counted again from their group's first.
    class ListedWalk {
    public:
        explicit ListedWalk(const CExportIndex& index) : m_index(index) {}
        const ListedKey* At(uint32_t key) {
            if (key != m_key || (key & 63) == 0) Start(key);
            const uint64_t bit = uint64_t{1} << (key & 63);
            ++m_key;
            if (m_atBirth & bit) return m_record++;
            return (m_later & bit) ? &m_index.m_later[m_index.LaterAt(key)] : nullptr;
        }

    private:
        void Start(uint32_t key) {
            const KeyGroup& group = m_index.m_groups[key >> 6];
            m_key = key;
            m_atBirth = group.atBirth;
            m_later = group.later;
            m_record = m_index.m_keys.data() + group.before + Bits(group.atBirth & ((uint64_t{1} << (key & 63)) - 1));
        }
        const CExportIndex& m_index;
        uint32_t m_key = kNoKey;  // the key after the last
        uint64_t m_atBirth = 0, m_later = 0;
        const ListedKey* m_record = nullptr;  // of the next key listed at its birth
    };
    bool ListedAgain(uint32_t key) const {
        const ListedKey* listed = Listed(key);
        return listed && (listed->flags & KEY_LISTED_AGAIN);
    }

    // The key of that hash among those not added below the key before them (the table holds
    // only those, a key or two a key line), or kNoKey.
    uint32_t Find(uint64_t hash) const;
    // The key of that hash among the others, given the key above it: they come right after
    // their parent. Find and After together find every key.
    uint32_t After(uint32_t parent, uint64_t hash) const {
        return parent != kNoKey && parent + 1 < Count() && m_hash[parent + 1] == hash ? parent + 1 : kNoKey;
    }
    // Asks for the table's memory where Find will look for that hash, so that it is there by then.
    void Prefetch(uint64_t hash) const;
    // Then, once that is there, the hash Find compares with: of the first of the next few slots
    // whose tag is that hash's.
    void PrefetchHash(uint64_t hash) const;
    // Find is not needed any more: its table goes.
    void DropTable() { std::vector<uint32_t>().swap(m_slots); }
    size_t ListedCount() const { return m_keys.size() + m_later.size(); }
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
    void Flush();
    void Project(uint64_t at, size_t needed, size_t placed);
    void Rehash(size_t slots);
    void PlaceFrom(uint32_t first);
    void Place();
    void AddListing(uint32_t key, bool root, uint64_t offset, uint64_t digest, uint16_t values);
    void DigestListedAgain();
    size_t Home(uint64_t hash) const {
        return static_cast<size_t>((uint64_t{static_cast<uint32_t>(hash)} * m_slots.size()) >> 32);
    }

    // The records made for every key line or value (Level, Pending, Section, ValueHash, and
    // ListedKey) go into their vectors field by field (emplace_back, then each field): GCC
    // built such a record whole on the stack and copied it in wider pieces than it had just
    // written, which the core cannot hand on and waits out, several times a key line.
    struct Listing {
        uint64_t offset;
        uint32_t previous;
    };
    struct Level {      // of the last key line's path
        uint64_t a, b;  // the hash's two lanes, its parts up to here taken
        size_t end;     // where its part ends
    };
    struct ValueHash {
        uint64_t name;
        uint64_t value;  // 0 for a deleted one
    };
    struct Section {  // a listing of a key that has values: its key line, where they start in m_values
        uint64_t offset;
        uint32_t key;
        uint32_t begin;
    };
    // A key line read and not yet placed: its levels past those it shares with the line before
    // wait in m_newHashes, so that the table's memory for a whole batch is asked for ahead.
    struct Pending {
        uint64_t offset;
        uint64_t digest;  // of its values, once they are read
        uint32_t common;  // levels it shares with the line before
        uint32_t first;   // its other levels in m_newHashes
        uint32_t count;
        uint32_t section;  // kNoSection: none, the listing has no values
        uint16_t values;
    };

    std::vector<uint64_t> m_hash;
    std::vector<uint32_t> m_parent;  // of the keys not below the key before them (KeyGroup)
    // Which keys are listed, and the key above each, 64 keys a group: a few bits a key instead
    // of words. Nearly every key listed is listed by the key line that adds it: those have
    // their records in m_keys in key order, and a group tells where its own start; a key named
    // first as the parent of one and listed later has its record in m_later. A key added below
    // the one added before it on its line (in exports in no order, most keys) has that one
    // above it; the others have theirs in m_parent, in key order too.
    struct KeyGroup {
        uint64_t atBirth;        // bit k: key 64 * group + k listed by the line that added it
        uint64_t later;          // bit k: that key listed later
        uint64_t below;          // bit k: that key's parent is the key before it, not in the table
        uint32_t before;         // the records in m_keys of the keys before the group
        uint32_t parentsBefore;  // the same in m_parent
    };
    static uint32_t Bits(uint64_t x) {  // how many are set: no instruction for it is assumed
        x -= (x >> 1) & 0x5555555555555555ull;
        x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        return static_cast<uint32_t>((x * 0x0101010101010101ull) >> 56);
    }
    ListedKey* ListedRecord(uint32_t key) { return const_cast<ListedKey*>(Listed(key)); }
    std::vector<KeyGroup> m_groups;
    std::vector<ListedKey> m_keys;
    std::vector<ListedKey> m_later;
    // Each such key and its record in m_later, a slot each by the key: (key + 1) << 32 | record.
    // Roots and the keys just below them are most of them, met on many lines.
    std::vector<uint64_t> m_laterAt;
    size_t LaterSlot(uint32_t key) const {
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (m_laterAt.size() - 1);
    }
    uint32_t LaterAt(uint32_t key) const {  // a key listed later
        size_t i = LaterSlot(key);
        while (m_laterAt[i] >> 32 != uint64_t{key} + 1) i = (i + 1) & (m_laterAt.size() - 1);
        return static_cast<uint32_t>(m_laterAt[i]);
    }
    void AddLater(uint32_t key, uint32_t record);
    // Open addressing, linear probing: the key + 1 in the low 27 bits, 5 more bits of its hash above.
    std::vector<uint32_t> m_slots;
    std::vector<Listing> m_more;
    // Each key listed again (in the order listed again, sorted once the file is read) and its
    // last further listing in m_more (until then in the key's digest).
    std::vector<std::pair<uint32_t, uint32_t>> m_moreOf;
    std::vector<NamedValue> m_named;                         // ValuesOf, key by key
    std::vector<std::pair<uint32_t, uint32_t>> m_namedKeys;  // each such key, its first in m_named
    bool m_lastLineCut = false;
    // While building.
    bool m_projected = false;
    bool m_open = false;  // values go to the last key line
    uint64_t m_bytes = 0;
    std::vector<Level> m_levels;
    std::vector<Pending> m_pending;
    std::vector<uint64_t> m_newHashes;
    std::vector<uint32_t> m_ids;    // of the last placed key line's levels
    std::vector<uint32_t> m_batch;  // the keys the batch adds, by their hashes: the key + 1
    std::vector<uint32_t> m_found;  // of each of m_newHashes, the key the table has, or kNoKey
    struct Round {                  // a level to look up: in m_newHashes, where its line's end there, its parent
        uint32_t level, end, parent;
    };
    std::vector<Round> m_round, m_nextRound;
    std::vector<uint32_t> m_placing;  // the keys Place puts into the table
    size_t m_placed = 0;              // keys in the table
    std::vector<Section> m_sections;
    std::vector<ValueHash> m_values;
    CBuffer<char16_t> m_lastPath;
    CBuffer<char16_t> m_fold;
};
