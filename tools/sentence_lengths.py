#!/usr/bin/env python3
"""Measures the sentences of the README and the docs: their mean length in words, and each
one longer than a limit.

    tools/sentence_lengths.py [--longest N] [FILE ...]

Without files it reads README.md and docs/*.md. Code blocks (fenced or indented by four
spaces), tables, headings and picture lines are left out; inline `code` counts as one word. A
sentence ends at '.', '!', '?' or ':' before a space or the end of a paragraph, and at the end
of a list item. Prints each file's sentences and mean, then the mean over all of them, and lists
every sentence longer than N words (default 45). Ends with 1 when any is.
"""

import glob
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def paragraphs(text):
    """The prose of a Markdown file, one string per paragraph or list item."""
    block, fenced = [], False
    for line in text.split('\n'):
        if line.startswith('```'):
            fenced = not fenced
            continue
        item = re.match(r'\s*([-*]|\d+\.)\s+', line)
        if (fenced or line.startswith('    ') and not block or line.startswith('|')
                or line.startswith('#') or line.startswith('![') or not line.strip() or item):
            if block:
                yield ' '.join(block)
                block = []
            if item and not fenced:
                block = [line[item.end():]]
            continue
        block.append(line.strip())
    if block:
        yield ' '.join(block)


def sentences(paragraph):
    paragraph = re.sub(r'`[^`]*`', 'CODE', paragraph)
    paragraph = re.sub(r'\[([^\]]*)\]\([^)]*\)', r'\1', paragraph)
    for part in re.split(r'(?<=[.!?])\s+', paragraph):
        words = part.split()
        if words:
            yield len(words), part


def main():
    args = sys.argv[1:]
    limit = 45
    if args[:1] == ['--longest']:
        limit, args = int(args[1]), args[2:]
    files = args or [os.path.join(ROOT, 'README.md')] + sorted(
        glob.glob(os.path.join(ROOT, 'docs', '*.md')))
    total, count, long_ones = 0, 0, []
    for path in files:
        lengths = []
        for paragraph in paragraphs(open(path, encoding='utf-8').read()):
            for length, text in sentences(paragraph):
                lengths.append(length)
                if length > limit:
                    long_ones.append((length, os.path.relpath(path, ROOT), text))
        if lengths:
            print('%-22s %4d sentences, mean %.1f words' % (os.path.relpath(path, ROOT),
                                                            len(lengths),
                                                            sum(lengths) / len(lengths)))
        total += sum(lengths)
        count += len(lengths)
    print('all: %d sentences, mean %.1f words' % (count, total / max(count, 1)))
    for length, path, text in sorted(long_ones, reverse=True):
        print('%d words, %s: %s' % (length, path, text[:160]))
    return 1 if long_ones else 0


if __name__ == '__main__':
    sys.exit(main())
