// What the view shows, and where it came from: nothing, a file (by its whole path), a text
// pasted from the clipboard, or the comparison of two exports. The view sets it as each text
// comes in, and asks it what Save As writes and what Swap turns round.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CLinkDoc;
struct ImportPreview;
struct RegistryReading;

// A comparison shown: its text as the comparison made it (UTF-16, every character the code
// page lacks kept), the two exports it compared, whether they share no key, and whether one
// of them was cut short.
struct ShownComparison {
    std::u16string text;
    std::wstring older, newer;  // whole paths; with the registry, older is the file's
    // A comparison with the registry: what was read, and whether the file is the newer side;
    // or an import preview: what it read, and whether it is the backup.
    std::shared_ptr<const RegistryReading> live;
    std::shared_ptr<const ImportPreview> preview;
    bool liveSwapped = false;
    bool sharesNoKey = false;
    bool fromCutExport = false;
};

class CShownText {
public:
    enum class Kind { Nothing, File, Pasted, Comparison };

    Kind What() const { return m_kind; }
    void Forget();
    // By its whole name: a file dialog may change the current folder before the save.
    void SetFile(const std::string& path);
    void SetPasted();
    void SetComparison(ShownComparison comparison);

    const ShownComparison* Comparison() const { return m_kind == Kind::Comparison ? &m_comparison : nullptr; }
    bool CanSave() const { return m_kind != Kind::Nothing; }
    // The extension Save As proposes, without its dot: a comparison's .reg, a paste's .txt, a
    // file's own (none for none).
    std::string SaveExtension() const;
    // Saves that are asked about first (the string-table ids of their questions, in the order
    // asked; none for none): a comparison with an export cut short shows what the cut took away
    // as changes, which importing it makes; one of exports that share no key deletes every key
    // of the older one; a backup cannot bring back the keys it could not read in the branches
    // the file deletes.
    std::vector<unsigned> SaveQuestions() const;
    // Writes it to `path`: a comparison as the registry editor writes an export (UTF-16 with its
    // byte-order mark, CR LF) from its own text, so that importing it applies the changes with
    // every character the screen could not show; a file as its bytes are on disk now, copied
    // again from it; a paste as the document holds it (ANSI, CR LF). Through a temporary file
    // beside the target that replaces it only once it is whole, so a failed save leaves the old
    // file as it was. False on failure, with the system's error code set.
    bool SaveTo(const std::string& path, const CLinkDoc& doc) const;

private:
    Kind m_kind = Kind::Nothing;
    std::string m_file;
    ShownComparison m_comparison;
};
