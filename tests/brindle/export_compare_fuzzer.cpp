// Fuzzes the comparison of two exports against what they mean. From the bytes come an older
// registry and a newer one made from it by a few changes, each written as an export in one of
// the many ways import reads alike: UTF-16 or ANSI, any line ends, letter case, value order,
// hex wrapped anywhere or not, a dword as hex(4), a string as hex(1), a key listed twice, a
// value named twice, noise lines, empty parents left out; string data holds CR, LF, `[` and
// `;`, which the comment lines under its values must not let out. The result, imported over the
// older by the rules written here, must leave the newer (a key only named in the older by one
// below it may stay behind, empty), list no key that did not change, count what changed and
// tell no cut export; the same with the two swapped. The newer cut short anywhere is compared
// too, and told when cut inside a UTF-16 character. Other bytes are compared as they come, with
// themselves (no key listed) and with each other (every line of the result one that import
// reads as the writer meant it), read in pieces of any size. And the import preview of a patch
// drawn as steps over a registry (keys made, values set, some to what they hold, values and
// branches deleted, values where no key is open): its changes imported over the registry give
// what the steps give, its backup imported after them gives the registry back, nothing
// unchanged is listed, and the lines that change nothing or go nowhere are counted.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../support/ExportTexts.h"
#include "../support/FakeRegistry.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Values = std::map<std::u16string, std::pair<uint32_t, Bytes>>;  // folded name: type, data as stored
struct Key {
    bool listed = false;
    Values values;
};
// Keys by folded path: what an export lists, and the keys above them that it only names.
using Registry = std::map<std::u16string, Key>;

void Check(bool ok) {
    if (!ok) abort();
}

// ASCII and Latin-1 small letters, each 0x20 above its capital.
bool IsSmall(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7); }

std::u16string Folded(std::u16string s) {
    for (char16_t& c : s)
        if (IsSmall(c)) c ^= 0x20;
    return s;
}

Bytes Utf16(std::u16string_view s) {
    const std::string file = Utf16File(s);
    return Bytes(file.begin() + 2, file.end());
}

std::u16string Text(const Bytes& utf16) {
    std::u16string s;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) s += static_cast<char16_t>(utf16[i] | utf16[i + 1] << 8);
    return s;
}

bool IsString(uint32_t type) { return type == 1 || type == 2 || type == 7; }

// The listed keys and the keys above them: what importing them leaves.
Registry Named(const Registry& keys) {
    Registry out;
    for (const auto& [path, key] : keys) {
        if (!key.listed) continue;
        out[path] = key;
        for (size_t at = path.find(u'\\'); at != path.npos; at = path.find(u'\\', at + 1)) out[path.substr(0, at)];
    }
    return out;
}

// --- Drawing the registries

