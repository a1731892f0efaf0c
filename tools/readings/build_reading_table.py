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

# An entry needs this many agreeing occurrences, and the preferred reading must
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
    """The corpus reading of each analysed word, or None where it cannot be
    told, and the stretch it was shared out of (None for a word of its own):
    where the corpus and the analyser cut a stretch differently (頭文字 as one
    word against 頭 and 文字), the stretch's reading is shared out when
    exactly one way leaves all the analyser's words but one their own
    reading."""
    ends = {}
    offset = 0
    for surface, reading in corpus:
        offset += len(surface)
        ends[offset] = hiragana(reading if has_kanji(surface) else surface)
    result = []
    group, start, offset = [], 0, 0
    for index, (surface, _) in enumerate(words):
        group.append(index)
        offset += len(surface)
        if offset not in ends:
            continue
        theirs = ''.join(r for end, r in ends.items() if start < end <= offset)
        ours = [hiragana(words[k][1]) if words[k][1] else words[k][0] for k in group]
        if len(group) == 1:
            result.append((theirs, None))
        else:
            fits = []
            for j in range(len(group)):
                head, tail = ''.join(ours[:j]), ''.join(ours[j + 1:])
                if theirs.startswith(head) and theirs.endswith(tail) and len(theirs) > len(head) + len(tail):
                    fits.append(ours[:j] + [theirs[len(head):len(theirs) - len(tail)]] + ours[j + 1:])
            result.extend([(r, start) for r in fits[0]] if len(fits) == 1 else [(None, None)] * len(group))
        group, start = [], offset
    result.extend([(None, None)] * len(group))
    return result


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
        read = references(corpus, words)
        for i, (theirs, stretch) in enumerate(read):
            surface, reading = words[i]
            if not reading or not has_kanji(surface):
                continue
            if theirs is None:
                # Unknown, but it counts against every change.
                theirs = ''
            elif any(c.isdigit() for c in surface) or sounds_changed_in_compound(reading, theirs, words, i):
                # Digits are read outside the groups; the counters have rules.
                continue
            after = '>' + (words[i + 1][0] if i + 1 < len(words) else '')
            before = '<' + (words[i - 1][0] if i > 0 else '')
            contexts = [after, before, '']
            if reading[:1] in VOICED and VOICED[reading[0]] + reading[1:] == theirs:
                # A voiced first sound is made by the word in front (腕時計
                # ..どけい); learnt alone it would voice 時計を見る too.
                contexts = [before]
            if stretch is not None:
                # A reading shared out of a longer word holds only next to
                # the words it was shared with (小麦粉 こ, but 粉 alone こな;
                # 頭文字 かしら.., but の頭 あたま).
                contexts = [context for context, k in ((after, i + 1), (before, i - 1))
                            if 0 <= k < len(read) and read[k][1] == stretch]
            for context in contexts:
                counts[(surface, reading, context)][theirs] += 1

    def clear_choice(key):
        known = counts[key].copy()
        del known['']
        if not known:
            return None
        best, times = known.most_common(1)[0]
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
    print('# none), preferred reading, occurrences reading it so, occurrences seen.')
    for (surface, reading, context), (best, times, total) in sorted(table.items()):
        print(f'{surface}\t{reading}\t{context}\t{best}\t{times}\t{total}')


if __name__ == '__main__':
    main()
