// A registry that is a table, behind the interface the viewer reads the registry through:
// keys by path (found without letter case), their values, and how each misbehaves (denied, a
// link to another key, written to while it is read).
#pragma once

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "ExportTexts.h"
#include "ImportPreview.h"
#include "RegistryRead.h"

// A registry of keys by path (found without letter case): values, and how each key misbehaves.
struct FakeKey {
    std::vector<std::tuple<std::u16string, uint32_t, std::vector<uint8_t>>> values;
    bool denied = false;
    std::u16string link;  // another key's path: opened, it is that key
    int churn = 0;        // stamps that see it written to anew (each reading takes two)
};

class CFakeTree : public CRegistryTree {
public:
    std::map<std::u16string, FakeKey> keys;  // roots included
    CFakeTree() = default;
    CFakeTree(CFakeTree&& made) noexcept : keys(std::move(made.keys)) {}
    TreeStatus Open(Key parent, std::u16string_view path, Key& key) override {
        const std::lock_guard<std::mutex> one(m_lock);  // two threads read it
        std::u16string full = parent ? m_open[parent - 1] : std::u16string();
        if (!path.empty()) full += (parent ? u"\\" : u"") + std::u16string(path);
        auto it = Find(full);
        if (it != keys.end() && !it->second.link.empty()) it = Find(it->second.link);
        if (it == keys.end()) return parent ? TreeStatus::Gone : TreeStatus::NoRoot;
        if (it->second.denied) return TreeStatus::Denied;
        m_open.push_back(it->first);
        key = m_open.size();
        return TreeStatus::Ok;
    }
    void Close(Key) override {}
    TreeStatus Info(Key key, Stamp& stamp) override {
        const std::lock_guard<std::mutex> one(m_lock);
        FakeKey& k = keys[m_open[key - 1]];
        stamp.values = static_cast<uint32_t>(k.values.size());
        stamp.subkeys = static_cast<uint32_t>(Children(key).size());
        stamp.written = k.churn > 0 ? static_cast<uint64_t>(k.churn--) : 0;
        return TreeStatus::Ok;
    }
    TreeStatus Subkey(Key key, uint32_t index, std::u16string& name) override {
        const std::lock_guard<std::mutex> one(m_lock);
        const std::vector<std::u16string> children = Children(key);
        if (index >= children.size()) return TreeStatus::End;
        name = children[index];
        return TreeStatus::Ok;
    }
    TreeStatus Value(Key key, uint32_t index, std::u16string& name, uint32_t& type,
                     std::vector<uint8_t>& data) override {
        const std::lock_guard<std::mutex> one(m_lock);
        const FakeKey& k = keys[m_open[key - 1]];
        if (index >= k.values.size()) return TreeStatus::End;
        std::tie(name, type, data) = k.values[index];
        return TreeStatus::Ok;
    }
    std::u16string Identity(Key key) override {
        const std::lock_guard<std::mutex> one(m_lock);
        return m_open[key - 1];
    }

private:
    std::map<std::u16string, FakeKey>::iterator Find(const std::u16string& path) {
        return std::find_if(keys.begin(), keys.end(),
                            [&](const auto& k) { return FoldPath(k.first) == FoldPath(path); });
    }
    std::vector<std::u16string> Children(Key key) const {
        const std::u16string prefix = m_open[key - 1] + u"\\";
        std::vector<std::u16string> names;
        for (const auto& [path, k] : keys)
            if (path.compare(0, prefix.size(), prefix) == 0 && path.find(u'\\', prefix.size()) == path.npos)
                names.push_back(path.substr(prefix.size()));
        return names;
    }
    std::vector<std::u16string> m_open;
    std::mutex m_lock;
};

// A literal's characters without the zero the compiler puts after it.
template <size_t N>
std::vector<uint8_t> Sz(const char16_t (&s)[N]) {
    std::vector<uint8_t> bytes;
    for (char16_t c : std::u16string_view(s, N - 1))
        bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return bytes;
}

// The import preview of a .reg file's bytes over `tree` (the current user's SID `sid`), and the
// comparisons of its two readings with TestNotes: what importing changes, and the backup.
inline bool PreviewFile(CRegistryTree& tree, const std::string& file, const std::u16string& sid, ImportPreview& preview,
                        std::u16string& changes, std::u16string& backup) {
    CTextSource source(file);
    CExportReader lines(source, DecodeAnsi, nullptr);
    if (!lines.Open(1 << 20) || !PreviewImport(tree, lines, DecodeAnsi, nullptr, sid, preview, nullptr)) return false;
    CReadingSource now(preview.now), after(preview.after);
    CExportCompare forward(DecodeAnsi, nullptr), back(DecodeAnsi, nullptr);
    return forward.Run(now, after, TestNotes(), changes) && back.Run(after, now, TestNotes(), backup);
}
