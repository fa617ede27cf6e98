#include "ExportIndex.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Folds n units into out: ASCII 8 units a step, the rest one by one.
void Fold(const char16_t* p, size_t n, char16_t* out) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi16(u'a' - 1), z = _mm_set1_epi16(u'z' + 1), ascii = _mm_set1_epi16(0x7F);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // Signed comparisons: units from 0x8000 up are negative, so they too take the slow way.
        if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi16(v, ascii), _mm_cmplt_epi16(v, _mm_setzero_si128())))) break;
        const __m128i small = _mm_and_si128(_mm_cmpgt_epi16(v, a), _mm_cmplt_epi16(v, z));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_sub_epi16(v, _mm_and_si128(small, _mm_set1_epi16(32))));
    }
#endif
    for (; i < n; ++i)
        out[i] =
            p[i] < 0x80 ? (p[i] >= u'a' && p[i] <= u'z' ? static_cast<char16_t>(p[i] - 32) : p[i]) : FoldCase(p[i]);
}

// How many units a and b have the same at their start, of n: 8 units a step.
size_t SameLength(const char16_t* a, const char16_t* b, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        const __m128i same = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
        if (const int differ = ~_mm_movemask_epi8(same) & 0xFFFF)
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(differ))) / 2;
    }
#endif
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

}  // namespace

bool CExportIndex::Build(CExportLines& reader, uint64_t bytes, AnsiDecoder decode, void* context) {
    // Room for what an export of that size holds (a key a few hundred bytes, two values a key),
    // taken only as it is used: nothing is copied as the lists grow.
    keys.reserve(static_cast<size_t>(bytes / 256));
    m_sections.reserve(static_cast<size_t>(bytes / 512));
    m_values.reserve(static_cast<size_t>(bytes / 192));
    CExportParser parser(*this, reader.Format(), decode, context);
    const char16_t* text;
    size_t length;
    uint64_t offset;
    while (reader.Next(text, length, offset)) parser.Line(text, length, offset);
    if (reader.ReadFailed() || reader.Stopped()) return false;
    parser.End();
    m_lastLineCut = parser.LastLineCut();
    EndSection();
    MergeAndHash();
    DigestListedAgain();
    std::vector<ValueHash>().swap(m_values);
    std::vector<Section>().swap(m_sections);
    return true;
}

// While reading, a key is added wherever the walk meets it outside the levels of the key line
// before (a key listed again elsewhere, a parent named again after another branch), with no
// look-up: a look-up there would wait on memory for each key line. Here the keys go into the
// table in order, with the slot of a key further on fetched ahead, and a key met again is
// merged into its first place, taking its listings.
void CExportIndex::MergeAndHash() {
    size_t slots = 1024;
    while (slots < keys.size() * 3 / 2) slots *= 2;  // at most two thirds full
    m_slots.assign(slots, 0);
    std::vector<uint32_t> to(keys.size());
    uint32_t kept = 0;
    for (uint32_t i = 0; i < keys.size(); ++i) {
        if (i + 16 < keys.size()) Prefetch(keys[i + 16].hash);
        ExportKey key = keys[i];
        if (key.parent != kNoKey) key.parent = to[key.parent];
        const uint32_t first = Find(key.hash);
        if (first == kNoKey) {
            keys[kept] = key;
            Place(kept);
            to[i] = kept++;
            continue;
        }
        to[i] = first;
        ExportKey& into = keys[first];
        if (!(key.flags & KEY_LISTED)) continue;
        if (!(into.flags & KEY_LISTED)) {
            into.flags |= KEY_LISTED;
            into.offset = key.offset;
            into.more = key.more;
            into.digest = key.digest;
            into.values = key.values;
            continue;
        }
        // Its listings follow those of the first: the oldest of them now comes after the first's last.
        m_more.push_back({key.offset, into.more});
        uint32_t oldest = key.more;
        while (oldest != kNoKey && m_more[oldest].previous != kNoKey) oldest = m_more[oldest].previous;
        if (oldest != kNoKey) m_more[oldest].previous = static_cast<uint32_t>(m_more.size() - 1);
        into.more = key.more != kNoKey ? key.more : static_cast<uint32_t>(m_more.size() - 1);
    }
    keys.resize(kept);
    for (Section& section : m_sections) section.key = to[section.key];
    m_listed = static_cast<size_t>(
        std::count_if(keys.begin(), keys.end(), [](const ExportKey& k) { return k.flags & KEY_LISTED; }));
}

