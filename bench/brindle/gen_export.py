#!/usr/bin/env python3
"""Writes a realistic registry export of a given size for the viewer's benchmark.

Like a full export of a Windows machine: the heading line, [key] headers (some with
Chinese key names), quoted value lines of every common type, hex values wrapped into
continuation lines, and a few string values longer than 64512 bytes. UTF-16 little-endian
with its byte-order mark (what the registry editor writes) or ANSI code page 936.

    gen_export.py --mb 64 --encoding utf16 --out export.reg

With --changes N, the same export (same seed) with N changes scattered over it, each in one
key: a value's data changed, a value deleted or added, the key's line and values left out,
or a new key after it; for the comparison's benchmark. With --hex2 as well, every change is the
data of a hex(2) value made a different path, as when a setup rewrites PATH-like values.

With --shape random, key lines in no order at all, as in a file put together from several
exports or written by a tool: keys of 1 to 9 levels drawn at random, 0 to 3 values each, some of
them binary data wrapped over lines. With --shape empty, the same with most keys holding no value.
Three more shapes of keys in no order: twice, two of every five key blocks one of the last
200,000 again (a key listed more than once, as in exports put together); paths, each key with 1
to 3 long strings of paths (200 to 4,000 characters, a backslash every few); cjk, every part of
every path, every value name and most strings Chinese.
For these two, --changed makes the newer: every 20,000th line changed and every 50,000th value
line (with its continuation lines) left out.
"""
import argparse
import random

ROOTS = ["HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services",
         "HKEY_CURRENT_USER\\Software", "HKEY_CLASSES_ROOT", "HKEY_USERS\\.DEFAULT\\Software"]
WORDS = ["Microsoft", "Windows", "CurrentVersion", "Explorer", "Classes", "CLSID", "Interface",
         "TypeLib", "Parameters", "Enum", "Policies", "Shell", "Settings", "Components", "Installer",
         "UserData", "Products", "Features", "Wow6432Node", "Tcpip", "Control", "Session Manager"]
CJK = ["测试软件", "设置", "用户数据", "输入法", "网络连接", "打印机", "字体", "程序", "文档", "桌面"]
LONG_EVERY = 40 * 1024 * 1024  # one value line over 64512 bytes per this many characters


def guid(rng):
    return "{%08X-%04X-%04X-%04X-%012X}" % (rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(16),
                                            rng.getrandbits(16), rng.getrandbits(48))


def hex_value(rng, name, kind, count):
    """A hex value wrapped as the editor wraps it: about 80 columns, backslash, two blanks."""
    return hex_lines('"%s"=%s:' % (name, kind), ["%02x" % rng.getrandbits(8) for _ in range(count)])


def hex_lines(head, data):
    count = len(data)
    lines, line = [], head
    for i, byte in enumerate(data):
        piece = byte + ("," if i + 1 < count else "")
        if len(line) + len(piece) > 77 and i + 1 < count:
            lines.append(line + "\\")
            line = "  "
        line += piece
    lines.append(line)
    return lines


def key_block(rng, path):
    lines = ["[%s]" % path]
    for _ in range(rng.randint(0, 4)):
        r = rng.random()
        name = rng.choice(WORDS) + str(rng.randint(0, 99))
        if r < 0.35:
            lines.append('"%s"="%s"' % (name, "C:\\\\Program Files\\\\" + rng.choice(WORDS) + "\\\\app.exe"))
        elif r < 0.5:
            lines.append('"%s"=dword:%08x' % (name, rng.getrandbits(32)))
        elif r < 0.6:
            lines.append('@="%s"' % guid(rng))
        elif r < 0.7:
            lines.append('"%s"="%s"' % (rng.choice(CJK), rng.choice(CJK)))
        else:
            lines.extend(hex_value(rng, name, rng.choice(["hex", "hex(2)", "hex(7)"]), rng.randint(8, 160)))
    lines.append("")
    return lines


def changed(crng, block, path, number):
    """The key block with one change, drawn from crng so that the export's own draws stay the same."""
    entries = []  # value entries: a value line and its continuation lines
    for line in block[1:-1]:
        if line.startswith("  ") and entries:
            entries[-1].append(line)
        else:
            entries.append([line])
    kind = crng.randrange(5)
    if kind == 0 and entries:
        entry = crng.randrange(len(entries))
        entries[entry] = ['%s="changed %d"' % (entries[entry][0].split("=")[0], number)]
    elif kind == 1 and entries:
        del entries[crng.randrange(len(entries))]
    elif kind == 2:
        entries.append(['"Added%d"=dword:%08x' % (number, number)])
    elif kind == 3:
        return []
    else:
        return block + ["[%s\\Added%d]" % (path, number), '"Value"="%d"' % number, ""]
    return [block[0]] + [line for entry in entries for line in entry] + [""]


