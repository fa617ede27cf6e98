// What importing a .reg file would change here, found before it is imported. The file is read
// as the registry editor imports it, top to bottom: a key line opens the key, creating it and
// its missing parents; a value line sets a value, `"name"=-` deletes one, `[-KEY]` deletes a
// branch; value lines after a `[-KEY]`, before any key or under no known root go nowhere. It is
// applied to the keys it touches as the registry holds them now, read and never written. No
// windows.h: the registry stands behind CRegistryTree.
//
// The answer is two readings in the export's form, for the comparison (ExportCompare.h):
// `now`, the keys the file touches as they are (each key it names and the keys above it, with
// their values; a branch it deletes, whole), and `after`, the same keys as importing the file
// leaves them. Compared now to after, they give what importing changes, each changed value's
// current data in the comment under it, and nothing else (a value set to what it holds is not
// listed; values of a key that the file does not name are untouched). Compared after to now,
// the backup: imported after the file, it puts back every key and value the file touches as
// they are now (a key the import creates is deleted at the topmost key that did not exist; a
// branch the file deletes comes back whole). A key that cannot be read is named in `now` and
// listed on neither side.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ExportReader.h"
#include "RegistryRead.h"

struct ImportPreview {
    // `now` names, as a reading does, every key that could not be read or changed as it was.
    std::shared_ptr<RegistryReading> now, after;
    // The file's lines that change nothing (a value set to the data it holds, the deletion of a
    // value or a branch that is not there) and those the import would skip (value lines that
    // go nowhere, keys under no known root or with no path, lines of no syntax, a root to delete).
    uint64_t unchanged = 0, ignored = 0;
    // Keys the file names under two roots that reach the same key (HKEY_CURRENT_USER and
    // HKEY_USERS\<SID>; HKEY_CLASSES_ROOT and a Software\Classes key it merges), as spelled,
    // each pair once: what importing leaves there depends on which line comes last.
    std::vector<std::pair<std::u16string, std::u16string>> twoRoots;
    // Keys of branches the file deletes that could not be read: the import deletes them, and
    // the backup cannot bring them back.
    std::vector<std::u16string> unrestorable;
};

// Reads the file's lines after its header (Open done) against the registry. `sid` is the
// current user's (HKEY_USERS\<sid> is HKEY_CURRENT_USER). False when the file could not be
// read or the preview was stopped.
bool PreviewImport(CRegistryTree& tree, CExportLines& lines, AnsiDecoder decode, void* context,
                   const std::u16string& sid, ImportPreview& out, const std::atomic<bool>* stop);
