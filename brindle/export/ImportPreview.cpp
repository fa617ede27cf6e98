#include "ImportPreview.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "ExportParser.h"

namespace {

constexpr char16_t kStep = u'\\';

// Folded paths in the order of a tree walked depth first: each key's branch right after it.
struct TreeOrder {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            if (a[i] == b[i]) continue;
            if (a[i] == kStep) return true;
            if (b[i] == kStep) return false;
            return a[i] < b[i];
        }
        return a.size() < b.size();
    }
};

bool IsBelow(const std::u16string& path, const std::u16string& top) {
    return path.size() > top.size() && path[top.size()] == kStep && path.compare(0, top.size(), top) == 0;
}

std::u16string Folded(std::u16string_view text) {
    std::u16string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
    return folded;
}

// A key's values in the order they came, found by their folded names: by a look along the list
// while a key holds few, through an index once it holds many.
class CValues {
public:
    struct Value {
        std::u16string name, folded;
        uint32_t type = 0;
        std::vector<uint8_t> data;
        bool gone = false;
    };

    Value* Find(const std::u16string& folded) {
        if (m_index) {
            const auto at = m_index->find(folded);
            return at == m_index->end() ? nullptr : &m_list[at->second];
        }
        for (Value& value : m_list)
            if (!value.gone && value.folded == folded) return &value;
        return nullptr;
    }
    void Set(const std::u16string& folded, std::u16string_view name, uint32_t type, const uint8_t* data, size_t size) {
        Value* value = Find(folded);
        if (!value) {
            if (m_index) m_index->emplace(folded, m_list.size());
            m_list.push_back({std::u16string(name), folded, 0, {}, false});
            value = &m_list.back();
            if (!m_index && m_list.size() >= kIndexFrom) {
                m_index = std::make_unique<std::unordered_map<std::u16string, size_t>>();
                for (size_t i = 0; i < m_list.size(); ++i)
                    if (!m_list[i].gone) m_index->emplace(m_list[i].folded, i);
            }
        }
        value->type = type;
        value->data.assign(data, data + size);
    }
    void Erase(const std::u16string& folded) {
        Value* value = Find(folded);
        if (!value) return;
        value->gone = true;
        if (m_index) m_index->erase(folded);
    }
    void Clear() {
        m_list.clear();
        m_index.reset();
    }
    // The values as the registry editor exports them; a string no quoted line holds exactly
    // (a zero inside, none at its end) as hex(1), which does.
    void Write(std::u16string& out) const {
        for (const Value& value : m_list)
            if (!value.gone)
                AppendValueLine(out, value.name, value.type, value.data, value.type == 1 && !Clean(value.data));
    }

private:
    // String data that ends in its one zero character and holds no other.
    static bool Clean(const std::vector<uint8_t>& data) {
        const size_t n = data.size();
        if (n < 2 || n % 2 != 0 || data[n - 1] != 0 || data[n - 2] != 0) return false;
        for (size_t i = 0; i + 2 < n; i += 2)
            if (data[i] == 0 && data[i + 1] == 0) return false;
        return true;
    }

    static constexpr size_t kIndexFrom = 16;
    std::vector<Value> m_list;
    std::unique_ptr<std::unordered_map<std::u16string, size_t>> m_index;
};

struct Node {
    std::u16string path;  // as the registry spells it, or the file where it does not exist
    bool existed = false, exists = false;
    bool leftOut = false;     // could not be read: listed on neither side
    bool branchRead = false;  // every key below it is known too
    CValues before, after;
};

// Which keys reach the same one: HKEY_USERS\<sid> is HKEY_CURRENT_USER, and HKEY_CLASSES_ROOT
// shows the Software\Classes keys of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
enum class Reach { ClassesRoot, MachineClasses, UserClasses, Other };