def changed_hex2(block, number):
    """The key block with the data of its first hex(2) value changed to a path; None if it has none."""
    for at, line in enumerate(block):
        if '"=hex(2):' in line:
            end = at + 1
            while end < len(block) and block[end].startswith("  "):
                end += 1
            text = "%%SystemRoot%%\\system32;C:\\Program Files\\Changed %d\\bin" % number
            data = ["%02x" % b for b in (text + "\0").encode("utf-16-le")]
            return block[:at] + hex_lines(line.split("=")[0] + "=hex(2):", data) + block[end:]
    return None


def generate(size_chars, rng, changes, crng, hex2=False):
    """Yields text pieces until about size_chars characters have been produced."""
    yield "Windows Registry Editor Version 5.00\r\n\r\n"
    produced, next_long = 0, 100000
    every = size_chars // changes if changes else 0
    next_change, made = (crng.randrange(every) if every else -1), 0
    stack = []
    while produced < size_chars:
        # Walk a tree: go deeper, stay, or climb, as an export walks the registry.
        r = rng.random()
        if not stack or r < 0.15:
            stack = [rng.choice(ROOTS)]
        if r < 0.55 and len(stack) < 9:
            part = rng.choice(CJK) if rng.random() < 0.05 else (guid(rng) if rng.random() < 0.3 else rng.choice(WORDS))
            stack.append(part)
        elif len(stack) > 1:
            stack[-1] = rng.choice(WORDS) + str(rng.randint(0, 999))
        block = key_block(rng, "\\".join(stack))
        if produced >= next_long:
            block.insert(1, '"Long"="%s"' % ("x" * (64512 + rng.randint(1, 9000))))
            next_long += LONG_EVERY
        text = "\r\n".join(block) + "\r\n"
        produced += len(text)  # as without changes, so that both exports end with the same key
        if every and produced >= next_change and hex2:
            block = changed_hex2(block, made + 1)
            if block is not None:  # else the next block with a hex(2) value takes the change
                made += 1
                next_change += every
                text = "\r\n".join(block) + "\r\n"
        elif every and produced >= next_change:
            made += 1
            next_change += every
            block = changed(crng, block, "\\".join(stack), made)
            text = "\r\n".join(block) + "\r\n" if block else ""
        yield text


def random_key(rng):
    parts = [rng.choice(ROOTS).split("\\")[0]]
    for _ in range(rng.randint(0, 8)):
        r = rng.random()
        parts.append(rng.choice(CJK) if r < 0.05 else guid(rng) if r < 0.25 else
                     rng.choice(WORDS) + str(rng.randint(0, 999)) if r < 0.7 else rng.choice(WORDS))
    return "\\".join(parts)


def random_block(rng, empty):
    """A key block of the random shape: its lines, the first the key line."""
    lines = ["[%s]" % random_key(rng)]
    for _ in range(0 if empty and rng.random() < 0.9 else rng.randint(0 if not empty else 1, 3)):
        r = rng.random()
        name = rng.choice(WORDS) + str(rng.randint(0, 99))
        if r < 0.4:
            lines.append('"%s"="%s"' % (name, "C:\\\\Program Files\\\\" + rng.choice(WORDS) + "\\\\app.exe"))
        elif r < 0.6:
            lines.append('"%s"=dword:%08x' % (name, rng.getrandbits(32)))
        elif r < 0.7:
            lines.append('@="%s"' % guid(rng))
        else:
            lines.extend(hex_value(rng, name, rng.choice(["hex", "hex", "hex(2)"]), rng.randint(8, 120)))
    lines.append("")
    return lines


def cjk_text(rng, low, high):
    return "".join(chr(rng.randint(0x4E00, 0x9FA5)) for _ in range(rng.randint(low, high)))


