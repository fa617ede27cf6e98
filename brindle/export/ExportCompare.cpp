#include "ExportCompare.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ExportIndex.h"
#include "ExportParser.h"
#include "ExportWriter.h"

namespace {

constexpr size_t kPiece = 1 << 20;           // the first reading, straight through
constexpr size_t kReadAgainPiece = 1 << 12;  // the keys read again, here and there: a page
// An older key's partner with this bit: the newer lacks it, and the rest is where it stands
// among the keys the newer lacks (keys are fewer than 2^27).
constexpr uint32_t kRemoved = 0x80000000u;

// Runs `there` on a thread of its own while `here` runs on this one (both here, one after the
// other, when no thread can be started), and returns when both are done.
template <typename There, typename Here>
void Beside(There there, Here here) {
    std::thread worker;
    try {
        worker = std::thread(there);
    } catch (const std::system_error&) { there(); }
    here();
    if (worker.joinable()) worker.join();
}

// The first of partners[from, n) with kRemoved, or n: 4 a step, by their top bits.
uint32_t NextRemoved(const uint32_t* partners, uint32_t from, uint32_t n) {
    uint32_t key = from;
#if defined(__SSE2__)
    for (; key + 4 <= n; key += 4)
        if (const int removed =
                _mm_movemask_ps(_mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(partners + key)))))
            return key + static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(removed)));
#endif
    while (key < n && !(partners[key] & kRemoved)) ++key;
    return key;
}

}  // namespace

struct CExportCompare::Side {
    explicit Side(CExportLines& lines) : reader(lines), size(lines.Size()) {}
    CExportLines& reader;
    uint64_t size;
    CExportIndex index;
    // The older's: of each key, the same key in the newer, or kNoKey (then kRemoved).
    std::vector<uint32_t> partner;
    CompareError error = COMPARE_OK;
};

// The values of one key, gathered from all its listings: each value once, by its last line.
class CExportCompare::CValues : public CExportParser::Handler {
public:
    struct Stored {
        std::u16string rawName;
        bool removed;
        uint32_t type;
        std::vector<uint8_t> data;
        ExportDataForm form;
        std::u16string text;
        NamedValue hashes;  // as the index has them
    };

    explicit CValues(bool pathOnly) : m_pathOnly(pathOnly) {}

    void BeginListing() { m_started = m_done = false; }
    bool ListingDone() const { return m_done; }
    // The value of that name (letter case folded), unless it is absent or deleted.
    const Stored* Find(const std::u16string& folded) const {
        const auto it = m_byName.find(folded);
        return it == m_byName.end() || values[it->second].removed ? nullptr : &values[it->second];
    }

    std::u16string path;  // as its first listing wrote it
    std::vector<Stored> values;
    std::vector<std::u16string> names;  // folded, beside values

private:
    void Key(std::u16string_view keyPath, uint64_t) override {
        if (m_started) {
            m_done = true;
            return;
        }
        m_started = true;
        m_done = m_pathOnly;
        if (path.empty()) path = keyPath;
    }
    void KeyClosed() override { m_done = true; }
    void Value(const ExportValue& v) override {
        if (!m_started || m_done) return;
        FoldInto(v.name);
        Stored stored{std::u16string(v.rawName),
                      v.removed,
                      v.type,
                      std::vector<uint8_t>(v.data, v.data + v.size),
                      v.form,
                      std::u16string(v.text),
                      HashValue(v, m_hashFold)};
        const auto [it, added] = m_byName.emplace(m_fold, values.size());
        if (added) {
            values.push_back(std::move(stored));
            names.push_back(m_fold);
        } else {
            values[it->second] = std::move(stored);
        }
    }
    void FoldInto(std::u16string_view name) {
        m_fold.resize(name.size());
        std::transform(name.begin(), name.end(), m_fold.begin(), FoldCase);
    }

    bool m_pathOnly;
    bool m_started = false;
    bool m_done = false;
    std::unordered_map<std::u16string, size_t> m_byName;
    std::u16string m_fold;
    CBuffer<char16_t> m_hashFold;
};

CExportCompare::CExportCompare(AnsiDecoder decode, void* context) : m_decode(decode), m_context(context) {}

void CExportCompare::Cancel() {
    m_cancelled = true;
    m_stop = true;
}

