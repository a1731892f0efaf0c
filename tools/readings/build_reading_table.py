#!/usr/bin/env python3
"""Builds the readings' preference table (data/readings/preferred.tsv) from
the training split of the Kyoto University Web Document Leads Corpus
(KWDLC): where the editor's rules read a word one way and the hand-checked
corpus, next to the same neighbour, reads it another way clearly more often,
the table says so.

    build_reading_table.py KWDLC_DIR TRAIN_IDS ZEQ_READINGS_EVAL > data/readings/preferred.tsv

TRAIN_IDS is id/split_for_pas/train.id. ZEQ_READINGS_EVAL is the built
scorer (build/tools/readings/zeq_readings_eval); it is run with --no-table
--words, so the table is learnt from what the rules read without it. Rebuild
the table whenever the rules change. Only counts are kept, never text.
"""
import collections
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kwdlc_devset import has_kanji  # noqa: E402

# An entry needs this many agreeing sentences, and the preferred reading must
# be this many times as common as all the others together.
MIN_COUNT = 2
MIN_RATIO = 3.0

VOICED = dict(zip('かきくけこさしすせそたちつてとはひふへほ', 'がぎぐげござじずぜぞだぢづでどばびぶべぼ'))
PLAIN = {v: k for k, v in VOICED.items()}


def hiragana(text):
    return ''.join(chr(ord(c) - 0x60) if 'ァ' <= c <= 'ヶ' else c for c in text)


def corpus_sentences(root, ids):
    """Each sentence as a list of (surface, reading) words."""
    knp_dir = os.path.join(root, 'knp')
    for doc in ids:
        prefix, number = doc.split('-')
        path = os.path.join(knp_dir, f'{prefix}-{number[:5]}', doc + '.knp')
        if not os.path.exists(path):
            continue
        words = []
        with open(path, encoding='utf-8') as knp:
            for line in knp:
                line = line.rstrip('\n')
                if line.startswith(('#', '*', '+')):
                    continue
                if line == 'EOS':
                    if words:
                        yield words
                    words = []
                    continue
                fields = line.split(' ')
                if len(fields) >= 2:
                    words.append((fields[0], fields[1]))


def analysed(evaluator, sentences):
    """The scorer's words (surface, reading) for every sentence, by text."""
    with tempfile.NamedTemporaryFile('w', suffix='.tsv', encoding='utf-8', delete=False) as tsv:
        for words in sentences:
            tsv.write(''.join(w for w, _ in words) + '\tx\n')
        name = tsv.name
    try:
        out = subprocess.run([evaluator, '--no-table', '--words', name], check=True,
                             capture_output=True, text=True).stdout
    finally:
        os.unlink(name)
    result = {}
    for block in out.split('\n\n'):
        rows = [line.split('\t') for line in block.split('\n') if line and '\t' in line]
        if rows:
            result[''.join(r[0] for r in rows)] = [(r[0], r[1]) for r in rows]
    return result


def references(corpus, words):
    """The corpus reading of each analysed word, or None where the corpus
    cuts the text elsewhere."""
    starts, ends = {}, {}
    offset = 0
    for index, (surface, _) in enumerate(corpus):
        starts[offset] = index
        offset += len(surface)
        ends[offset] = index
    offset = 0
    for surface, _ in words:
        begin, offset = offset, offset + len(surface)
        if begin in starts and offset in ends:
            part = corpus[starts[begin]:ends[offset] + 1]
            yield ''.join(hiragana(r if has_kanji(w) else w) for w, r in part)
        else:
            yield None


def sounds_changed_in_compound(ours, theirs, words, i):
    # The corpus often writes a compound's second word in its dictionary
    # form (５月頃 ..ころ); the editor writes the sound a reader says.
    return (ours[:1] in PLAIN and PLAIN[ours[0]] + ours[1:] == theirs
            and i > 0 and has_kanji(words[i - 1][0][-1:]))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    root, ids_file, evaluator = sys.argv[1:]
    if 'test' in os.path.basename(ids_file):
        sys.exit('never learn from a test split')
    with open(ids_file, encoding='utf-8') as f:
        ids = [line.strip() for line in f if line.strip()]
    sentences = list(corpus_sentences(root, ids))
    ours = analysed(evaluator, sentences)

    counts = collections.defaultdict(collections.Counter)
    for corpus in sentences:
        words = ours.get(''.join(w for w, _ in corpus))
        if not words:
            continue
        for i, theirs in enumerate(references(corpus, words)):
            surface, reading = words[i]
            if theirs is None or not reading or not has_kanji(surface):
                continue
            # Digits are read outside the groups; the counters have rules.
            if any(c.isdigit() for c in surface) or sounds_changed_in_compound(reading, theirs, words, i):
                continue
            after = '>' + (words[i + 1][0] if i + 1 < len(words) else '')
            before = '<' + (words[i - 1][0] if i > 0 else '')
            for context in (after, before, ''):
                counts[(surface, reading, context)][theirs] += 1

    def clear_choice(key):
        best, times = counts[key].most_common(1)[0]
        total = sum(counts[key].values())
        return (best, times, total) if times >= MIN_COUNT and times >= MIN_RATIO * (total - times) else None

    table = {}
    for key in counts:
        choice = clear_choice(key)
        if choice and choice[0] != key[1]:
            table[key] = choice
    # Where the word alone changes, a neighbour that keeps it must say so.
    for key in counts:
        if key[2] and (key[0], key[1], '') in table:
            choice = clear_choice(key)
            if choice and choice[0] == key[1]:
                table[key] = choice

    print('# Readings preferred in context, learnt from the training split of KWDLC')
    print('# by tools/readings/build_reading_table.py; do not edit by hand.')
    print('# surface, reading of the rules, context (<word before, >word after, or')
    print('# none), preferred reading, sentences preferring it, sentences seen.')
    for (surface, reading, context), (best, times, total) in sorted(table.items()):
        print(f'{surface}\t{reading}\t{context}\t{best}\t{times}\t{total}')


if __name__ == '__main__':
    main()
