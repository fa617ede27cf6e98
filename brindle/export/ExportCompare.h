// Comparing two registry exports: the text, in the registry editor's own import syntax, that
// turns the older into the newer. No windows.h: the window side hands in each side as the
// lines of an export (CExportLines: a file's, through CExportReader), runs this on a worker
// thread, shows Done() of Total() in a progress window and calls Cancel() on Esc.
//
// The result (UTF-16, CR LF, without the byte-order mark that saving puts first):
//   Windows Registry Editor Version 5.00, a blank line, then `; ` comment lines (the caller's
//   texts: the two files, the counts, whether nothing changed or no key is shared, and which
//   export is cut short or broken, and how), a blank line, then one block per key that
//   changed, each ended by a blank line:
//   - `[-KEY]` for a key only the older has: once per deleted branch, at its topmost key that
//     the older lists (a key only named by a key below it is never deleted, and a root never),
//     with a comment line of how many keys and values the branch holds;
//   - `[KEY]` and all its values for a key only the newer lists;
//   - `[KEY]` for a key in both whose values differ: the values added or changed, as the newer
//     wrote them (hex data wrapped as the editor wraps it), and `"name"=-` (`@=-`) for each
//     value removed; under each changed or removed value a comment line with its older data.
//   Under every hex(1), hex(2) and hex(7) line a comment line gives its text (ExportWriter.h).
//   The counts are of keys and values: those of a deleted branch each, those of an added key
//   each, so that the counts of a result and of its swap mirror each other.
//   Blocks follow the newer export's order; a deleted key stands after the nearest key before
//   it in the older export that the newer has too, so that related keys stay together.
//   Importing the older export and then the result leaves what importing the newer leaves.
//
// Keys and values match as import matches them: key paths and value names without letter case
// (FoldCase), data by what is stored (wrapping, hex digits' case, dword or 4-byte hex(4),
// string escapes, REGEDIT4 against 5.00 all cancel out), values in any order, a key listed
// twice with all its values, a value named twice by its last line.
//
// Speed and memory: both files are read once, at the same time on two threads, into compact
// indexes (ExportIndex.h); then the newer's keys are looked up in the older's, on two threads,
// and only keys whose value digests differ are read again (of a key listed more than once,
// only the listings that hold a value that differs). Peak memory is the two indexes and the
// result; the indexes follow the number of keys, each key named and each key above it, in any
// order: for UTF-16 exports of 512 MB, from about a seventh of the two files' size (exports of
// the tree, a key line a key) to a bit under half (keys of up to nine levels in no order, most
// without values).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ExportReader.h"

// The comment lines of the result, from the caller's string resources. Each goes after "; ",
// one comment line per line of it; an empty one is left out.
struct CompareNotes {
    std::u16string olderFile;  // names the older export
    std::u16string newerFile;  // names the newer export
    // %1 keys added, %2 keys removed, %3 keys changed, %4 values added, %5 values removed,
    // %6 values changed: the numbers of such lines in the result.
    std::u16string counts;
    std::u16string same;         // when the two exports mean the same: the result lists no key
    std::u16string noSharedKey;  // when the older lists keys and the newer lists none of them
    // When the older or the newer export is cut short or broken: %1 how (one of the three below).
    std::u16string olderCut, newerCut;
    std::u16string oddByte;        // a UTF-16 file of an odd number of bytes
    std::u16string zeroCharacter;  // a zero character with more after it, where reading stopped
    std::u16string lastLineCut;    // its last line ends inside its syntax (CExportParser::LastLineCut)

    // Below value lines and `[-KEY]` (ExportWriter.h): %1 the data shown.
    std::u16string text;  // under a hex(1), hex(2) or hex(7) line, its text
    std::u16string was;   // under a changed or removed value, its older data
    // After data cut at kShownLength: %1 how many more characters, or bytes of hex data.
    std::u16string moreChars, moreBytes;
    std::u16string branch;  // under `[-KEY]`: %1 keys (its own among them) and %2 values in the branch
};

struct CompareCounts {
    uint64_t keysAdded = 0, keysRemoved = 0, keysChanged = 0;
    uint64_t valuesAdded = 0, valuesRemoved = 0, valuesChanged = 0;
};