class CPreview : public CExportParser::Handler {
public:
    CPreview(CRegistryTree& tree, const std::u16string& sid, ImportPreview& out, const std::atomic<bool>* stop)
        : m_tree(tree), m_users(u"HKEY_USERS\\" + Folded(sid)), m_out(out), m_stop(stop) {}

    size_t events = 0;  // calls from the parser, counted for the lines that made none
    bool stopped = false;

    void Key(std::u16string_view path, uint64_t) override {
        ++events;
        m_open = Open(path);
    }
    void KeyClosed() override {  // under no known root
        ++events;
        m_open = nullptr;
        ++m_out.ignored;
    }
    void KeyDeleted(std::u16string_view path, uint64_t) override {
        ++events;
        m_open = nullptr;
        Delete(path);
    }
    void Value(const ExportValue& value) override {
        ++events;
        if (!m_open) return;  // a key that could not be read: named
        const std::u16string folded = Folded(value.name);
        CValues::Value* now = m_open->after.Find(folded);
        if (value.removed) {
            if (now) m_open->after.Erase(folded);
            else ++m_out.unchanged;
        } else if (now && now->type == value.type && now->data.size() == value.size &&
                   std::equal(now->data.begin(), now->data.end(), value.data)) {
            ++m_out.unchanged;
        } else {
            m_open->after.Set(folded, value.name, value.type, value.data, value.size);
        }
    }

    // The two readings' texts, keys in the order of the tree.
    void Write() {
        RegistryReading &now = *m_out.now, &after = *m_out.after;
        // Measured first, then written into room made once: a text grown as it goes would hold
        // twice its size while it moves.
        size_t sizes[2] = {0, 0};
        std::u16string block;
        for (int pass = 0; pass < 2; ++pass) {
            now.text = after.text = u"Windows Registry Editor Version 5.00\r\n\r\n";
            if (pass == 1) {
                now.text.reserve(now.text.size() + sizes[0]);
                after.text.reserve(after.text.size() + sizes[1]);
            }
            for (const auto& [folded, node] : m_nodes) {
                if (node.leftOut) continue;
                for (int side = 0; side < 2; ++side) {
                    if (!(side == 0 ? node.existed : node.exists)) continue;
                    block = u'[' + node.path + u"]\r\n";
                    (side == 0 ? node.before : node.after).Write(block);
                    block += u"\r\n";
                    if (pass == 0) {
                        sizes[side] += block.size();
                        continue;
                    }
                    RegistryReading& reading = side == 0 ? now : after;
                    reading.text += block;
                    ++reading.keys;
                }
            }
        }
    }

private:
    static std::u16string Trimmed(std::u16string_view path) {
        while (!path.empty() && path.back() == kStep) path.remove_suffix(1);
        return std::u16string(path);
    }

    // The key line's key, created with the keys above it that are missing; null when it could
    // not be read.
    Node* Open(std::u16string_view spelled) {
        const std::u16string path = Trimmed(spelled);
        NoteReach(path);
        const size_t root = path.find(kStep);  // a root is there already
        for (size_t at = path.find(kStep, root + (root != std::u16string::npos)); at != std::u16string::npos;
             at = path.find(kStep, at + 1)) {
            Node& above = Touch(path.substr(0, at));
            if (stopped) return nullptr;
            if (!above.leftOut) Create(above);
        }
        Node& node = Touch(path);
        if (stopped || node.leftOut) return nullptr;
        if (root != std::u16string::npos) Create(node);
        return &node;
    }

    static void Create(Node& node) {
        if (node.exists) return;
        node.exists = true;
        node.after.Clear();
    }

