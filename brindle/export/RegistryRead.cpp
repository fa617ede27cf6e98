#include "RegistryRead.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "ExportParser.h"

namespace {

constexpr uint32_t kString = 1, kExpandString = 2, kBinary = 3, kDword = 4, kMultiString = 7;
constexpr char16_t kDigits[] = u"0123456789abcdef";

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

// The key lines of an export: each key once, the first spelling kept, and whether any line
// deletes a key or a value.
class CKeyLines : public CExportParser::Handler {
public:
    explicit CKeyLines(ExportBranches& out) : m_out(out) {}
    void Key(std::u16string_view path, uint64_t) override {
        ++m_out.keys;
        std::u16string folded = FoldPath(path);
        if (m_seen.insert(folded).second) m_order.emplace_back(std::move(folded), std::u16string(path));
    }
    void KeyClosed() override {}
    void Value(const ExportValue& value) override { m_out.patch = m_out.patch || value.removed; }
    // Each key with no key listed above it.
    void Tops() {
        for (const auto& [folded, path] : m_order) {
            bool below = false;
            for (size_t at = folded.find(u'\\'); at != std::u16string::npos && !below; at = folded.find(u'\\', at + 1))
                below = m_seen.count(folded.substr(0, at)) != 0;
            if (!below) m_out.tops.push_back(path);
        }
    }

private:
    ExportBranches& m_out;
    std::unordered_set<std::u16string> m_seen;
    std::vector<std::pair<std::u16string, std::u16string>> m_order;
};

size_t Blanks(const char16_t* text, size_t length) {
    size_t i = 0;
    while (i < length && (text[i] == u' ' || text[i] == u'\t')) ++i;
    return i;
}

void AppendEscaped(std::u16string& out, std::u16string_view text) {
    for (const char16_t c : text) {
        if (c == u'\\' || c == u'"') {
            out += u'\\';
            out += c;
        } else if (c == u'\r') {
            out += u"\\r";
        } else if (c == u'\n') {
            out += u"\\n";
        } else {
            out += c;
        }
    }
}

}  // namespace

// A value line as the registry editor exports it (hex data on one line: the comparison
// wraps what it writes itself). True when the line restores the value exactly.
bool AppendValueLine(std::u16string& out, const std::u16string& name, uint32_t type, const std::vector<uint8_t>& data,
                     bool stringAsHex) {
    if (name.empty()) {
        out += u'@';
    } else {
        out += u'"';
        AppendEscaped(out, name);
        out += u'"';
    }
    out += u'=';
    const size_t units = data.size() / 2;
    auto unit = [&](size_t i) { return static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8); };
    // Import stores a string with one final zero: data with none, an odd byte or a zero
    // before the end comes back otherwise.
    const bool endsInZero = data.size() % 2 == 0 && units > 0 && unit(units - 1) == 0;
    if (type == kString && !stringAsHex) {
        std::u16string text;
        size_t n = 0;
        while (n < units && unit(n) != 0) text += unit(n++);
        out += u'"';
        AppendEscaped(out, text);
        out += u"\"\r\n";
        return endsInZero && n == units - 1;
    }
    if (type == kDword && data.size() == 4) {
        const uint32_t v = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
        out += u"dword:";
        for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[v >> shift & 15];
        out += u"\r\n";
        return true;
    }
    if (type == kBinary) {
        out += u"hex:";
    } else {
        out += u"hex(";
        char16_t digits[8];
        size_t n = 0;
        uint32_t t = type;
        do digits[n++] = kDigits[t % 16];
        while ((t /= 16) != 0);
        while (n > 0) out += digits[--n];
        out += u"):";
    }
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) out += u',';
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 15];
    }
    out += u"\r\n";
    return (type != kString && type != kExpandString && type != kMultiString) || endsInZero;
}

namespace {

class CBranchReader {
public:
    CBranchReader(CRegistryTree& tree, RegistryReading& out, std::atomic<uint64_t>* done, const std::atomic<bool>* stop,
                  bool subkeys = true)
        : m_tree(tree), m_out(out), m_done(done), m_stop(stop), m_subkeys(subkeys) {}