def other_block(rng, shape):
    """A key block of the paths or the cjk shape."""
    if shape == "cjk":
        parts = [cjk_text(rng, 2, 8) + (str(rng.randint(0, 99)) if rng.random() < 0.3 else "")
                 for _ in range(rng.randint(1, 9))]
    else:
        parts = [rng.choice(CJK) if rng.random() < 0.05 else guid(rng) if rng.random() < 0.25 else
                 rng.choice(WORDS) + str(rng.randint(0, 999)) for _ in range(rng.randint(1, 9))]
    lines = ["[%s]" % "\\".join([rng.choice(ROOTS)] + parts)]
    for i in range(rng.randint(1, 3) if shape == "paths" else rng.randint(0, 3)):
        r = rng.random()
        if shape == "paths":
            items, length = [], rng.randint(200, 4000)
            while sum(len(item) + 1 for item in items) < length:
                items.append("C:\\\\" + "\\\\".join(rng.choice(WORDS) for _ in range(rng.randint(1, 5))))
            lines.append('"%s"="%s"' % (rng.choice(WORDS) + str(i), ";".join(items)))
        elif r < 0.5:
            lines.append('"%s"="%s"' % (cjk_text(rng, 2, 6) + str(i), cjk_text(rng, 4, 40)))
        elif r < 0.7:
            lines.append('"%s"=dword:%08x' % (cjk_text(rng, 2, 6) + str(i), rng.getrandbits(32)))
        else:
            lines.extend(hex_value(rng, cjk_text(rng, 2, 6) + str(i), rng.choice(["hex", "hex(2)"]),
                                   rng.randint(8, 120)))
    lines.append("")
    return lines


def blocks(rng, shape):
    """The key blocks of a shape of keys in no order, one after another."""
    pool = []
    while True:
        if shape in ("random", "empty"):
            yield random_block(rng, shape == "empty")
        elif shape == "twice":
            if pool and rng.random() < 0.4:
                yield rng.choice(pool)
                continue
            block = random_block(rng, False)
            if len(pool) < 200000:
                pool.append(block)
            else:
                pool[rng.randrange(len(pool))] = block
            yield block
        else:
            yield other_block(rng, shape)


def generate_random(size_chars, rng, shape, changed):
    """A shape of keys in no order, in pieces; the newer one with its lines changed or left out."""
    yield "Windows Registry Editor Version 5.00\r\n\r\n"
    produced, line_no, value_no = 0, 2, 0
    for block in blocks(rng, shape):
        if produced >= size_chars:
            break
        produced += sum(len(line) + 2 for line in block)  # as unchanged: both end with the same key
        if not changed:
            yield "\r\n".join(block) + "\r\n"
            continue
        out, dropping = [], False
        for line in block:
            line_no += 1
            if line.startswith("  ") and dropping:
                continue
            dropping = False
            if line.startswith(('"', "@")):
                value_no += 1
                if value_no % 50000 == 0:
                    dropping = True
                    continue
            if line_no % 20000 == 0 and line:
                if line.startswith("["):
                    line = line[:-1] + "Changed%d]" % line_no
                elif line.startswith("  "):
                    line = "  " + ("00" if line[2:4] != "00" else "ff") + line[4:]
                elif "=hex" in line:
                    head, _, data = line.partition(":")
                    line = head + ":" + ("00" if data[:2] != "00" else "ff") + data[2:]
                else:
                    line = line.split("=")[0] + '="changed %d"' % line_no
            out.append(line)
        yield "\r\n".join(out) + "\r\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--mb", type=float, required=True, help="size of the file in MiB")
    ap.add_argument("--encoding", choices=["utf16", "ansi"], required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--changes", type=int, default=0, help="scattered changes against the export without them")
    ap.add_argument("--hex2", action="store_true", help="each change the data of a hex(2) value")
    ap.add_argument("--shape", choices=["tree", "random", "empty", "twice", "paths", "cjk"], default="tree")
    ap.add_argument("--changed", action="store_true", help="shapes other than tree: the newer export")
    args = ap.parse_args()
    rng = random.Random(args.seed)
    target = int(args.mb * 1024 * 1024)
    per_char = 2 if args.encoding == "utf16" else 1
    codec = "utf-16-le" if args.encoding == "utf16" else "gbk"
    written = 0
    with open(args.out, "wb") as f:
        if args.encoding == "utf16":
            f.write(b"\xff\xfe")
            written = 2
        batch = []
        batch_len = 0
        size_chars = (target - written) // per_char
        pieces = (generate(size_chars, rng, args.changes, random.Random(args.seed + 1), args.hex2)
                  if args.shape == "tree" else generate_random(size_chars, rng, args.shape, args.changed))
        for piece in pieces:
            batch.append(piece)
            batch_len += len(piece)
            if batch_len > 1 << 20:
                data = "".join(batch).encode(codec)
                f.write(data)
                written += len(data)
                batch, batch_len = [], 0
        if batch:
            f.write("".join(batch).encode(codec))


if __name__ == "__main__":
    main()
