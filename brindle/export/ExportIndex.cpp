#include "ExportIndex.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A 64-bit hash of the kind of xxHash64: one multiply-rotate-multiply round per 8 bytes, in
// two lanes that do not wait for each other, the last bytes read as whole words, and a final
// avalanche; fast enough to hash every name and every byte of data of both files.
constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full, kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPathSeed = 1, kNameSeed = 2, kDataSeed = 3, kValueSeed = 4;

uint64_t Round(uint64_t acc, uint64_t word) {
    acc += word * kPrime2;
    acc = (acc << 31) | (acc >> 33);
    return acc * kPrime1;
}

template <typename Word>
Word Load(const unsigned char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The last 1 to 16 bytes of p (none of none) as two words, the ones in the middle perhaps twice.
void LastWords(const unsigned char* p, size_t left, uint64_t& low, uint64_t& high) {
    low = high = 0;
    if (left > 8) {
        low = Load<uint64_t>(p);
        high = Load<uint64_t>(p + left - 8);
    } else if (left >= 4) {
        low = Load<uint32_t>(p) | uint64_t{Load<uint32_t>(p + left - 4)} << 32;
    } else if (left > 0) {
        low = p[0] | uint64_t{p[left / 2]} << 8 | uint64_t{p[left - 1]} << 16;
    }
}

// Takes n bytes into the two lanes a and b.
void Take(uint64_t& a, uint64_t& b, const void* data, size_t n) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    size_t left = n;
    for (; left > 16; p += 16, left -= 16) {
        a = Round(a, Load<uint64_t>(p));
        b = Round(b, Load<uint64_t>(p + 8));
    }
    uint64_t low, high;
    LastWords(p, left, low, high);
    a = Round(a, low);
    b = Round(b, high ^ (uint64_t{left} << 59));
}

// The two lanes made one, with a final avalanche.
uint64_t Finish(uint64_t a, uint64_t b) {
    uint64_t acc = Round(a, b);
    acc ^= acc >> 33;
    acc *= kPrime2;
    acc ^= acc >> 29;
    acc *= kPrime3;
    return acc ^ (acc >> 32);
}

uint64_t HashBytes(const void* data, size_t n, uint64_t seed) {
    uint64_t a = seed * kPrime3 + n, b = (seed ^ n) * kPrime1;
    Take(a, b, data, n);
    return Finish(a, b);
}

// Folds p[from, to) into out, one by one.
void FoldEach(const char16_t* p, size_t from, size_t to, char16_t* out) {
    for (size_t i = from; i < to; ++i)
        out[i] =
            p[i] < 0x80 ? (p[i] >= u'a' && p[i] <= u'z' ? static_cast<char16_t>(p[i] - 32) : p[i]) : FoldCase(p[i]);
}

#if defined(__SSE2__)
// Whether any of 8 units is one that FoldCase may change other than an ASCII letter: from 0x80
// to 0x45F (Latin-1, Latin Extended-A, Greek, Cyrillic) or a fullwidth letter from 0xFF41. Any
// other unit, a Chinese character most of all, is its own fold.
bool FoldsApart(__m128i v) {
    // A unit from 0x80 up, with 0x7F80 added (at most 0xFFFF), has its top bit set.
    if (!(_mm_movemask_epi8(_mm_adds_epu16(v, _mm_set1_epi16(0x7F80))) & 0xAAAA)) return false;
    const __m128i zero = _mm_setzero_si128();
    const __m128i nearLatin =
        _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, _mm_set1_epi16(0x80)), _mm_set1_epi16(0x45F - 0x80)), zero);
    const __m128i belowFullwidth = _mm_cmpeq_epi16(_mm_subs_epu16(v, _mm_set1_epi16(0xFF40)), zero);
    return _mm_movemask_epi8(nearLatin) | (_mm_movemask_epi8(belowFullwidth) ^ 0xFFFF);
}
#endif

// Folds n units into out: 8 units a step where none of the 8 folds apart (the last 8 perhaps
// with some folded again), the others one by one.
void Fold(const char16_t* p, size_t n, char16_t* out) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (FoldsApart(v)) FoldEach(p, i, i + 8, out);
        else _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), FoldAscii8(v));
    }
    if (i < n && n >= 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 8));
        if (!FoldsApart(v)) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 8), FoldAscii8(v));
            return;
        }
    }
#endif
    FoldEach(p, i, n, out);
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