const char16_t* const kRoots[] = {u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE"};
const char16_t* const kParts[] = {u"a", u"B", u"ab", u"é", u"乜", u"人x"};
const char16_t* const kNames[] = {u"", u"x", u"Y", u"q\"", u"b\\s", u"É"};
const char16_t kChars[] = u"aB\"\\ é乜人\r\n[;";

std::u16string String(FuzzedDataProvider& fdp) {
    std::u16string s;
    for (size_t n = fdp.ConsumeIntegralInRange(0, 4); n > 0; --n)
        s += kChars[fdp.ConsumeIntegralInRange<size_t>(0, std::size(kChars) - 2)];
    return s + u'\0';
}

void SetValue(Key& key, FuzzedDataProvider& fdp) {
    const uint32_t type = fdp.PickValueInArray({0u, 1u, 2u, 3u, 4u, 7u, 0xbu, 0x20000u});
    Bytes data = IsString(type) ? Utf16(type == 7 ? String(fdp) + String(fdp) + u'\0' : String(fdp))
                                : fdp.ConsumeBytes<uint8_t>(fdp.ConsumeIntegralInRange(0, 40));
    if (type == 4) data.resize(4);
    key.values[Folded(fdp.PickValueInArray(kNames))] = {type, data};
    key.listed = true;
}

void AddKey(Registry& registry, FuzzedDataProvider& fdp) {
    std::u16string path = fdp.PickValueInArray(kRoots);
    for (int depth = fdp.ConsumeIntegralInRange(0, 3); depth > 0; --depth)
        path += u"\\" + Folded(fdp.PickValueInArray(kParts));
    Key& key = registry[path];
    key.listed = true;
    for (int n = fdp.ConsumeIntegralInRange(0, 3); n > 0; --n) SetValue(key, fdp);
}

Registry Changed(Registry registry, FuzzedDataProvider& fdp) {
    for (int n = fdp.ConsumeIntegralInRange(0, 5); n > 0; --n) {
        const int what = fdp.ConsumeIntegralInRange(0, 3);
        if (what == 0 || registry.empty()) {
            AddKey(registry, fdp);
            continue;
        }
        Key& key = std::next(registry.begin(), fdp.ConsumeIntegralInRange<size_t>(0, registry.size() - 1))->second;
        if (what == 1) key = Key();  // gone, or only named by a key below it
        else if (what == 2) SetValue(key, fdp);
        else if (!key.values.empty())
            key.values.erase(
                std::next(key.values.begin(), fdp.ConsumeIntegralInRange<size_t>(0, key.values.size() - 1)));
    }
    return Named(registry);
}

// --- Writing them as exports

// Letters in either case: paths and names are kept in capitals.
std::u16string Flipped(std::u16string s, FuzzedDataProvider& fdp) {
    const uint64_t bits = fdp.ConsumeIntegral<uint64_t>();
    for (size_t i = 0; i < s.size(); ++i)
        if (IsSmall(s[i] | 0x20) && ((bits >> (i % 64)) & 1)) s[i] ^= 0x20;
    return s;
}

std::u16string Quoted(std::u16string_view s) {  // CR and LF as \r and \n, as Wine's editor writes them
    std::u16string out = u"\"";
    for (char16_t c : s)
        out += c == u'\r' ? u"\\r" : c == u'\n' ? u"\\n" : std::u16string(c == u'\\' || c == u'"', u'\\') + c;
    return out + u"\"";
}

std::u16string Hex(FuzzedDataProvider& fdp, const Bytes& bytes, const std::u16string& eol) {
    const size_t perLine = fdp.ConsumeIntegralInRange(0, 30);
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char16_t* digits = fdp.ConsumeBool() ? u"0123456789abcdef" : u"0123456789ABCDEF";
        out += {digits[bytes[i] >> 4], digits[bytes[i] & 15]};
        if (i + 1 < bytes.size()) out += u",";
        if (perLine && (i + 1) % perLine == 0 && i + 1 < bytes.size())
            out += u"\\" + eol + (fdp.ConsumeBool() ? u"  ;c" + eol : u"") + u"  ";
    }
    return out;
}

std::u16string HexNumber(uint32_t n, int digits) {  // at least that many
    std::u16string out;
    for (; n || digits > 0; n /= 16, --digits) out.insert(out.begin(), u"0123456789abcdef"[n % 16]);
    return out;
}

std::u16string ValueLine(FuzzedDataProvider& fdp, const std::u16string& name, uint32_t type, const Bytes& data,
                         bool ansi, const std::u16string& eol) {
    std::u16string out = name.empty() && fdp.ConsumeBool() ? u"@=" : Quoted(Flipped(name, fdp)) + u"=";
    if (type == 1 && fdp.ConsumeBool()) return out + Quoted(Text(data).substr(0, data.size() / 2 - 1));
    if (type == 4 && fdp.ConsumeBool())
        return out + u"dword:" + HexNumber(data[0] | data[1] << 8 | data[2] << 16 | uint32_t{data[3]} << 24, 8);
    std::string encoded;
    if (IsString(type) && ansi) Check(EncodeAnsi(Text(data), encoded));
    out += type == 3 && fdp.ConsumeBool() ? u"hex:" : u"hex(" + HexNumber(type, 1) + u"):";
    return out + Hex(fdp, IsString(type) && ansi ? Bytes(encoded.begin(), encoded.end()) : data, eol);
}

