#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the porting guide's table of the Windows and DirectX calls the
platform provides, read from the platform's headers, so that the table cannot
drift from them.

    platform_calls.py OUTPUT.md HEADER...      the Doxygen page
    platform_calls.py --list HEADER...         one name a line (Name or Interface::Name)

Every declaration at the top level of a header must be one the reader knows
(a function, a record, an alias, a constant); anything else stops it with the
file and line, rather than leaving a call out of the table unnoticed.
"""
import os
import re
import sys

# The one function a header declares that the program, not the platform,
# defines: the platform's own main() calls it.
PROGRAM_SUPPLIES = {"WinMain"}

FUNCTION = re.compile(r"^(?:[A-Za-z_][\w:<>]*\s*\**\s+)+\**\s*([A-Za-z_]\w*)\s*\(")
METHOD = re.compile(r"^\s+virtual\s+[\w:<>*\s]+?\b([A-Za-z_]\w*)\s*\(")
INTERFACE = re.compile(r"^struct\s+(\w+)\s*:\s*(\w+)\s*\{")
# Top-level lines that declare no call.
OTHER = re.compile(r"^(#|//|/\*\*|\*|using\b|struct\b|static_assert\b|extern\b|namespace\b|inline\s+constexpr\b|"
                   r"constexpr\b|enum\b|RX_DECLARE_HANDLE\(|}|\s*$)")


def brief(comment):
    """The first sentence of a /// comment block's first paragraph."""
    paragraph = []
    for line in comment:
        words = line.strip()[3:].strip()
        if words.startswith("@"):
            continue
        if not words:
            if paragraph:
                break
            continue
        paragraph.append(words)
    text = " ".join(paragraph)
    text = text.strip()
    m = re.match(r"(.+?[.!?])(\s|$)", text)
    return (m.group(1) if m else text).strip()


class Reader:
    def __init__(self):
        self.calls = []  # (header, interface or "", name, what it does)
        self.bases = {}  # interface -> base

    def fail(self, path, number, line):
        sys.exit("platform_calls.py: %s:%d: cannot tell what this declares: %s" % (path, number, line.strip()))

    def read(self, path):
        header = "platform/" + os.path.basename(path)
        lines = open(path, encoding="utf-8").read().split("\n")
        comment = []  # the /// block just above
        group_doc = None  # the first member's comment inside a /** @{ */ group
        in_group = False
        depth = 0  # braces
        interface = None
        i = 0
        while i < len(lines):
            line = lines[i]
            stripped = line.strip()
            number = i + 1
            if stripped == "/** @{ */":
                in_group, group_doc = True, None
                comment = []
                i += 1
                continue
            if stripped == "/** @} */":
                in_group, group_doc = False, None
                i += 1
                continue
            if stripped.startswith("///"):
                comment.append(line)
                i += 1
                continue
            # A statement may run over several lines: up to ';', '{' or '}', or
            # the end of a preprocessor line.
            decl = line
            if stripped.startswith("#"):
                while decl.rstrip().endswith("\\") and i + 1 < len(lines):
                    i += 1
                    decl += " " + lines[i].strip()
            elif depth == 0 and stripped and not stripped.startswith("//"):
                while not re.search(r"[;{}]\s*(//.*)?$", decl) and i + 1 < len(lines):
                    i += 1
                    decl += " " + lines[i].strip()
            doc = brief(comment) if comment else ""
            if in_group:
                if group_doc is None:
                    group_doc = doc
                doc = doc or group_doc
            comment = []
            if depth == 0:
                m = INTERFACE.match(decl)
                if m:
                    interface = m.group(1)
                    self.bases[interface] = m.group(2)
                    if decl.rstrip().endswith("{};"):
                        interface = None
                    else:
                        depth += 1
                    i += 1
                    continue
                if re.match(r"^(struct|union)\b.*\{\s*$", decl) or re.match(r"^namespace\b.*\{\s*$", decl):
                    depth += 1
                    i += 1
                    continue
                # GUID's comparison operators, defined in the header: helpers, not calls.
                if re.match(r"^inline\b.*\boperator\W", decl):
                    depth += decl.count("{") - decl.count("}")
                    i += 1
                    continue
                m = FUNCTION.match(decl)
                if m and not OTHER.match(decl):
                    name = m.group(1)
                    if name not in PROGRAM_SUPPLIES:
                        self.calls.append((header, "", name, doc))
                elif not OTHER.match(decl):
                    self.fail(path, number, line)
            else:
                if interface and depth == 1:
                    m = METHOD.match(decl)
                    if m:
                        self.calls.append((header, interface, m.group(1), doc))
                        while not decl.rstrip().endswith(";") and i + 1 < len(lines):
                            i += 1
                            decl += lines[i]
                    elif stripped.startswith("virtual"):
                        self.fail(path, number, line)
                depth += decl.count("{") - decl.count("}")
                if depth == 0:
                    interface = None
            i += 1


def cell(text):
    return text.replace("|", "\\|")


def page(reader):
    functions = sorted((c for c in reader.calls if not c[1]), key=lambda c: (c[0], c[2].lower()))
    methods = [c for c in reader.calls if c[1]]
    out = [
        "# What the platform provides {#platform_calls}",
        "",
        "Every Windows and DirectX function and interface method the platform layer",
        "provides, read from its headers when the reference is built. **Anything not in",
        "this table is not provided**: a program that calls it does not compile against",
        "these headers, and the way to port it is to replace the call (see the",
        "\\ref porting \"porting guide\"). Constants, records and types are in the",
        "headers' own pages. %d functions and %d interface methods." % (len(functions), len(methods)),
        "",
        "## Functions",
        "",
        "| Function | Header | What it does here |",
        "|---|---|---|",
    ]
    for header, _, name, doc in functions:
        out.append("| %s() | %s | %s |" % (name, header, cell(doc)))
    out += ["", "## Interface methods", ""]
    out.append("Every interface also has IUnknown's QueryInterface, AddRef and Release.")
    out.append("")
    order = []
    for c in methods:
        if c[1] not in order:
            order.append(c[1])
    for interface in order:
        base = reader.bases.get(interface, "")
        out.append("### %s" % interface)
        out.append("")
        if base and base != "IUnknown" and base in reader.bases:
            out.append("With every method of %s." % base)
            out.append("")
        out.append("| Method | Header | What it does here |")
        out.append("|---|---|---|")
        for header, _, name, doc in (c for c in methods if c[1] == interface):
            out.append("| %s::%s() | %s | %s |" % (interface, name, header, cell(doc)))
        out.append("")
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) >= 2 and argv[0] == "--list":
        reader = Reader()
        for path in argv[1:]:
            reader.read(path)
        for _, interface, name, _ in reader.calls:
            print(interface + "::" + name if interface else name)
        return 0
    if len(argv) < 2:
        sys.exit(__doc__)
    reader = Reader()
    for path in sorted(argv[1:]):
        reader.read(path)
    text = page(reader)
    # Rewritten only when it changes, so that the reference is not rebuilt for nothing.
    if not os.path.exists(argv[0]) or open(argv[0], encoding="utf-8").read() != text:
        with open(argv[0], "w", encoding="utf-8") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