// Where the next backslash is in p[from, n), or n: 8 units a step.
size_t FindBackslash(const char16_t* p, size_t from, size_t n) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i slash = _mm_set1_epi16(u'\\');
    for (; i + 8 <= n; i += 8)
        if (const int found =
                _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), slash)))
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(found))) / 2;
#endif
    while (i < n && p[i] != u'\\') ++i;
    return i;
}

constexpr uint32_t kIdBits = 27, kIdMask = (1u << kIdBits) - 1;
constexpr uint32_t kNoSection = 0xFFFFFFFFu;  // Pending::section of a key line without values
constexpr size_t kBatch = 256;                // key lines placed at a time
constexpr uint64_t kSample = 4ull << 20;      // read before the sizes for the whole file are guessed
constexpr size_t kAhead = 32;                 // look-ups asked for ahead

uint32_t Tag(uint64_t hash) { return static_cast<uint32_t>(hash >> 59) << kIdBits; }

// Asks for the cache line at p, to be there when it is read. GCC counts __builtin_prefetch as
// having no effect: a function that otherwise only reads (PrefetchHash) became one without
// effect, and each call of it was dropped. An asm it must keep.
void AskFor(const void* p) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __asm__ volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#elif defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

}  // namespace

bool CExportIndex::Build(CExportLines& reader, uint64_t bytes, AnsiDecoder decode, void* context) {
    m_bytes = bytes;
    m_slots.assign(1 << 12, 0);
    CExportParser parser(*this, reader.Format(), decode, context);
    const char16_t* text;
    size_t length;
    uint64_t offset;
    // Lines of no units do nothing on import (nor blanks alone, which the parser passes over).
    while (reader.NextNotEmpty(text, length, offset)) parser.Line(text, length, offset);
    if (reader.ReadFailed() || reader.Stopped()) return false;
    parser.End();
    m_lastLineCut = parser.LastLineCut();
    EndSection();
    Flush();
    DigestListedAgain();
    std::vector<ValueHash>().swap(m_values);
    std::vector<Section>().swap(m_sections);
    std::vector<Pending>().swap(m_pending);
    std::vector<uint64_t>().swap(m_newHashes);
    return true;
}

// Once a few megabytes are read, the rest of the file is taken to hold the same: room for
// that many keys, key lines and values is asked for once, and the table made that big, so
// that nothing is copied or placed again as they grow. Memory asked for and not used is never
// touched.
void CExportIndex::Project(uint64_t at, size_t needed, size_t placed) {
    m_projected = true;
    const double more = static_cast<double>(m_bytes) / static_cast<double>(at) * 1.1;
    const auto scaled = [more](size_t n) { return static_cast<size_t>(static_cast<double>(n) * more) + kBatch; };
    m_hash.reserve(scaled(needed));
    m_parent.reserve(scaled(m_parent.size()));
    m_groups.reserve(scaled(needed) / 64 + 1);
    m_keys.reserve(scaled(m_keys.size()));
    m_sections.reserve(scaled(m_sections.size()));
    m_values.reserve(scaled(m_values.size()));
    const size_t slots = scaled(placed) * 10 / 7;  // seven tenths full
    if (slots > m_slots.size()) Rehash(slots);
}

void CExportIndex::Rehash(size_t slots) {
    std::vector<uint32_t>().swap(m_slots);
    m_slots.assign(slots, 0);
    m_placed = 0;
    PlaceFrom(0);
}