// An empty key with a key below it may be left out: it is then only named.
std::string Export(Registry& registry, FuzzedDataProvider& fdp) {
    const bool ansi = fdp.ConsumeBool();
    const std::u16string eol = fdp.PickValueInArray({u"\r\n", u"\n", u"\r"});
    std::u16string text = (ansi ? u"REGEDIT4" : u"Windows Registry Editor Version 5.00") + eol + eol, later;
    const char16_t* const kNoise[] = {
        u"; c", u"", u"#x", u"  00,01", u"[-HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"", u"[HKCU\\A]\n\"x\"=\"1\""};
    std::vector<Registry::value_type*> keys;
    for (auto& entry : registry) keys.push_back(&entry);
    if (fdp.ConsumeBool()) std::reverse(keys.begin(), keys.end());  // keys below before their parents
    for (auto* entry : keys) {
        auto& [path, key] = *entry;
        const auto below = registry.lower_bound(path + u"\\");
        if (key.values.empty() && below != registry.end() && below->first.rfind(path + u"\\", 0) == 0 &&
            fdp.ConsumeBool())
            key.listed = false;
        if (!key.listed) continue;
        std::u16string noise = fdp.ConsumeBool() ? fdp.PickValueInArray(kNoise) : u"";
        for (size_t at = 0; (at = noise.find(u'\n', at)) != noise.npos; at += eol.size()) noise.replace(at, 1, eol);
        std::u16string* into = &text;
        *into += noise + eol + u"[" + Flipped(path, fdp) + u"]" + eol;
        std::vector<Values::const_iterator> order;
        for (auto v = key.values.cbegin(); v != key.values.cend(); ++v) order.push_back(v);
        for (size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[fdp.ConsumeIntegralInRange<size_t>(0, i - 1)]);
        for (const auto& v : order) {
            if (fdp.ConsumeBool()) *into += Quoted(v->first) + u"=\"junk\"" + eol;  // a line the later one replaces
            if (into == &text && fdp.ConsumeBool()) {  // the rest in a second listing of the key, at the end
                into = &later;
                *into += u"[" + Flipped(path, fdp) + u"]" + eol;
            }
            *into += ValueLine(fdp, v->first, v->second.first, v->second.second, ansi, eol) + eol;
        }
    }
    text += later;
    std::string file;
    if (ansi) Check(EncodeAnsi(text, file));
    return ansi ? file : Utf16File(text);
}

// --- Importing the result, as the editor does with what the comparison writes

Bytes HexBytes(std::u16string_view s) {
    Bytes out;
    for (size_t i = 0; i + 1 < s.size(); i += 3)
        out.push_back(static_cast<uint8_t>(std::stoul(std::string(s.begin() + i, s.begin() + i + 2), nullptr, 16)));
    return out;
}

std::u16string Unquoted(std::u16string_view s, size_t& at) {  // s[at] is the opening quote
    std::u16string out;
    for (++at; s[at] != u'"'; ++at) {
        const char16_t c = s[at] == u'\\' ? s[++at] : u'\0';
        out += c == u'n' ? u'\n' : c == u'r' ? u'\r' : c ? c : s[at];
    }
    ++at;
    return out;
}

// The lines of a text as import reads them: a CR, a LF or both end one.
std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + (text.compare(end, 2, u"\r\n") ? 1 : 2)) {
        end = std::min(text.find_first_of(u"\r\n", at), text.size());
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

// Imports `result` over `registry`; returns the folded paths of its key lines.
std::vector<std::u16string> Import(const std::u16string& result, Registry& registry) {
    const std::vector<std::u16string> lines = Lines(result);
    std::vector<std::u16string> listed;
    Check(!lines.empty() && lines[0] == u"Windows Registry Editor Version 5.00");
    std::u16string key;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::u16string line = lines[i];
        if (line.empty() || line[0] == u';') continue;
        if (line[0] == u'[') {
            const bool remove = line[1] == u'-';
            key = Folded(line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2)));
            listed.push_back(key);
            if (remove) {  // the key and every key whose path goes on after a backslash (']' follows '\\')
                registry.erase(key);
                registry.erase(registry.lower_bound(key + u"\\"), registry.lower_bound(key + u"]"));
                key.clear();  // its values go nowhere
                continue;
            }
            registry[key];
            for (size_t at = key.find(u'\\'); at != key.npos; at = key.find(u'\\', at + 1)) registry[key.substr(0, at)];
            continue;
        }
        Check(line[0] == u'"' || line[0] == u'@');
        if (key.empty()) continue;
        size_t at = 0;
        const std::u16string name = line[0] == u'@' ? (at = 1, u"") : Folded(Unquoted(line, at));
        Check(line[at++] == u'=');
        Values& values = registry[key].values;
        if (line.substr(at) == u"-") {
            values.erase(name);
        } else if (line[at] == u'"') {
            values[name] = {1, Utf16(Unquoted(line, at) + u'\0')};
        } else if (line.compare(at, 6, u"dword:") == 0) {
            const unsigned long n = std::stoul(std::string(line.begin() + at + 6, line.end()), nullptr, 16);
            values[name] = {4, {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}};
        } else {
            for (; line.back() == u'\\'; Check(i + 1 < lines.size()))
                line = line.substr(0, line.size() - 1) + lines[++i].substr(2);
            const size_t colon = line.find(u':', at);
            const uint32_t type =
                line[at + 3] == u':'
                    ? 3
                    : std::stoul(std::string(line.begin() + at + 4, line.begin() + colon - 1), nullptr, 16);
            values[name] = {type, HexBytes(line.substr(colon + 1) + u",")};
        }
    }
    return listed;
}