void CExportCompare::IndexSide(Side& side) {
    try {
        side.reader.Watch(&m_done, &m_stop);
        if (!side.reader.Open(kPiece))
            side.error = side.reader.Stopped()      ? COMPARE_CANCELLED
                         : side.reader.ReadFailed() ? COMPARE_READ_FAILED
                         : side.reader.Empty()      ? COMPARE_EMPTY_FILE
                                                    : COMPARE_NOT_AN_EXPORT;
        else if (!side.index.Build(side.reader, side.size, m_decode, m_context))
            side.error = side.reader.Stopped() ? COMPARE_CANCELLED : COMPARE_READ_FAILED;
        // The older's partners, while the other thread may still read the newer (Write); the
        // newer's table is not asked (only the older's is), and goes before the older is read
        // to its end, if it can.
        else if (&side == m_older.get()) side.partner.assign(side.index.Count(), kNoKey);
        else side.index.DropTable();
    } catch (const std::exception&) {  // memory ran out (bad_alloc, or a length no vector holds)
        side.error = COMPARE_NO_MEMORY;
    }
    if (side.error != COMPARE_OK) m_stop = true;  // the other file need not be read on
}

CExportCompare::~CExportCompare() = default;

bool CExportCompare::Run(CExportSource& older, CExportSource& newer, const CompareNotes& notes,
                         std::u16string& result) {
    CExportReader olderLines(older, m_decode, m_context), newerLines(newer, m_decode, m_context);
    return Run(static_cast<CExportLines&>(olderLines), newerLines, notes, result);
}

bool CExportCompare::Run(CExportLines& older, CExportLines& newer, const CompareNotes& notes, std::u16string& result) {
    std::vector<std::unique_ptr<Side>>().swap(m_kept);
    m_stop = m_cancelled.load();
    m_done = 0;
    m_total = older.Size() + newer.Size();
    m_counts = CompareCounts();
    m_error = COMPARE_OK;
    m_errorInNewer = m_sharesNoKey = m_fromCutExport = false;
    m_notes = &notes;
    bool done = false;
    try {
        m_older = std::make_unique<Side>(older);
        m_newer = std::make_unique<Side>(newer);
        done = Compare(notes, result);
    } catch (const std::exception&) {  // memory ran out
        m_error = COMPARE_NO_MEMORY;
    }
    if (m_keepIndexes) {  // they go with the object, or at the next Run
        m_kept.push_back(std::move(m_older));
        m_kept.push_back(std::move(m_newer));
    }
    m_older.reset();  // the indexes go as soon as the result is there
    m_newer.reset();
    std::vector<Branch>().swap(m_branches);
    std::vector<bool>().swap(m_covered);
    m_notes = nullptr;
    return done;
}

bool CExportCompare::Compare(const CompareNotes& notes, std::u16string& result) {
    Side& olderSide = *m_older;
    Side& newerSide = *m_newer;
    // One thread per file: reading and indexing keep a core each busy.
    Beside([this, &olderSide] { IndexSide(olderSide); }, [this, &newerSide] { IndexSide(newerSide); });

    if (olderSide.error == COMPARE_OK && newerSide.error == COMPARE_OK) {
        olderSide.reader.Watch(nullptr, &m_stop);
        newerSide.reader.Watch(nullptr, &m_stop);
        if (Write(notes, result)) return true;
    }
    // A file that failed stops the other, which then tells only that it was stopped.
    if (m_cancelled) {
        m_error = COMPARE_CANCELLED;
    } else if (olderSide.error != COMPARE_OK && olderSide.error != COMPARE_CANCELLED) {
        m_error = olderSide.error;
    } else if (newerSide.error != COMPARE_OK) {
        m_error = newerSide.error;
        m_errorInNewer = true;
    }
    return false;
}