// The key lines of a batch, looked up level by level across the whole batch: each line's first
// level it does not share with the line before (a key met again elsewhere, a parent named again
// after another branch), then the next level of each line whose level was there, and so on.
// Below a level the index lacks, it lacks every level too (a key comes with the keys above
// it), so those are not looked up, and not asked for ahead: in exports in no order most levels
// are new, and asking for their slots kept the memory busy for nothing.
//
// A key added below the key just added on its line (in exports in no order, most keys) is not
// in the table: it is the key after its parent, and found there, by its hash, once its parent
// is. The table holds the others, a key or two a line, and is that much smaller.
//
// The lines then go in order, which numbers the keys as the export first names them: each
// level is the key found, or else one the batch added before (a small table of the batch's
// own), or the key after its parent, or new; below a key just added every level is new. A
// level the rounds did not reach, under a key found in the table (the key after its parent),
// is looked up there now. The keys a batch adds go into the table after it.
void CExportIndex::Flush() {
    if (m_pending.empty()) return;
    const size_t needed = m_hash.size() + m_newHashes.size(), placing = m_placed + m_newHashes.size();
    if (!m_projected && m_pending.back().offset >= kSample) Project(m_pending.back().offset, needed, placing);
    if (placing + 1 > m_slots.size() * 3 / 4) Rehash(std::max(m_slots.size() * 2, placing * 10 / 7));
    if (needed >= kIdMask) throw std::length_error("too many keys");
    const uint32_t firstAdded = Count();
    m_found.assign(m_newHashes.size(), kNoKey);
    m_round.clear();
    for (const Pending& line : m_pending)
        if (line.count) m_round.push_back({line.first, line.first + line.count, kNoKey});
    while (!m_round.empty()) {
        m_nextRound.clear();
        const size_t n = m_round.size();
        for (size_t i = 0; i < kAhead && i < n; ++i) Prefetch(m_newHashes[m_round[i].level]);
        for (size_t i = 0; i < n; ++i) {
            if (i + kAhead < n) Prefetch(m_newHashes[m_round[i + kAhead].level]);
            if (i + kAhead / 2 < n) PrefetchHash(m_newHashes[m_round[i + kAhead / 2].level]);
            Round at = m_round[i];
            uint32_t key = Find(m_newHashes[at.level]);
            if (key == kNoKey) key = After(at.parent, m_newHashes[at.level]);
            if (key == kNoKey) continue;
            m_found[at.level] = key;
            // The levels below that are the keys after their parents (a path the index added
            // at once): each found by the hash beside its parent's, just read, in this round.
            for (uint32_t next; at.level + 1 < at.end && (next = After(key, m_newHashes[at.level + 1])) != kNoKey;)
                m_found[++at.level] = key = next;
            if (at.level + 1 < at.end) m_nextRound.push_back({at.level + 1, at.end, key});
            else AskFor(&m_groups[key >> 6]);  // its line lists a key the index has: its record is looked at
        }
        m_round.swap(m_nextRound);
    }
    // Then the records of those keys, once their groups are there (of keys far back, mostly).
    for (const Pending& line : m_pending)
        if (line.count && m_found[line.first + line.count - 1] != kNoKey)
            if (const ListedKey* listed = Listed(m_found[line.first + line.count - 1])) AskFor(listed);
    size_t local = 64;
    while (local < m_newHashes.size() * 2) local *= 2;
    m_batch.assign(local, 0);
    m_placing.clear();  // the keys the batch adds that go into the table
    // A key the batch adds, at its empty slot in the batch's table.
    const auto add = [this](uint64_t hash, size_t at) {
        const uint32_t key = Count();
        m_batch[at] = key + 1;
        m_hash.push_back(hash);
        if (key % 64 == 0) {
            KeyGroup& group = m_groups.emplace_back();
            group.atBirth = group.later = group.below = 0;
            group.before = static_cast<uint32_t>(m_keys.size());
            group.parentsBefore = static_cast<uint32_t>(m_parent.size());
        }
        return key;
    };
    for (const Pending& line : m_pending) {
        m_ids.resize(line.common);
        bool below = false;   // below a key just added
        bool reached = true;  // the rounds looked this level up
        uint32_t i = line.first;
        const uint32_t end = line.first + line.count;
        for (; i < end && !below; ++i) {
            const uint64_t hash = m_newHashes[i];
            const uint32_t parent = m_ids.empty() ? kNoKey : m_ids.back();
            uint32_t key = kNoKey;
            if (reached) {
                key = m_found[i];
                reached = key != kNoKey;
            } else if (parent < firstAdded) {
                key = Find(hash);
            }
            size_t at = static_cast<size_t>(hash >> 32) & (local - 1);
            if (key == kNoKey)
                for (; m_batch[at]; at = (at + 1) & (local - 1))
                    if (m_hash[m_batch[at] - 1] == hash) {
                        key = m_batch[at] - 1;
                        break;
                    }
            if (key == kNoKey) key = After(parent, hash);
            if (key == kNoKey) {
                key = add(hash, at);
                m_parent.push_back(parent);
                m_placing.push_back(key);
                below = true;
            }
            m_ids.push_back(key);
        }
        // Below a key just added, every level is new, its parent the key before: kept as a bit.
        for (; i < end; ++i) {
            const uint64_t hash = m_newHashes[i];
            size_t at = static_cast<size_t>(hash >> 32) & (local - 1);
            while (m_batch[at]) at = (at + 1) & (local - 1);
            const uint32_t key = add(hash, at);
            m_groups.back().below |= uint64_t{1} << (key % 64);
            m_ids.push_back(key);
        }
        if (line.section != kNoSection) m_sections[line.section].key = m_ids.back();
        AddListing(m_ids.back(), m_ids.size() == 1, line.offset, line.digest, line.values);
    }
    Place();
    m_pending.clear();
    m_newHashes.clear();
}