bool Present(const Registry& r, const std::u16string& key) { return r.count(key) || key.find(u'\\') == key.npos; }
const Values& ValuesOf(const Registry& r, const std::u16string& key) {
    static const Values none;
    return r.count(key) ? r.at(key).values : none;
}

// The head's counts from what the two registries hold: keys added or deleted (not a root, nor a
// key an export only names: import makes those as it goes), other keys whose values differ, and
// values by name, each of a deleted branch and of an added key among them.
CompareCounts Counted(const Registry& before, const Registry& wanted) {
    CompareCounts c;
    Registry all = before;
    all.insert(wanted.begin(), wanted.end());
    for (const auto& entry : all) {
        const std::u16string& key = entry.first;
        const Values &b = ValuesOf(before, key), &w = ValuesOf(wanted, key);
        if (key.find(u'\\') != key.npos && !before.count(key)) c.keysAdded += wanted.at(key).listed;
        else if (key.find(u'\\') != key.npos && !wanted.count(key)) c.keysRemoved += before.at(key).listed;
        else c.keysChanged += b != w;
        for (const auto& [name, v] : w)
            (b.count(name) ? c.valuesChanged : c.valuesAdded) += !b.count(name) || b.at(name) != v;
        for (const auto& [name, v] : b) c.valuesRemoved += !w.count(name);
    }
    return c;
}

void CheckMeaning(const Registry& before, const Registry& wanted, const std::string& older, const std::string& newer,
                  size_t step) {
    std::u16string result;
    CompareCounts counts;
    bool cut = true;
    Check(CompareFiles(older, newer, result, step, &counts, &cut) && !cut);
    const CompareCounts counted = Counted(before, wanted);
    Check(std::memcmp(&counts, &counted, sizeof counts) == 0);  // six numbers, no padding
    Registry after = before;
    for (const std::u16string& key : Import(result, after))  // nothing listed that did not change
        Check(Present(before, key) != Present(wanted, key) || ValuesOf(before, key) != ValuesOf(wanted, key));
    for (const auto& [key, k] : wanted) Check(Present(after, key) && ValuesOf(after, key) == k.values);
    for (const auto& [key, k] : after)  // a root, or a key the older only named, left empty
        Check(wanted.count(key) ||
              (k.values.empty() && (key.find(u'\\') == key.npos || (before.count(key) && !before.at(key).listed))));
}

// Present, with the same values, in both (a root is always there).
bool SameRegistry(const Registry& a, const Registry& b) {
    Registry all = a;
    all.insert(b.begin(), b.end());
    for (const auto& entry : all)
        if (Present(a, entry.first) != Present(b, entry.first) || ValuesOf(a, entry.first) != ValuesOf(b, entry.first))
            return false;
    return true;
}