// A key listed more than once has the values of all its listings, each by its last line.
void CExportIndex::DigestListedAgain() {
    struct Record {
        uint32_t key;
        uint64_t name;
        size_t section;
        uint64_t value;
    };
    // Counted first: the records of a large export are many, and a growing vector copies them.
    size_t count = 0;
    for (size_t section = 0; section < m_sections.size(); ++section)
        if (keys[m_sections[section].key].more != kNoKey)
            count += (section + 1 < m_sections.size() ? m_sections[section + 1].begin : m_values.size()) -
                     m_sections[section].begin;
    std::vector<Record> records;
    records.reserve(count);
    for (size_t section = 0; section < m_sections.size(); ++section) {
        const uint32_t key = m_sections[section].key;
        if (keys[key].more == kNoKey) continue;
        const size_t end = section + 1 < m_sections.size() ? m_sections[section + 1].begin : m_values.size();
        for (size_t i = m_sections[section].begin; i < end; ++i)
            records.push_back({key, m_values[i].name, section, m_values[i].value});
        keys[key].digest = keys[key].values = 0;
    }
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return a.key != b.key ? a.key < b.key : a.name != b.name ? a.name < b.name : a.section < b.section;
    });
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        if (i + 1 < records.size() && records[i + 1].key == r.key && records[i + 1].name == r.name) continue;
        keys[r.key].digest += r.value;
        if (r.value && keys[r.key].values < kManyValues) ++keys[r.key].values;
        if (m_namedKeys.empty() || m_namedKeys.back().first != r.key)
            m_namedKeys.emplace_back(r.key, static_cast<uint32_t>(m_named.size()));
        m_named.push_back({r.name, r.value, m_sections[r.section].offset});
    }
}