// Puts the keys from `first` on into the table, but those below the key before them.
void CExportIndex::PlaceFrom(uint32_t first) {
    m_placing.clear();
    for (uint32_t key = first; key < Count(); ++key)
        if (!(m_groups[key >> 6].below & (uint64_t{1} << (key & 63)))) m_placing.push_back(key);
    Place();
}

// Puts the keys of m_placing into the table, each slot asked for ahead.
void CExportIndex::Place() {
    for (size_t i = 0; i < m_placing.size(); ++i) {
        if (i + kAhead < m_placing.size()) Prefetch(m_hash[m_placing[i + kAhead]]);
        const uint32_t key = m_placing[i];
        size_t slot = Home(m_hash[key]);
        while (m_slots[slot]) slot = slot + 1 == m_slots.size() ? 0 : slot + 1;
        m_slots[slot] = Tag(m_hash[key]) | (key + 1);
    }
    m_placed += m_placing.size();
}

void CExportIndex::AddListing(uint32_t key, bool root, uint64_t offset, uint64_t digest, uint16_t values) {
    ListedKey* known = ListedRecord(key);
    if (!known) {
        // The newest key is the one this line added (the line before listed its own newest).
        KeyGroup& group = m_groups[key / 64];
        const uint64_t bit = uint64_t{1} << (key % 64);
        ListedKey* record;
        if (key + 1 == Count()) {
            group.atBirth |= bit;
            record = &m_keys.emplace_back();
        } else {
            group.later |= bit;
            AddLater(key, static_cast<uint32_t>(m_later.size()));
            record = &m_later.emplace_back();
        }
        ListedKey& listed = *record;
        listed.digest = digest;
        listed.offsetLow = static_cast<uint32_t>(offset);
        listed.values = values;
        listed.offsetHigh = static_cast<uint8_t>(offset >> 32);
        listed.flags = static_cast<uint8_t>(root ? KEY_ROOT : 0);
        return;
    }
    // Listed again: the digest is of all its listings, made once the file is read
    // (DigestListedAgain); meanwhile it holds the key's last further listing in m_more.
    ListedKey& listed = *known;
    if (!(listed.flags & KEY_LISTED_AGAIN)) {
        listed.flags |= KEY_LISTED_AGAIN;
        listed.digest = kNoKey;
        m_moreOf.emplace_back(key, kNoKey);
    }
    m_more.push_back({offset, static_cast<uint32_t>(listed.digest)});
    listed.digest = m_more.size() - 1;
}

void CExportIndex::AddLater(uint32_t key, uint32_t record) {
    if ((record + 1) * 2 > m_laterAt.size()) {  // at most half full
        std::vector<uint64_t> slots(std::max<size_t>(64, m_laterAt.size() * 2));
        slots.swap(m_laterAt);
        for (uint64_t slot : slots)
            if (slot) AddLater(static_cast<uint32_t>((slot >> 32) - 1), static_cast<uint32_t>(slot));
    }
    size_t i = LaterSlot(key);
    while (m_laterAt[i]) i = (i + 1) & (m_laterAt.size() - 1);
    m_laterAt[i] = ((static_cast<uint64_t>(key) + 1) << 32) | record;
}