// A patch drawn as steps over `before`, written as a .reg file, and the preview's oracles.
void CheckPreview(const Registry& before, FuzzedDataProvider& fdp) {
    Registry wanted = before;
    std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n", open;
    uint64_t unchanged = 0, ignored = 0;
    const auto path = [&] {  // one there as often as not
        if (!wanted.empty() && fdp.ConsumeBool())
            return std::next(wanted.begin(), fdp.ConsumeIntegralInRange<size_t>(0, wanted.size() - 1))->first;
        std::u16string p = fdp.PickValueInArray(kRoots);
        for (int depth = fdp.ConsumeIntegralInRange(0, 3); depth > 0; --depth)
            p += u"\\" + Folded(fdp.PickValueInArray(kParts));
        return p;
    };
    for (int n = fdp.ConsumeIntegralInRange(1, 12); n > 0; --n) {
        const int what = fdp.ConsumeIntegralInRange(0, 4);
        if (what == 0) {  // a key, made with the keys above it
            open = path();
            text += u"[" + Flipped(open, fdp) + u"]\r\n";
            for (size_t at = 0; at != open.npos; at = open.find(u'\\', at + 1))
                wanted[open.substr(0, at ? at : open.npos)];
        } else if (what == 1) {  // a branch deleted: its values go nowhere
            const std::u16string top = path();
            text += u"[-" + Flipped(top, fdp) + u"]\r\n";
            open.clear();
            if (top.find(u'\\') == top.npos) {
                ++ignored;  // a root stays
                continue;
            }
            const bool there = wanted.count(top) != 0;
            wanted.erase(top);
            wanted.erase(wanted.lower_bound(top + u"\\"), wanted.lower_bound(top + u"]"));
            unchanged += !there;
        } else {  // a value set (to what it holds, now and then) or deleted
            Key drawn;
            SetValue(drawn, fdp);
            std::pair<std::u16string, std::pair<uint32_t, Bytes>> value = *drawn.values.begin();
            Values* values = open.empty() ? nullptr : &wanted[open].values;
            if (values && !values->empty() && fdp.ConsumeBool())
                value = *std::next(values->begin(), fdp.ConsumeIntegralInRange<size_t>(0, values->size() - 1));
            const bool removed = what == 4;
            text += (removed ? Quoted(Flipped(value.first, fdp)) + u"=-"
                             : ValueLine(fdp, value.first, value.second.first, value.second.second, false, u"\r\n")) +
                    u"\r\n";
            if (!values) {
                ++ignored;
            } else if (removed) {
                unchanged += values->erase(value.first) == 0;
            } else {
                unchanged += values->count(value.first) && values->at(value.first) == value.second;
                (*values)[value.first] = value.second;
            }
        }
    }
    CFakeTree tree;
    for (const char16_t* root : kRoots) tree.keys[root];
    for (const auto& [key, k] : before)
        for (const auto& [name, v] : k.values) tree.keys[key].values.emplace_back(name, v.first, v.second);
    for (const auto& entry : before) tree.keys[entry.first];
    ImportPreview preview;
    std::u16string changes, backup;
    Check(PreviewFile(tree, Utf16File(text), u"S-1-5-21-1", preview, changes, backup));
    Check(preview.unchanged == unchanged && preview.ignored == ignored);
    Registry after = before;
    for (const std::u16string& key : Import(changes, after))  // nothing listed that does not change
        Check(Present(before, key) != Present(wanted, key) || ValuesOf(before, key) != ValuesOf(wanted, key));
    Check(SameRegistry(after, wanted));
    Import(backup, after);
    Check(SameRegistry(after, before));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const size_t step = fdp.ConsumeIntegralInRange<size_t>(1, 64);
    if (fdp.ConsumeBool()) {
        const std::string kHeads[] = {Utf16File(u"Windows Registry Editor Version 5.00\r\n"), "REGEDIT4\r\n", ""};
        const size_t head = fdp.ConsumeIntegralInRange<size_t>(0, 2);
        const std::string older = kHeads[head] + fdp.ConsumeRandomLengthString(),
                          newer = kHeads[head] + fdp.ConsumeRemainingBytesAsString();
        std::u16string same, other;
        const bool ok = CompareFiles(older, older, same, step);
        Check((ok || head == 2) && (!ok || same.find(u"\r\n[") == same.npos));
        if (CompareFiles(older, newer, other, step))  // every line a blank, comment, key, value or hex line
            for (const std::u16string& line : Lines(other))
                Check(line.empty() || std::u16string_view(u";[\"@ W").find(line[0]) != std::u16string_view::npos);
        return 0;
    }
    if (fdp.ConsumeBool()) {  // the preview, its registry and patch drawn from a seed: rich however short the input
        std::minstd_rand random(fdp.ConsumeIntegral<uint32_t>());
        std::vector<uint8_t> bytes(1 << 13);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random() >> 7);
        FuzzedDataProvider drawn(bytes.data(), bytes.size());
        Registry base;
        for (int n = drawn.ConsumeIntegralInRange(0, 8); n > 0; --n) AddKey(base, drawn);
        CheckPreview(Named(base), drawn);
        return 0;
    }
    Registry older;
    for (int n = fdp.ConsumeIntegralInRange(0, 6); n > 0; --n) AddKey(older, fdp);
    older = Named(older);
    Registry newer = Changed(older, fdp);
    const std::string olderFile = Export(older, fdp), newerFile = Export(newer, fdp);
    CheckMeaning(older, newer, olderFile, newerFile, step);
    CheckMeaning(newer, older, newerFile, olderFile, step);
    const std::string cut = newerFile.substr(0, fdp.ConsumeIntegralInRange<size_t>(0, newerFile.size()));
    std::u16string result;
    bool told = false;
    if (CompareFiles(olderFile, cut, result, step, nullptr, &told))
        Check(told || cut.size() % 2 == 0 || cut[0] != '\xFF');
    return 0;
}