    bool Branch(const std::u16string& top) {
        const size_t slash = top.find(u'\\');
        const std::u16string root = FoldPath(top.substr(0, slash));
        std::u16string rest = slash == std::u16string::npos ? std::u16string() : top.substr(slash + 1);
        while (!rest.empty() && rest.back() == u'\\') rest.pop_back();
        const std::u16string path = rest.empty() ? root : root + u'\\' + rest;
        CRegistryTree::Key rootKey = 0, key = 0;
        if (m_tree.Open(0, root, rootKey) != TreeStatus::Ok) {
            LeaveOut(KeyNote::NoRoot, path);
            return true;
        }
        const TreeStatus status = m_tree.Open(rootKey, rest, key);
        if (status == TreeStatus::Gone && root == u"HKEY_USERS" && !HiveLoaded(rootKey, rest))
            LeaveOut(KeyNote::NotLoaded, path);
        else if (status == TreeStatus::Gone) m_out.absent.push_back(path);
        else if (status != TreeStatus::Ok) LeaveOut(KeyNote::Denied, path);
        m_tree.Close(rootKey);
        if (status != TreeStatus::Ok) return true;
        m_out.branches.push_back(path);
        Visit(key, path);
        if (!m_subkeys && !m_stack.empty()) {  // the key alone
            m_tree.Close(m_stack.back().key);
            m_stack.clear();
        }
        if (m_stack.size() == 1 && m_stack.back().subkeys.size() >= 2) return Split();
        return Drain();
    }

private:
    struct Frame;

    // Depth first from the stack's keys; false when stopped.
    bool Drain() {
        while (!m_stack.empty()) {
            if (Stopped(m_stop)) {
                for (const Frame& frame : m_stack) m_tree.Close(frame.key);
                m_stack.clear();
                return false;
            }
            Frame& frame = m_stack.back();
            if (frame.next == frame.subkeys.size()) {
                m_tree.Close(frame.key);
                m_stack.pop_back();
                continue;
            }
            Child(frame, frame.subkeys[frame.next++]);
        }
        return !Stopped(m_stop);
    }

    void Child(const Frame& parent, const std::u16string& name) {
        std::u16string childPath = parent.path + u'\\' + name;
        CRegistryTree::Key child = 0;
        const TreeStatus opened = m_tree.Open(parent.key, name, child);
        if (opened == TreeStatus::Ok) Visit(child, std::move(childPath));
        else LeaveOut(opened == TreeStatus::Gone ? KeyNote::Gone : KeyNote::Denied, childPath);
    }

    // The branch's subkeys read on two threads, each taking the next one not yet taken into a
    // part of its own; the parts then joined in the subkeys' order, as one thread writes them.
    // The registry answers two threads at once faster than one that waits for each answer.
    bool Split() {
        const Frame top = std::move(m_stack.back());
        m_stack.pop_back();
        std::vector<RegistryReading> parts(top.subkeys.size());
        std::atomic<size_t> next{0};
        std::atomic<bool> failed{false};
        const auto work = [&] {
            try {
                for (size_t i = next++; i < parts.size() && !failed; i = next++) {
                    CBranchReader reader(m_tree, parts[i], m_done, m_stop);
                    reader.m_above = m_above;
                    reader.m_above.push_back(top.identity);
                    reader.Child(top, top.subkeys[i]);
                    reader.Drain();
                }
            } catch (const std::exception&) {  // memory ran out
                failed = true;
            }
        };
        std::thread helper;
        try {
            helper = std::thread(work);
        } catch (const std::system_error&) {}
        work();
        if (helper.joinable()) helper.join();
        m_tree.Close(top.key);
        if (failed) throw std::bad_alloc();
        for (RegistryReading& part : parts) {
            m_out.text += part.text;
            std::u16string().swap(part.text);
            m_out.named.insert(m_out.named.end(), part.named.begin(), part.named.end());
            m_out.leftOut.insert(part.leftOut.begin(), part.leftOut.end());
            m_out.keys += part.keys;
            m_out.values += part.values;
        }
        return !Stopped(m_stop);
    }