// A key listed more than once has the values of all its listings, each by its last line.
void CExportIndex::DigestListedAgain() {
    if (m_moreOf.empty()) return;
    // Each such key's last further listing, from its digest, which the values then make again.
    std::sort(m_moreOf.begin(), m_moreOf.end());
    // Which keys those are, a bit a key: the sections' keys come in any order.
    std::vector<bool> again(m_hash.size());
    for (auto& [key, last] : m_moreOf) {
        ListedKey& listed = *ListedRecord(key);
        last = static_cast<uint32_t>(listed.digest);
        listed.digest = listed.values = 0;
        again[key] = true;
    }
    const auto end = [this](size_t section) {
        return section + 1 < m_sections.size() ? m_sections[section + 1].begin : m_values.size();
    };
    // Their listings, key by key and each key's in the file's order: sorted by the key's number
    // a few bits a pass, each pass keeping the order the listings come in. Then each key's values
    // are taken together, where they lie close, and not looked for in a table of all of them.
    std::vector<uint64_t> listings;  // the key << 32 | the section
    for (size_t section = 0; section < m_sections.size(); ++section)
        if (again[m_sections[section].key])
            listings.push_back(uint64_t{m_sections[section].key} << 32 | static_cast<uint32_t>(section));
    std::vector<bool>().swap(again);
    {
        constexpr int kBits = 11;
        std::vector<uint64_t> sorted(listings.size());
        std::vector<uint32_t> count(size_t{1} << kBits);
        for (int shift = 32; (m_hash.size() - 1) >> (shift - 32); shift += kBits) {
            std::fill(count.begin(), count.end(), 0);
            for (uint64_t l : listings) ++count[(l >> shift) & (count.size() - 1)];
            uint32_t at = 0;
            for (uint32_t& c : count) at += std::exchange(c, at);
            for (uint64_t l : listings) sorted[count[(l >> shift) & (count.size() - 1)]++] = l;
            listings.swap(sorted);
        }
    }
    // Each value once, by its last listing; of one name in one listing (none is), the first.
    std::vector<NamedValue> named;
    const auto byLast = [&named] {
        const auto byName = [](const NamedValue& a, const NamedValue& b) { return a.name < b.name; };
        if (named.size() > 32) {
            std::stable_sort(named.begin(), named.end(), byName);
        } else {  // most keys: a few values, sorted in place, without the room stable_sort asks for
            for (size_t i = 1; i < named.size(); ++i)
                for (size_t j = i; j > 0 && byName(named[j], named[j - 1]); --j) std::swap(named[j], named[j - 1]);
        }
        size_t kept = 0;
        for (size_t i = 0; i < named.size();) {
            NamedValue last = named[i];
            for (++i; i < named.size() && named[i].name == last.name; ++i)
                if (named[i].listing > last.listing) last = named[i];
            named[kept++] = last;
        }
        named.resize(kept);
    };
    for (size_t i = 0; i < listings.size();) {
        const uint32_t key = static_cast<uint32_t>(listings[i] >> 32);
        named.clear();
        for (size_t held = 0; i < listings.size() && listings[i] >> 32 == key; ++i) {
            // The listings lie anywhere: each one's section asked for 16 ahead, its values 8 ahead.
            if (i + 16 < listings.size()) AskFor(&m_sections[static_cast<uint32_t>(listings[i + 16])]);
            if (i + 8 < listings.size()) AskFor(&m_values[m_sections[static_cast<uint32_t>(listings[i + 8])].begin]);
            const size_t section = static_cast<uint32_t>(listings[i]);
            const Section& listing = m_sections[section];
            for (size_t v = listing.begin; v < end(section); ++v)
                named.push_back({m_values[v].name, m_values[v].value, listing.offset});
            // A key listed thousands of times has many values and few names: held to those now and then.
            if (named.size() > 2 * held + 1024) {
                byLast();
                held = named.size();
            }
        }
        byLast();
        if (named.empty()) continue;
        ListedKey& listed = *ListedRecord(key);
        m_namedKeys.emplace_back(key, static_cast<uint32_t>(m_named.size()));
        for (const NamedValue& n : named) {
            listed.digest += n.value;
            if (n.value && listed.values < kManyValues) ++listed.values;
        }
        m_named.insert(m_named.end(), named.begin(), named.end());
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
    const uint32_t tag = Tag(hash);
    for (size_t i = Home(hash);; i = i + 1 == m_slots.size() ? 0 : i + 1) {
        const uint32_t slot = m_slots[i];
        if (slot == 0) return kNoKey;
        if ((slot & ~kIdMask) == tag && m_hash[(slot & kIdMask) - 1] == hash) return (slot & kIdMask) - 1;
    }
}

void CExportIndex::Prefetch(uint64_t hash) const {
    if (!m_slots.empty()) AskFor(&m_slots[Home(hash)]);
}

void CExportIndex::PrefetchHash(uint64_t hash) const {
    if (m_slots.empty()) return;
    const uint32_t tag = Tag(hash);
    for (size_t i = Home(hash), n = 0; n < 4 && i < m_slots.size() && m_slots[i]; ++i, ++n)
        if ((m_slots[i] & ~kIdMask) == tag) {
            AskFor(&m_hash[(m_slots[i] & kIdMask) - 1]);
            return;
        }
}

std::vector<uint64_t> CExportIndex::ListingsOf(uint32_t key) const {
    std::vector<uint64_t> offsets;
    const ListedKey* listed = Listed(key);
    if (!listed) return offsets;
    if (listed->flags & KEY_LISTED_AGAIN)
        for (uint32_t more =
                 std::lower_bound(m_moreOf.begin(), m_moreOf.end(), std::make_pair(key, uint32_t{0}))->second;
             more != kNoKey; more = m_more[more].previous)
            offsets.push_back(m_more[more].offset);
    offsets.push_back(listed->Offset());
    std::reverse(offsets.begin(), offsets.end());
    return offsets;
}

void CExportIndex::Key(std::u16string_view path, uint64_t offset) {
    EndSection();
    if (m_pending.size() == kBatch) Flush();
    if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);  // harmless on import
    // Exports walk the tree depth first: this key line mostly repeats the last one's leading
    // parts. Those whose folded text is the same, up to a backslash of both, keep their levels
    // (and hashes); the rest are hashed, each part taken on from the lanes of the one before. The
    // path is folded whole (eight units a step) into the buffer the last one's is not in.
    m_fold.Clear();
    Fold(path.data(), path.size(), m_fold.Extend(path.size()));
    const std::u16string_view folded = m_fold.View();
    const size_t same = SameLength(folded.data(), m_lastPath.Data(), std::min(folded.size(), m_lastPath.Size()));
    size_t common = 0;
    while (common < m_levels.size() && m_levels[common].end <= same &&
           (m_levels[common].end == folded.size() || folded[m_levels[common].end] == u'\\'))
        ++common;
    size_t start = common ? m_levels[common - 1].end + 1 : 0;
    // The path's lanes go on from part to part; each level's hash is finished from them on the
    // side, so that the next part does not wait for the avalanche.
    uint64_t a = common ? m_levels[common - 1].a : kPathSeed * kPrime3;
    uint64_t b = common ? m_levels[common - 1].b : kPathSeed * kPrime1;
    const uint32_t first = static_cast<uint32_t>(m_newHashes.size());
    m_levels.resize(common);
    while (start <= folded.size()) {
        const size_t stop = FindBackslash(folded.data(), start, folded.size());
        const size_t bytes = (stop - start) * sizeof(char16_t);
        a += bytes;  // where the part ends
        Take(a, b, folded.data() + start, bytes);
        Level& level = m_levels.emplace_back();
        level.a = a;
        level.b = b;
        level.end = stop;
        m_newHashes.push_back(Finish(a, b));
        start = stop + 1;
    }
    m_lastPath.Swap(m_fold);
    Pending& line = m_pending.emplace_back();
    line.offset = offset;
    line.common = static_cast<uint32_t>(common);
    line.first = first;
    line.count = static_cast<uint32_t>(m_newHashes.size()) - first;
    line.section = kNoSection;  // until its first value
    m_open = true;
}