bool CExportCompare::Write(const CompareNotes& notes, std::u16string& result) {
    CExportIndex& older = m_older->index;
    CExportIndex& newer = m_newer->index;
    std::vector<uint32_t>& olderPartner = m_older->partner;  // made ready by the older's thread
    // Each newer key looked up in the older, half of them on another thread; a key has at most
    // one partner, so the two halves never write the same place. Two exports of one registry
    // mostly name their keys in the same order: the older's key after the last partner is
    // tried first, and the table asked for ahead only where that guess would miss. Within an
    // index no two keys share a hash, so a guess whose hash is the same is the key Find gives.
    // Each half keeps the keys whose block may write something, with their partners: a digest
    // that differs from the partner's, or a key listed only in the newer (a key only named by
    // one below it is made by that one's block; a root is always there); the walk below goes
    // through those, not through every key.
    //
    // A key the older's table lacks may still be there, right after the key above it
    // (CExportIndex::After): the older's key of the parent is the last one found when the
    // parent is the key before; else it is looked for the same way, up to a key the table has.
    using Differ = std::vector<std::pair<uint32_t, uint32_t>>;
    const auto match = [&](uint32_t from, uint32_t to, bool& shared, Differ& differ) {
        uint32_t next = std::min(from, older.Count());  // the guess: the older's key after the last partner
        const auto guessed = [&](uint32_t key, uint32_t ahead) {
            return next + ahead < older.Count() && older.Hash(next + ahead) == newer.Hash(key);
        };
        uint32_t last = kNoKey;  // the older's key of the key before
        std::vector<uint32_t> above;
        const auto olderOf = [&](uint32_t key) {  // Find has not found it
            uint32_t parent = newer.Parent(key), base = kNoKey;
            above.assign(1, key);
            for (; parent != kNoKey; parent = newer.Parent(parent)) {
                if (parent + 1 == key && key > from) {
                    base = last;
                    break;
                }
                if ((base = older.Find(newer.Hash(parent))) != kNoKey) break;
                above.push_back(parent);
            }
            for (size_t i = above.size(); i-- > 0 && base != kNoKey;) base = older.After(base, newer.Hash(above[i]));
            return base;
        };
        CExportIndex::ListedWalk newerListed(newer), olderListed(older);
        // A key and its partner (kNoKey: none).
        const auto pair = [&](uint32_t key, uint32_t partner) {
            last = partner;
            const ListedKey* listed = newerListed.At(key);
            if (partner == kNoKey) {
                if (listed && !((listed->flags & KEY_ROOT) && listed->digest == 0)) differ.emplace_back(key, kNoKey);
                return;
            }
            next = partner + 1;
            olderPartner[partner] = key;
            const ListedKey* old = olderListed.At(partner);
            shared = shared || (old && listed);
            if ((listed ? listed->digest : 0) != (old ? old->digest : 0)) differ.emplace_back(key, partner);
        };
        for (uint32_t key = from; key < to;) {
            // While the guesses hold, key after key, nothing is asked for ahead.
            if (guessed(key, 0)) {
                pair(key, next);
                ++key;
                continue;
            }
            if (key + 32 < to && !guessed(key + 32, 32)) older.Prefetch(newer.Hash(key + 32));
            if (key + 16 < to && !guessed(key + 16, 16)) older.PrefetchHash(newer.Hash(key + 16));
            uint32_t partner = older.Find(newer.Hash(key));
            if (partner == kNoKey) partner = olderOf(key);
            pair(key, partner);
            ++key;
        }
    };
    bool shared = false, sharedToo = false;
    Differ differ, differToo;
    const uint32_t half = newer.Count() / 2;
    Beside([&] { match(half, newer.Count(), sharedToo, differToo); }, [&] { match(0, half, shared, differ); });
    differ.insert(differ.end(), differToo.begin(), differToo.end());
    Differ().swap(differToo);
    older.DropTable();
    m_sharesNoKey = !shared && !sharedToo && older.ListedCount() > 0;

    // The older's keys the newer lacks, each to stand after the newer's block of the nearest
    // key before it in the older that the newer has too (0: before every block); and which of
    // them go with a deleted key above them.
    std::vector<std::pair<uint32_t, uint32_t>> removed;
    m_covered.assign(older.Count(), false);
    uint32_t after = 0;
    for (uint32_t key = 0; key < older.Count(); ++key) {
        if (!(olderPartner[key] & kRemoved)) {  // the next the newer lacks, past those it has
            const uint32_t lacked = NextRemoved(olderPartner.data(), key, older.Count());
            after = olderPartner[lacked - 1] + 1;
            if ((key = lacked) == older.Count()) break;
        }
        const uint32_t parent = older.Parent(key);
        if (parent != kNoKey && (olderPartner[parent] & kRemoved)) {
            const ListedKey* listed = older.Listed(parent);
            if ((listed && !(listed->flags & KEY_ROOT)) || m_covered[parent]) m_covered[key] = true;
        }
        olderPartner[key] = kRemoved | static_cast<uint32_t>(removed.size());  // where SizeBranches finds it
        removed.emplace_back(after, key);
    }
    if (!SizeBranches(removed)) return false;
    std::stable_sort(removed.begin(), removed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    // Progress goes on with the walk through the newer's keys, by where they stand in it.
    const uint64_t read = m_total.load(), newerSize = m_newer->size;
    m_total = read + newerSize;
    std::u16string body;
    size_t next = 0;
    for (size_t i = 0;; ++i) {
        const uint32_t key = i < differ.size() ? differ[i].first : newer.Count();
        for (; next < removed.size() && removed[next].first <= key; ++next) {
            if (m_stop) return false;
            if (!WriteOlder(removed[next].second, body)) return false;
        }
        if (key == newer.Count()) break;
        if (m_stop) return false;
        if (!WriteKey(differ[i].second, key, body)) return false;
        if (const ListedKey* listed = newer.Listed(key))
            m_done.store(read + std::min(listed->Offset(), newerSize), std::memory_order_relaxed);
    }
    m_done = m_total.load();

    std::vector<std::u16string> head = {notes.olderFile, notes.newerFile,
                                        CExportWriter::FillIn(notes.counts, m_counts)};
    for (const auto& [side, note] :
         {std::make_pair(m_older.get(), &notes.olderCut), std::make_pair(m_newer.get(), &notes.newerCut)}) {
        const std::u16string* how = HowCut(notes, *side);
        if (how) head.push_back(CExportWriter::Fill(*note, {*how}));
        m_fromCutExport = m_fromCutExport || how;
    }
    if (body.empty()) head.push_back(notes.same);
    if (m_sharesNoKey) head.push_back(notes.noSharedKey);
    body.insert(0, CExportWriter::Head(head));
    result.swap(body);
    return true;
}

// A deleted branch counts every key and value in it, as the swapped comparison counts every
// key it adds and every value of those. The older's keys the newer lacks come in key order,
// parents before their children: walked backwards, each adds what it holds to its parent's.
bool CExportCompare::SizeBranches(const std::vector<std::pair<uint32_t, uint32_t>>& removed) {
    const CExportIndex& older = m_older->index;
    std::vector<std::pair<uint64_t, uint64_t>> held(removed.size());  // keys, values
    for (size_t i = removed.size(); i-- > 0;) {
        const uint32_t key = removed[i].second;
        const ListedKey* k = older.Listed(key);
        if (k) {
            uint64_t values = k->values;
            if (values == kManyValues) {  // too many for the index to count
                CValues all(false);
                if (!ReadValues(*m_older, older.ListingsOf(key), all)) return false;
                values = static_cast<uint64_t>(std::count_if(all.values.begin(), all.values.end(),
                                                             [](const CValues::Stored& v) { return !v.removed; }));
            }
            held[i].first += 1;
            held[i].second += values;
        }
        if (m_covered[key]) {
            const size_t parent = m_older->partner[older.Parent(key)] & ~kRemoved;
            held[parent].first += held[i].first;
            held[parent].second += held[i].second;
        } else if (k && !(k->flags & KEY_ROOT)) {
            m_branches.push_back({key, held[i].first, held[i].second});
        }
    }
    std::reverse(m_branches.begin(), m_branches.end());
    return true;
}

const std::u16string* CExportCompare::HowCut(const CompareNotes& notes, const Side& side) {
    switch (side.reader.Break()) {
    case ExportBreak::ZeroCharacter: return &notes.zeroCharacter;
    case ExportBreak::OddByte: return &notes.oddByte;
    case ExportBreak::None: break;
    }
    return side.index.LastLineCut() ? &notes.lastLineCut : nullptr;
}

bool CExportCompare::WriteOlder(uint32_t key, std::u16string& out) {
    const ListedKey* k = m_older->index.Listed(key);
    if (!k || m_covered[key]) return true;
    if (k->flags & KEY_ROOT) return k->digest == 0 || WriteKey(key, kNoKey, out);
    CValues values(true);
    if (!ReadValues(*m_older, {k->Offset()}, values)) return false;
    const Branch& branch = *std::lower_bound(m_branches.begin(), m_branches.end(), key,
                                             [](const Branch& b, uint32_t top) { return b.key < top; });
    CExportWriter(out, *m_notes).DeletedKey(values.path, branch.keys, branch.values);
    m_counts.keysRemoved += branch.keys;
    m_counts.valuesRemoved += branch.values;
    return true;
}

// The values of a key on one side by their hashes, name to value, deleted ones left out.
using ValueHashes = std::unordered_map<uint64_t, uint64_t>;

bool CExportCompare::GatherValues(Side& side, uint32_t key, CValues& values, ValueHashes& hashes,
                                  std::vector<uint64_t>& listings) {
    if (key == kNoKey) return true;
    if (!side.index.ListedAgain(key)) {  // listed once (or not at all): read whole
        if (!ReadValues(side, side.index.ListingsOf(key), values)) return false;
        for (const CValues::Stored& v : values.values)
            if (v.hashes.value) hashes.emplace(v.hashes.name, v.hashes.value);
        return true;
    }
    const auto [first, last] = side.index.ValuesOf(key);
    for (const NamedValue* v = first; v != last; ++v)
        if (v->value) hashes.emplace(v->name, v->value);
    listings.push_back(side.index.Listed(key)->Offset());  // its path, as first written
    return true;
}

bool CExportCompare::WriteKey(uint32_t olderKey, uint32_t newerKey, std::u16string& out) {
    // A key listed once is read whole. A key listed again elsewhere in its export may be listed
    // hundreds of times, each listing a read: its index says which of its values differ and in
    // which listings their last lines stand, and only those listings are read.
    CValues before(false), after(false);
    ValueHashes olderHashes, newerHashes;
    std::vector<uint64_t> olderListings, newerListings;
    if (!GatherValues(*m_older, olderKey, before, olderHashes, olderListings) ||
        !GatherValues(*m_newer, newerKey, after, newerHashes, newerListings))
        return false;
    std::unordered_set<uint64_t> differ;
    for (const auto& [name, value] : newerHashes) {
        const auto it = olderHashes.find(name);
        if (it == olderHashes.end() || it->second != value) differ.insert(name);
    }
    for (const auto& [name, value] : olderHashes)
        if (!newerHashes.count(name)) differ.insert(name);
    const auto wanted = [&](const CValues::Stored& v) { return differ.count(v.hashes.name) != 0; };
    for (auto [side, key, listings, values] : {std::make_tuple(m_older.get(), olderKey, &olderListings, &before),
                                               std::make_tuple(m_newer.get(), newerKey, &newerListings, &after)}) {
        if (listings->empty()) continue;
        const auto [first, last] = side->index.ValuesOf(key);
        for (const NamedValue* v = first; v != last; ++v)
            if (differ.count(v->name)) listings->push_back(v->listing);
        std::sort(listings->begin(), listings->end());
        listings->erase(std::unique(listings->begin(), listings->end()), listings->end());
        if (!ReadValues(*side, *listings, *values)) return false;
    }
    const bool added = olderKey == kNoKey && !(m_newer->index.Listed(newerKey)->flags & KEY_ROOT);
    CExportWriter writer(out, *m_notes);
    writer.BeginKey(after.path.empty() ? before.path : after.path);
    CompareCounts counts;
    for (size_t i = 0; i < after.values.size(); ++i) {
        const CValues::Stored& v = after.values[i];
        if (v.removed || !wanted(v)) continue;
        const CValues::Stored* old = before.Find(after.names[i]);
        ++(old ? counts.valuesChanged : counts.valuesAdded);
        writer.Value(v.rawName, v.form, v.type, v.data, v.text);
        if (old) writer.OlderValue(old->form, old->type, old->data, old->text);
    }
    for (size_t i = 0; i < before.values.size(); ++i) {
        const CValues::Stored& v = before.values[i];
        if (v.removed || !wanted(v) || after.Find(before.names[i])) continue;
        ++counts.valuesRemoved;
        writer.RemovedValue(v.rawName);
        writer.OlderValue(v.form, v.type, v.data, v.text);
    }
    if (!writer.EndKey(added)) return true;
    ++(added ? m_counts.keysAdded : m_counts.keysChanged);
    m_counts.valuesAdded += counts.valuesAdded;
    m_counts.valuesRemoved += counts.valuesRemoved;
    m_counts.valuesChanged += counts.valuesChanged;
    return true;
}

bool CExportCompare::ReadValues(Side& side, const std::vector<uint64_t>& listings, CValues& values) {
    for (uint64_t offset : listings) {
        side.reader.Seek(offset, kReadAgainPiece);
        CExportParser parser(values, side.reader.Format(), m_decode, m_context);
        values.BeginListing();
        const char16_t* text;
        size_t length;
        uint64_t at;
        while (!values.ListingDone() && side.reader.Next(text, length, at)) parser.Line(text, length, at);
        if (side.reader.ReadFailed() || side.reader.Stopped()) {
            side.error = side.reader.Stopped() ? COMPARE_CANCELLED : COMPARE_READ_FAILED;
            return false;
        }
        if (!values.ListingDone()) parser.End();
    }
    return true;
}