enum CompareError {
    COMPARE_OK,
    COMPARE_NOT_AN_EXPORT,  // the file's first line is no export header
    COMPARE_EMPTY_FILE,     // the file holds nothing (or only its byte-order mark)
    COMPARE_READ_FAILED,
    COMPARE_NO_MEMORY,
    COMPARE_CANCELLED,
};

class CExportCompare {
public:
    // decode converts the text of a REGEDIT4 (ANSI) export and its hex(1)/(2)/(7) data.
    CExportCompare(AnsiDecoder decode, void* context);
    ~CExportCompare();
    CExportCompare(const CExportCompare&) = delete;
    CExportCompare& operator=(const CExportCompare&) = delete;

    // Compares the two exports into `result`. False on failure: Error() says why and
    // ErrorInNewer() which side; `result` is then left as it was.
    bool Run(CExportLines& older, CExportLines& newer, const CompareNotes& notes, std::u16string& result);
    // The same for two export files, read from these sources.
    bool Run(CExportSource& older, CExportSource& newer, const CompareNotes& notes, std::u16string& result);

    // Run leaves the indexes it built to the object's end (or the next Run) instead of letting
    // them go before it returns: hundreds of megabytes given back take a while, which a caller
    // that shows the result first and lets the object go elsewhere need not wait for.
    void KeepIndexes() { m_keepIndexes = true; }

    // From any thread: Run stops soon and fails with COMPARE_CANCELLED, and so does every
    // later Run of this object.
    void Cancel();
    uint64_t Done() const { return m_done.load(std::memory_order_relaxed); }
    uint64_t Total() const { return m_total.load(std::memory_order_relaxed); }

    // After Run.
    CompareError Error() const { return m_error; }
    bool ErrorInNewer() const { return m_errorInNewer; }
    const CompareCounts& Counts() const { return m_counts; }
    // The older lists keys and the newer none of them (an export of one root against one of
    // another): saving the result deletes whole branches, which is worth a question first.
    bool SharesNoKey() const { return m_sharesNoKey; }
    // An export is cut short or broken (the result's head says which, and how): what it lacks
    // shows as changes, which is worth a question before saving too.
    bool FromCutExport() const { return m_fromCutExport; }

private:
    struct Side;
    class CValues;
    struct Branch {  // a deleted branch, by its top key: how much it holds
        uint32_t key;
        uint64_t keys, values;
    };

    bool Compare(const CompareNotes& notes, std::u16string& result);
    void IndexSide(Side& side);
    bool Write(const CompareNotes& notes, std::u16string& result);
    // Each deleted branch's keys and values, from the older's keys the newer lacks (in key order).
    bool SizeBranches(const std::vector<std::pair<uint32_t, uint32_t>>& removed);
    // How the export of that side broke off, in the notes' words; null when it did not.
    static const std::u16string* HowCut(const CompareNotes& notes, const Side& side);
    bool WriteOlder(uint32_t key, std::u16string& out);
    bool WriteKey(uint32_t olderKey, uint32_t newerKey, std::u16string& out);
    bool GatherValues(Side& side, uint32_t key, CValues& values, std::unordered_map<uint64_t, uint64_t>& hashes,
                      std::vector<uint64_t>& listings);
    // Reads these listings of a key (their key lines' offsets, in the file's order).
    bool ReadValues(Side& side, const std::vector<uint64_t>& listings, CValues& values);

    AnsiDecoder m_decode;
    void* m_context;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<uint64_t> m_done{0};
    std::atomic<uint64_t> m_total{0};
    std::unique_ptr<Side> m_older;  // while Run runs
    std::unique_ptr<Side> m_newer;
    bool m_keepIndexes = false;
    std::vector<std::unique_ptr<Side>> m_kept;  // the last Run's sides, with KeepIndexes
    CompareError m_error = COMPARE_OK;
    bool m_errorInNewer = false;
    CompareCounts m_counts;
    bool m_sharesNoKey = false;
    bool m_fromCutExport = false;
    const CompareNotes* m_notes = nullptr;  // while Run runs
    std::vector<Branch> m_branches;         // while Run runs: by key
    std::vector<bool> m_covered;            // while Run runs: the older's keys deleted with a key above them
};