std::pair<const NamedValue*, const NamedValue*> CExportIndex::ValuesOf(uint32_t key) const {
    const auto it = std::lower_bound(m_namedKeys.begin(), m_namedKeys.end(), std::make_pair(key, uint32_t{0}));
    if (it == m_namedKeys.end() || it->first != key) return {nullptr, nullptr};
    const size_t end = it + 1 == m_namedKeys.end() ? m_named.size() : (it + 1)->second;
    return {m_named.data() + it->second, m_named.data() + end};
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

void CExportIndex::Prefetch(uint64_t hash) const {
#if defined(__GNUC__)
    if (!m_slots.empty()) __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
#else
    (void)hash;
#endif
}

void CExportIndex::Place(uint32_t key) {
    const size_t mask = m_slots.size() - 1;
    size_t i = keys[key].hash & mask;
    while (m_slots[i]) i = (i + 1) & mask;
    m_slots[i] = (static_cast<uint64_t>(key) + 1) << 32 | (keys[key].hash >> 32);
}

std::vector<uint64_t> CExportIndex::ListingsOf(uint32_t key) const {
    std::vector<uint64_t> offsets;
    if (!(keys[key].flags & KEY_LISTED)) return offsets;
    for (uint32_t more = keys[key].more; more != kNoKey; more = m_more[more].previous)
        offsets.push_back(m_more[more].offset);
    offsets.push_back(keys[key].offset);
    std::reverse(offsets.begin(), offsets.end());
    return offsets;
}

void CExportIndex::Key(std::u16string_view path, uint64_t offset) {
    EndSection();
    if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);  // harmless on import
    // Exports walk the tree depth first: this key line mostly repeats the last one's leading
    // parts. Those whose text is the same, up to a backslash of both, keep their levels (and
    // hashes); the rest are folded and hashed, each part seeded with the hash of the one before.
    const size_t same = SameLength(path.data(), m_lastPath.data(), std::min(path.size(), m_lastPath.size()));
    size_t common = 0;
    while (common < m_levels.size() && m_levels[common].end <= same &&
           (m_levels[common].end == path.size() || path[m_levels[common].end] == u'\\'))
        ++common;
    m_lastPath.assign(path);
    size_t start = common ? m_levels[common - 1].end + 1 : 0;
    uint64_t hash = common ? m_levels[common - 1].hash : kPathSeed;
    const size_t folded = std::min(start, path.size());  // where m_fold starts in the path
    m_fold.resize(path.size() - folded);
    Fold(path.data() + folded, path.size() - folded, m_fold.data());
    // The parts that differ in text may still name the same keys in another letter case.
    size_t level = common;
    for (; start <= path.size(); ++level) {
        const size_t stop = std::min(path.find(u'\\', start), path.size());
        hash = HashBytes(m_fold.data() + (start - folded), (stop - start) * sizeof(char16_t), hash);
        if (level < m_levels.size() && m_levels[level].hash == hash) {
            m_levels[level].end = stop;
        } else {
            m_levels.resize(level);
            m_levels.push_back({hash, static_cast<uint32_t>(keys.size()), stop});
            keys.push_back({hash, 0, offset, level ? m_levels[level - 1].key : kNoKey, kNoKey, kNoKey,
                            static_cast<uint8_t>(level ? 0 : KEY_ROOT)});
        }
        start = stop + 1;
    }
    m_levels.resize(level);
    m_current = m_levels.back().key;
    m_sections.push_back({m_current, static_cast<uint32_t>(m_values.size()), offset});
    ExportKey& key = keys[m_current];
    if (key.flags & KEY_LISTED) {
        m_more.push_back({offset, key.more});
        key.more = static_cast<uint32_t>(m_more.size() - 1);
    } else {
        key.flags |= KEY_LISTED;
        key.offset = offset;
    }
}

void CExportIndex::KeyClosed() { EndSection(); }

NamedValue HashValue(const ExportValue& value, std::u16string& fold) {
    fold.resize(value.name.size());
    Fold(value.name.data(), value.name.size(), fold.data());
    const uint64_t name = HashBytes(fold.data(), fold.size() * sizeof(char16_t), kNameSeed);
    const uint64_t parts[3] = {name, value.type, HashBytes(value.data, value.size, kDataSeed)};
    return {name, value.removed ? 0 : HashBytes(parts, sizeof parts, kValueSeed), 0};
}

void CExportIndex::Value(const ExportValue& value) {
    if (m_current == kNoKey) return;
    const NamedValue hashed = HashValue(value, m_fold);
    m_values.push_back({hashed.name, hashed.value});
}

// The digest of a listing: the sum of its values' hashes, so that their order does not count;
// a value named twice counts by its last line, a deleted one not at all. The listing keeps
// each name once, for a key listed again (Build).
void CExportIndex::EndSection() {
    if (m_current == kNoKey) return;
    const auto first = m_values.begin() + static_cast<std::ptrdiff_t>(m_sections.back().begin);
    const bool sorted = m_values.end() - first > 32;
    if (sorted)
        std::stable_sort(first, m_values.end(), [](const ValueHash& a, const ValueHash& b) { return a.name < b.name; });
    auto kept = first;
    for (auto it = first; it != m_values.end(); ++it) {
        bool replaced = false;  // by a later line of the same name
        for (auto later = it + 1; later != m_values.end() && !replaced && (!sorted || later == it + 1); ++later)
            replaced = later->name == it->name;
        if (!replaced) *kept++ = *it;
    }
    m_values.erase(kept, m_values.end());
    keys[m_current].digest = 0;
    for (auto it = first; it != m_values.end(); ++it) keys[m_current].digest += it->value;
    const auto held = std::count_if(first, m_values.end(), [](const ValueHash& v) { return v.value != 0; });
    keys[m_current].values = static_cast<uint16_t>(std::min<std::ptrdiff_t>(held, kManyValues));
    m_current = kNoKey;
}