    struct Frame {
        CRegistryTree::Key key;
        std::u16string path, identity;
        std::vector<std::u16string> subkeys;
        size_t next = 0;
    };

    bool HiveLoaded(CRegistryTree::Key users, const std::u16string& rest) {
        CRegistryTree::Key hive = 0;
        if (m_tree.Open(users, rest.substr(0, rest.find(u'\\')), hive) != TreeStatus::Ok) return false;
        m_tree.Close(hive);
        return true;
    }

    void LeaveOut(KeyNote why, const std::u16string& path) {
        m_out.named.push_back({why, path, std::u16string()});
        m_out.leftOut.insert(FoldPath(path));
    }

    // Reads the key and, once it is written, stands it on the stack for its subkeys.
    void Visit(CRegistryTree::Key key, std::u16string path) {
        Frame frame{key, std::move(path), m_tree.Identity(key), {}, 0};
        const bool loop =
            m_above.size() + m_stack.size() >= kDeepest ||
            (!frame.identity.empty() && (std::find(m_above.begin(), m_above.end(), frame.identity) != m_above.end() ||
                                         std::any_of(m_stack.begin(), m_stack.end(), [&](const Frame& above) {
                                             return above.identity == frame.identity;
                                         })));
        const TreeStatus status = loop ? TreeStatus::Ok : Read(frame);
        if (loop || status != TreeStatus::Ok) {
            m_tree.Close(key);
            LeaveOut(loop ? KeyNote::Loop : status == TreeStatus::Gone ? KeyNote::Gone : KeyNote::Denied, frame.path);
            return;
        }
        m_stack.push_back(std::move(frame));
    }

    TreeStatus Read(Frame& frame) {
        bool settled = false;
        uint64_t values = 0;
        for (int attempt = 0; attempt < kReadAttempts && !settled; ++attempt) {
            m_block.clear();
            m_unrestorable.clear();
            frame.subkeys.clear();
            values = 0;
            CRegistryTree::Stamp before, after;
            TreeStatus status = m_tree.Info(frame.key, before);
            if (status != TreeStatus::Ok) return status;
            m_block += u'[';
            m_block += frame.path;
            m_block += u"]\r\n";
            // As many as the key held when it was asked: no call to find the end, and one
            // that ends sooner means the key changed, which the second stamp shows too.
            for (uint32_t i = 0; i < before.values; ++i, ++values) {
                status = m_tree.Value(frame.key, i, m_name, m_type, m_data);
                if (status == TreeStatus::End) break;
                if (status != TreeStatus::Ok) return status;
                if ((i & 0xFFF) == 0xFFF && Stopped(m_stop)) return TreeStatus::Gone;  // a key of many values
                if (!AppendValueLine(m_block, m_name, m_type, m_data)) m_unrestorable.push_back(m_name);
            }
            for (uint32_t i = 0; m_subkeys && i < before.subkeys; ++i) {
                status = m_tree.Subkey(frame.key, i, m_name);
                if (status == TreeStatus::End) break;
                if (status != TreeStatus::Ok) return status;
                frame.subkeys.push_back(m_name);
            }
            status = m_tree.Info(frame.key, after);
            if (status != TreeStatus::Ok) return status;
            settled =
                before == after && values == before.values && (!m_subkeys || frame.subkeys.size() == before.subkeys);
        }
        m_block += u"\r\n";
        if (!settled) m_out.named.push_back({KeyNote::Unsettled, frame.path, std::u16string()});
        for (std::u16string& name : m_unrestorable)
            m_out.named.push_back({KeyNote::Unrestorable, frame.path, std::move(name)});
        m_out.text += m_block;
        ++m_out.keys;
        m_out.values += values;
        if (m_done) m_done->fetch_add(m_block.size() * 2, std::memory_order_relaxed);
        return TreeStatus::Ok;
    }

