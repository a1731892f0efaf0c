#!/usr/bin/env python3
"""Builds a reading development set from a checkout of the Kyoto University
Web Document Leads Corpus (KWDLC): one sentence a line, the sentence, a tab,
and the same sentence with every word that holds a kanji replaced by its
hand-checked reading.

    kwdlc_devset.py KWDLC_DIR IDS_FILE > dev.tsv

IDS_FILE lists document ids (id/split_for_pas/dev.id or a training list).
Never build a set from a test list: the scores would mean nothing.
"""
import os
import sys


def has_kanji(word):
    # The editor's kanji class is CP932's JIS X 0208 kanji and the marks
    # ヽヾゝゞ〃仝々〆; the CJK blocks are close enough for choosing words.
    return any('\u4e00' <= c <= '\u9fff' or c in '々〆〃仝' for c in word)


def sentences(path):
    surface, reading = [], []
    with open(path, encoding='utf-8') as knp:
        for line in knp:
            line = line.rstrip('\n')
            if line.startswith(('#', '*', '+')):
                continue
            if line == 'EOS':
                if surface:
                    yield ''.join(surface), ''.join(reading)
                surface, reading = [], []
                continue
            fields = line.split(' ')
            if len(fields) < 2:
                continue
            word, kana = fields[0], fields[1]
            surface.append(word)
            reading.append(kana if has_kanji(word) else word)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root, ids = sys.argv[1], sys.argv[2]
    knp_dir = os.path.join(root, 'knp')
    with open(ids, encoding='utf-8') as f:
        wanted = [line.strip() for line in f if line.strip()]
    for doc in wanted:
        # knp/w201106-00000/w201106-0000060050.knp
        prefix, number = doc.split('-')
        path = os.path.join(knp_dir, f'{prefix}-{number[:5]}', doc + '.knp')
        if not os.path.exists(path):
            print(f'missing {doc}', file=sys.stderr)
            continue
        for text, kana in sentences(path):
            print(f'{text}\t{kana}')


if __name__ == '__main__':
    main()