    void Delete(std::u16string_view spelled) {
        const std::u16string path = Trimmed(spelled), folded = Folded(path);
        NoteReach(path);
        if (folded.find(kStep) == std::u16string::npos) {  // a root cannot be deleted
            ++m_out.ignored;
            return;
        }
        auto [at, fresh] = m_nodes.try_emplace(folded);
        if (fresh) at->second.path = path;
        if (!at->second.branchRead && !at->second.leftOut) Read(at->second, true);
        if (stopped || at->second.leftOut) return;
        bool changes = false;
        for (; at != m_nodes.end() && (at->first == folded || IsBelow(at->first, folded)); ++at) {
            Node& node = at->second;
            node.branchRead = true;
            if (node.leftOut) {
                if (m_unrestorable.insert(at->first).second) m_out.unrestorable.push_back(node.path);
                changes = true;
            } else if (node.exists) {
                node.exists = false;
                node.after.Clear();
                changes = true;
            }
        }
        if (!changes) ++m_out.unchanged;
    }

    // The key as it is now, read when it is met first.
    Node& Touch(const std::u16string& path) {
        const std::u16string folded = Folded(path);
        auto [at, fresh] = m_nodes.try_emplace(folded);
        if (fresh) {
            at->second.path = path;
            // Under a root this system lacks or a hive not loaded: named once, for the first key.
            if (UnderAny(m_lacking, folded)) at->second.leftOut = true;
            else Read(at->second, false);
        }
        return at->second;
    }

    // Reads the key (with its branch: `subkeys`) into the nodes; keys met before keep what the
    // file did to them.
    void Read(Node& node, bool subkeys) {
        RegistryReading part;
        if (!ReadBranch(m_tree, node.path, subkeys, part, nullptr, m_stop)) {
            stopped = true;
            return;
        }
        CReadBack back(*this, node);
        CExportParser parser(back, ExportFormat::Version5, nullptr, nullptr);
        const std::u16string& text = part.text;
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find(u"\r\n", at), text.size());
            parser.Line(text.data() + at, end - at, at);
            at = end + 2;
        }
        parser.End();
        RegistryReading& now = *m_out.now;
        for (NamedKey& named : part.named) {
            const std::u16string folded = Folded(named.path);
            if (named.why <= KeyNote::Loop) {  // left out
                auto [at, fresh] = m_nodes.try_emplace(folded);
                if (fresh || &at->second == &node) {
                    at->second.path = named.path;
                    at->second.leftOut = true;
                }
                now.leftOut.insert(folded);
                if (named.why == KeyNote::NoRoot || named.why == KeyNote::NotLoaded) {
                    const size_t root = folded.find(kStep);
                    m_lacking.insert(
                        folded.substr(0, named.why == KeyNote::NoRoot ? root : folded.find(kStep, root + 1)));
                }
            }
            if (m_named.insert({static_cast<int>(named.why), folded + u'\0' + named.value}).second)
                now.named.push_back(std::move(named));
        }
    }

    // A reading's keys into the nodes.
    class CReadBack : public CExportParser::Handler {
    public:
        CReadBack(CPreview& preview, Node& first) : m_preview(preview), m_first(first) {}
        void Key(std::u16string_view path, uint64_t) override {
            auto [at, fresh] = m_preview.m_nodes.try_emplace(Folded(path));
            m_node = fresh || (&at->second == &m_first && !m_first.existed) ? &at->second : nullptr;
            if (!m_node) return;
            m_node->path = std::u16string(path);
            m_node->existed = m_node->exists = true;
        }
        void KeyClosed() override { m_node = nullptr; }
        void Value(const ExportValue& value) override {
            if (!m_node) return;
            const std::u16string folded = Folded(value.name);
            m_node->before.Set(folded, value.name, value.type, value.data, value.size);
            m_node->after.Set(folded, value.name, value.type, value.data, value.size);
        }

    private:
        CPreview& m_preview;
        Node& m_first;
        Node* m_node = nullptr;
    };

    // Which key this path reaches, and through which root.
    std::u16string Reached(const std::u16string& folded, Reach& reach) const {
        static const std::u16string kUser = u"HKEY_CURRENT_USER", kRoot = u"HKEY_CLASSES_ROOT",
                                    kClasses = u"\\SOFTWARE\\CLASSES", kMachine = u"HKEY_LOCAL_MACHINE";
        const auto starts = [](const std::u16string& path, const std::u16string& top) {
            return path == top || IsBelow(path, top);
        };
        std::u16string path = folded;
        if (starts(path, m_users)) path = kUser + path.substr(m_users.size());
        reach = Reach::Other;
        if (starts(path, kUser + kClasses) || starts(path, kMachine + kClasses)) {
            reach = path[5] == u'C' ? Reach::UserClasses : Reach::MachineClasses;
            const size_t top = (reach == Reach::UserClasses ? kUser : kMachine).size() + kClasses.size();
            path = kRoot + path.substr(top);
        } else if (starts(path, kRoot)) {
            reach = Reach::ClassesRoot;
        }
        return path;
    }

    struct Spelling {
        std::u16string folded, path;
        Reach reach;
    };

    // Tells where this key was named before under another root that reaches it.
    void NoteReach(const std::u16string& path) {
        const std::u16string folded = Folded(path);
        Reach reach;
        const std::u16string key = Reached(folded, reach);
        if (key == folded && reach == Reach::Other && folded.compare(0, 17, u"HKEY_CURRENT_USER") != 0) return;
        std::vector<Spelling>& seen = m_reached[key];
        for (const Spelling& other : seen) {
            if (other.folded == folded) return;
        }
        for (const Spelling& other : seen) {
            // The two Software\Classes keys are two keys, both shown under HKEY_CLASSES_ROOT.
            const bool classes = reach != Reach::Other && reach != Reach::ClassesRoot;
            const bool otherClasses = other.reach != Reach::Other && other.reach != Reach::ClassesRoot;
            if (!(classes && otherClasses && reach != other.reach)) m_out.twoRoots.emplace_back(other.path, path);
        }
        seen.push_back({folded, path, reach});
    }

    CRegistryTree& m_tree;
    const std::u16string m_users;  // HKEY_USERS\<sid>, folded
    ImportPreview& m_out;
    const std::atomic<bool>* m_stop;
    std::map<std::u16string, Node, TreeOrder> m_nodes;
    Node* m_open = nullptr;
    std::set<std::pair<int, std::u16string>> m_named;
    std::set<std::u16string> m_unrestorable;
    std::unordered_set<std::u16string> m_lacking;  // roots and hives that are not there, folded
    std::unordered_map<std::u16string, std::vector<Spelling>> m_reached;
};

