#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Licence texts a visitor of the page can read whole.

Debian's copyright files name the common licences by a path on a Debian
system (/usr/share/common-licenses/GPL-2), which a visitor does not have. This
writes a copyright file with the full text of every licence it names appended,
and the paths turned into the titles of those texts.

  licence_text.py OUT NOTICE
      NOTICE (any copyright file) with the licences it names appended.
  licence_text.py OUT COPYRIGHT PATTERN...
      Only the parts of a machine-readable (DEP-5) copyright file about the
      files that PATTERN names (a Files: entry equal to it, or under it if it ends
      in /), with the
      stand-alone licence paragraphs they use, then the licences named.
"""
import re
import sys
from pathlib import Path

COMMON = Path('/usr/share/common-licenses')
REFERENCE = re.compile(r'/usr/share/common-licenses/([A-Za-z0-9+.-]*[A-Za-z0-9+])')


def paragraphs(text):
    return [p for p in re.split(r'\n\s*\n', text) if p.strip()]


def field(paragraph, name):
    """The value of a field of a DEP-5 paragraph, continuation lines included."""
    m = re.search(r'^' + name + r':(.*(?:\n[ \t].*)*)', paragraph, re.M)
    return m.group(1) if m else None


def licence_names(value):
    """The names of a License: line: 'Expat or NCSA~Mozilla' -> ['Expat', 'NCSA~Mozilla'];
    'Apache-2.0 with LLVM exception' names itself and the licence it adds to."""
    first = value.split('\n', 1)[0]
    names = [n for n in re.split(r'\s+(?:or|and)\s+|,\s*', first.strip()) if n]
    return names + [n.split(' with ')[0] for n in names if ' with ' in n]


def select_dep5(text, patterns):
    """The header, the Files paragraphs about PATTERNS and the licence paragraphs they name."""
    parts = paragraphs(text)
    header, rest = parts[0], parts[1:]
    chosen, wanted = [], set()
    for p in rest:
        files = field(p, 'Files')
        if files is None:
            continue
        if any(f == pat or (pat.endswith('/') and f.startswith(pat)) for f in files.split() for pat in patterns):
            chosen.append(p)
            for name in licence_names(field(p, 'License') or ''):
                wanted.add(name)
    licences = []
    for p in rest:
        if field(p, 'Files') is None and field(p, 'License') is not None:
            names = licence_names(field(p, 'License'))
            if len(names) == 1 and names[0] in wanted:
                licences.append(p)
    return '\n\n'.join([header] + chosen + licences) + '\n'


def with_full_texts(text):
    names = []
    for name in REFERENCE.findall(text):
        if name not in names:
            names.append(name)
    for name in names:
        if not (COMMON / name).is_file():
            sys.exit(f'licence_text: {name} is named but {COMMON / name} is missing')
    text = REFERENCE.sub(lambda m: f'{m.group(1)} (its full text is at the end of this file)', text)
    for name in names:
        body = (COMMON / name).read_text(encoding='utf-8')
        rule = '=' * 72
        text += f'\n\n{rule}\nThe full text of {name}\n{rule}\n\n{body}'
    return text


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    out, source, patterns = Path(argv[1]), Path(argv[2]), argv[3:]
    text = source.read_text(encoding='utf-8')
    if patterns:
        text = select_dep5(text, patterns)
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_text(with_full_texts(text), encoding='utf-8')


if __name__ == '__main__':
    main(sys.argv)
