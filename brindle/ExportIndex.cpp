#include "ExportIndex.h"

#include <algorithm>
#include <cstring>

namespace {

// A 64-bit hash of the kind of xxHash64: one multiply-rotate-multiply round per 8 bytes and a
// final avalanche, fast enough to hash every name and every byte of data of both files.
constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full, kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPathSeed = 1, kNameSeed = 2, kDataSeed = 3, kValueSeed = 4;

uint64_t Round(uint64_t acc, uint64_t word) {
    acc += word * kPrime2;
    acc = (acc << 31) | (acc >> 33);
    return acc * kPrime1;
}

uint64_t HashBytes(const void* data, size_t n, uint64_t seed) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint64_t acc = seed * kPrime3 + n;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        acc = Round(acc, word);
    }
    uint64_t tail = 0;
    if (n > 0) std::memcpy(&tail, p, n);  // p may be null for no data
    acc = Round(acc, tail ^ (uint64_t{n} << 59));
    acc ^= acc >> 33;
    acc *= kPrime2;
    acc ^= acc >> 29;
    acc *= kPrime3;
    return acc ^ (acc >> 32);
}

char16_t Fold(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    return FoldCase(c);
}

}  // namespace

bool CExportIndex::Build(CExportReader& reader, AnsiDecoder decode, void* context) {
    CExportParser parser(*this, reader.Format(), decode, context);
    const char16_t* text;
    size_t length;
    uint64_t offset;
    while (reader.Next(text, length, offset)) parser.Line(text, length, offset);
    if (reader.ReadFailed() || reader.Stopped()) return false;
    parser.End();
    EndSection();
    return true;
}

uint32_t CExportIndex::Find(uint64_t hash) const {
    if (m_slots.empty()) return kNoKey;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = m_slots[i];
        if (slot == 0) return kNoKey;
        const uint32_t key = static_cast<uint32_t>(slot >> 32) - 1;
        if (static_cast<uint32_t>(slot) == static_cast<uint32_t>(hash >> 32) && keys[key].hash == hash) return key;
    }
}

void CExportIndex::Insert(uint32_t key) {
    if ((keys.size() + 1) * 2 > m_slots.size()) {  // at most half full
        std::vector<uint64_t> old(std::max<size_t>(1024, m_slots.size() * 2), 0);
        old.swap(m_slots);
        for (uint64_t slot : old)
            if (slot) Place(static_cast<uint32_t>(slot >> 32) - 1);
    }
    Place(key);
}

void CExportIndex::Place(uint32_t key) {
    const size_t mask = m_slots.size() - 1;
    size_t i = keys[key].hash & mask;
    while (m_slots[i]) i = (i + 1) & mask;
    m_slots[i] = (uint64_t{key} + 1) << 32 | (keys[key].hash >> 32);
}

std::vector<uint64_t> CExportIndex::ListingsOf(uint32_t key) const {
    std::vector<uint64_t> offsets;
    if (!(keys[key].flags & KEY_LISTED)) return offsets;
    for (uint32_t more = keys[key].more; more != kNoKey; more = m_more[more].previous) offsets.push_back(m_more[more].offset);
    offsets.push_back(keys[key].offset);
    std::reverse(offsets.begin(), offsets.end());
    return offsets;
}

void CExportIndex::Key(std::u16string_view path, uint64_t offset) {
    EndSection();
    if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);  // harmless on import
    // The hash of each leading part of the path, each one seeded with the one before: the
    // whole path is hashed once, however deep it goes.
    m_fold.resize(path.size());
    for (size_t i = 0; i < path.size(); ++i) m_fold[i] = Fold(path[i]);
    m_prefix.clear();
    uint64_t hash = kPathSeed;
    for (size_t start = 0;;) {
        const size_t stop = std::min(m_fold.find(u'\\', start), m_fold.size());
        hash = HashBytes(m_fold.data() + start, (stop - start) * sizeof(char16_t), hash);
        m_prefix.push_back(hash);
        if (stop == m_fold.size()) break;
        start = stop + 1;
    }
    // Exports walk the tree depth first: the levels the last key line shares with this one
    // are known, and only the others are looked up (and added, when only named here).
    size_t common = 0;
    while (common < m_prefix.size() && common < m_levels.size() && m_levels[common].hash == m_prefix[common]) ++common;
    m_levels.resize(common);
    for (size_t level = common; level < m_prefix.size(); ++level) {
        uint32_t key = Find(m_prefix[level]);
        if (key == kNoKey) {
            key = static_cast<uint32_t>(keys.size());
            keys.push_back({m_prefix[level], 0, offset, level ? m_levels[level - 1].key : kNoKey, kNoKey, kNoKey,
                            static_cast<uint8_t>(level ? 0 : KEY_ROOT)});
            Insert(key);
        }
        m_levels.push_back({m_prefix[level], key});
    }
    m_current = m_levels.back().key;
    ExportKey& key = keys[m_current];
    if (key.flags & KEY_LISTED) {
        m_more.push_back({offset, key.more});
        key.more = static_cast<uint32_t>(m_more.size() - 1);
    } else {
        key.flags |= KEY_LISTED;
        key.offset = offset;
        ++m_listed;
    }
}

void CExportIndex::KeyClosed() { EndSection(); }

void CExportIndex::Value(const ExportValue& value) {
    if (m_current == kNoKey) return;
    m_fold.resize(value.name.size());
    for (size_t i = 0; i < value.name.size(); ++i) m_fold[i] = Fold(value.name[i]);
    const uint64_t name = HashBytes(m_fold.data(), m_fold.size() * sizeof(char16_t), kNameSeed);
    const uint64_t parts[3] = {name, value.type, HashBytes(value.data, value.size, kDataSeed)};
    m_values.push_back({name, value.removed ? 0 : HashBytes(parts, sizeof parts, kValueSeed), value.removed});
}

// The digest of a key listed once: the sum of its values' hashes, so that their order does not
// count; a value named twice counts by its last line, a deleted one not at all. A key listed
// again is compared by reading all its listings, so its digest is never used.
void CExportIndex::EndSection() {
    if (m_current == kNoKey) return;
    uint64_t digest = 0;
    const bool sorted = m_values.size() > 16;
    if (sorted)
        std::stable_sort(m_values.begin(), m_values.end(), [](const ValueHash& a, const ValueHash& b) { return a.name < b.name; });
    for (size_t i = 0; i < m_values.size(); ++i) {
        bool replaced = false;  // by a later line of the same name
        for (size_t j = i + 1; j < m_values.size() && !replaced && (!sorted || j == i + 1); ++j)
            replaced = m_values[j].name == m_values[i].name;
        if (!replaced && !m_values[i].removed) digest += m_values[i].value;
    }
    if (keys[m_current].more == kNoKey) keys[m_current].digest = digest;
    m_values.clear();
    m_current = kNoKey;
}