void CExportIndex::KeyClosed() { EndSection(); }

NamedValue HashValue(const ExportValue& value, CBuffer<char16_t>& fold) {
    fold.Clear();
    Fold(value.name.data(), value.name.size(), fold.Extend(value.name.size()));
    const uint64_t name = HashBytes(fold.Data(), fold.Size() * sizeof(char16_t), kNameSeed);
    const uint64_t parts[3] = {name, value.type, HashBytes(value.data, value.size, kDataSeed)};
    return {name, value.removed ? 0 : HashBytes(parts, sizeof parts, kValueSeed), 0};
}

void CExportIndex::Value(const ExportValue& value) {
    if (!m_open) return;
    Pending& line = m_pending.back();
    if (line.section == kNoSection) {
        line.section = static_cast<uint32_t>(m_sections.size());
        Section& section = m_sections.emplace_back();
        section.offset = line.offset;
        section.key = kNoKey;
        section.begin = static_cast<uint32_t>(m_values.size());
    }
    const NamedValue hashed = HashValue(value, m_fold);
    ValueHash& stored = m_values.emplace_back();
    stored.name = hashed.name;
    stored.value = hashed.value;
}

// The digest of a listing: the sum of its values' hashes, so that their order does not count;
// a value named twice counts by its last line, a deleted one not at all. The listing keeps
// each name once, for a key listed again (Build).
void CExportIndex::EndSection() {
    if (!m_open) return;
    m_open = false;
    Pending& line = m_pending.back();
    if (line.section == kNoSection) return;  // a listing without values: nothing to keep of it
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
    for (auto it = first; it != m_values.end(); ++it) line.digest += it->value;
    const auto held = std::count_if(first, m_values.end(), [](const ValueHash& v) { return v.value != 0; });
    line.values = static_cast<uint16_t>(std::min<std::ptrdiff_t>(held, kManyValues));
}