size_t Blanks(const char16_t* text, size_t length) {
    size_t i = 0;
    while (i < length && (text[i] == u' ' || text[i] == u'\t')) ++i;
    return i;
}

}  // namespace

bool PreviewImport(CRegistryTree& tree, CExportLines& lines, AnsiDecoder decode, void* context,
                   const std::u16string& sid, ImportPreview& out, const std::atomic<bool>* stop) {
    if (!out.now) out.now = std::make_shared<RegistryReading>();
    out.after = std::make_shared<RegistryReading>();
    CPreview preview(tree, sid, out, stop);
    CExportParser parser(preview, lines.Format(), decode, context);
    const char16_t* text = nullptr;
    size_t length = 0;
    uint64_t place = 0;
    while (lines.Next(text, length, place)) {
        // A line that makes no call of the parser, once it is whole (hex data wraps), is one
        // that import skips; blanks and comments say nothing.
        const bool within = parser.Continues();
        const size_t i = Blanks(text, length);
        const bool said = within || (i < length && text[i] != u';');
        preview.events = 0;
        parser.Line(text, length, place);
        if (preview.stopped) return false;
        if (!parser.Continues() && said && preview.events == 0) ++out.ignored;
    }
    const bool wrapped = parser.Continues();
    preview.events = 0;
    parser.End();
    if (wrapped && preview.events == 0) ++out.ignored;
    if (lines.ReadFailed() || lines.Stopped() || preview.stopped) return false;
    preview.Write();
    return true;
}