    CRegistryTree& m_tree;
    RegistryReading& m_out;
    std::atomic<uint64_t>* m_done;
    const std::atomic<bool>* m_stop;
    const bool m_subkeys;  // false: the branch's top key alone
    std::vector<Frame> m_stack;
    std::vector<std::u16string> m_above;  // the identities of the keys above the stack's first
    std::u16string m_block, m_name;
    std::vector<std::u16string> m_unrestorable;
    uint32_t m_type = 0;
    std::vector<uint8_t> m_data;
};

}  // namespace

std::u16string FoldPath(std::u16string_view path) {
    while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    std::u16string folded(path);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
    return folded;
}

bool UnderAny(const std::unordered_set<std::u16string>& paths, std::u16string_view folded) {
    if (paths.empty()) return false;
    for (size_t at = folded.find(u'\\'); at != std::u16string_view::npos; at = folded.find(u'\\', at + 1))
        if (paths.count(std::u16string(folded.substr(0, at)))) return true;
    return paths.count(std::u16string(folded)) != 0;
}

bool ScanBranches(CExportLines& lines, AnsiDecoder decode, void* context, ExportBranches& out) {
    CKeyLines keys(out);
    CExportParser parser(keys, lines.Format(), decode, context);
    const char16_t* text = nullptr;
    size_t length = 0;
    uint64_t place = 0;
    while (lines.Next(text, length, place)) {
        const size_t i = Blanks(text, length);
        // `[-` deletes a branch (a blank between them voids the line, but it is a patch all the same)
        if (i + 1 < length && text[i] == u'[' && text[i + 1] == u'-') out.patch = true;
        parser.Line(text, length, place);
    }
    parser.End();
    if (lines.ReadFailed() || lines.Stopped()) return false;
    keys.Tops();
    return true;
}

bool ReadBranches(CRegistryTree& tree, const std::vector<std::u16string>& tops, RegistryReading& out,
                  std::atomic<uint64_t>* done, const std::atomic<bool>* stop) {
    out.text = u"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const std::u16string& top : tops)
        if (!ReadBranch(tree, top, true, out, done, stop)) return false;
    return true;
}

bool ReadBranch(CRegistryTree& tree, const std::u16string& top, bool subkeys, RegistryReading& out,
                std::atomic<uint64_t>* done, const std::atomic<bool>* stop) {
    return !Stopped(stop) && CBranchReader(tree, out, done, stop, subkeys).Branch(top);
}

bool CReadingSource::Read(uint64_t offset, void* buffer, size_t n, size_t& got) {
    static const uint8_t kMark[2] = {0xFF, 0xFE};
    const std::u16string& text = m_reading->text;
    const uint64_t size = Size();
    got = offset >= size ? 0 : static_cast<size_t>(std::min<uint64_t>(n, size - offset));
    uint8_t* to = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < got;) {
        const uint64_t at = offset + i;
        if (at < 2) {
            to[i++] = kMark[at];
            continue;
        }
        const size_t part = got - i;
        std::memcpy(to + i, reinterpret_cast<const uint8_t*>(text.data()) + (at - 2), part);
        i += part;
    }
    return true;
}

bool CLeftOutLines::Next(const char16_t*& text, size_t& length, uint64_t& place) {
    for (;;) {
        if (!m_lines.Next(text, length, place)) return false;
        const size_t i = Blanks(text, length);
        if (i + 1 < length && text[i] == u'[' && text[i + 1] != u' ' && text[i + 1] != u'\t') {
            const std::u16string_view line(text, length);
            const size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos && close > i) {
                const size_t start = i + 1 + (text[i + 1] == u'-' ? 1 : 0);
                m_skipping = start <= close && UnderAny(m_leftOut, FoldPath(line.substr(start, close - start)));
            }
        }
        if (!m_skipping) return true;
    }
}
