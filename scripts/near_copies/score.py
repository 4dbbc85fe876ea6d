#!/usr/bin/python3
"""Runs velsaro-clave --compare over one labelled set made by make_set.py and prints, per kind of
copy, the share of copies in their original's group ("found"), and the share of grouped pairs that
are copies of one picture ("true").

With --find among the options, every file of the set is keyed into a new catalogue first and then
each is a query: "found" is then the share of the copies of each kind whose original is among their
matches, and the last figure the share of queries that list the unrelated picture listed most.

Usage: score.py SETDIR photo|low [OPTIONS...]   e.g. score.py set photo -j2 --fit --compare --near 32
                                                     score.py set photo -j2 --fit --find --near 32
TOOL (environment) names the executable; build/cli/velsaro-clave by default."""
import csv, os, subprocess, sys, tempfile
from collections import Counter
from itertools import combinations
TOOL = os.environ.get('TOOL', 'build/cli/velsaro-clave')
# two almost blank pictures (transparent on white) that older sets held; make_set.py leaves them out
EXCLUDE = {'mate_Flow', 'mate_Gulp'}
KINDS = ['jq75', 'jq50', 'noise2', 'b105', 'shift1', 'cut8', 'r090', 'r125', 'r050']
def labels(root, setname):
    lab = {}
    for r in csv.DictReader(open(f'{root}/labels.tsv'), delimiter='\t'):
        if r['set'] == setname and r['label'] not in EXCLUDE:
            lab[r['file']] = (r['label'], r['kind'])
    return lab
def kinds(lab):
    return KINDS + sorted({k for l, k in lab.values()} - set(KINDS) - {'orig'})
def find_run(root, setname, options):
    lab = labels(root, setname)
    files = sorted(lab)
    paths = [f'{root}/{setname}/{f}' for f in files]
    keying = [o for o in options if o in ('--fit',) or o.startswith('-j')]
    with tempfile.TemporaryDirectory() as folder:
        catalogue = f'{folder}/c.db'
        subprocess.run([TOOL, '--catalogue', catalogue] + keying + paths, capture_output=True, check=True)
        out = subprocess.run([TOOL, '--catalogue', catalogue] + options + paths, capture_output=True, text=True).stdout
    matches, query = {}, None
    for line in out.split('\n'):
        if line and not line.startswith(' '):
            query = os.path.basename(line.split('  ', 1)[1]); matches[query] = []
        elif line.startswith(' ') and query:
            matches[query].append(os.path.basename(line.rsplit('  ', 1)[1]))
    assert len(matches) == len(files), (len(matches), len(files))
    orig = {l: f for f, (l, k) in lab.items() if k == 'orig'}
    found = {k: 100.0 * sum(orig[lab[f][0]] in matches[f] for f in files if lab[f][1] == k) /
                sum(lab[f][1] == k for f in files) for k in kinds(lab)}
    unrelated = Counter(m for q, ms in matches.items() for m in ms if lab[m][0] != lab[q][0])
    most = max(unrelated.values(), default=0)
    print(setname, ' '.join(options), '| ' + ' | '.join(f'{k} {v:.0f}' for k, v in found.items()),
          f'| unrelated listed at most in {100.0 * most / len(files):.2f} % of queries'
          f' | unrelated matches {sum(unrelated.values())}')
def run(root, setname, options):
    lab = labels(root, setname)
    files = sorted(lab)
    out = subprocess.run([TOOL] + options + [f'{root}/{setname}/{f}' for f in files],
                         capture_output=True, text=True).stdout
    groups, cur = [], None
    for line in out.split('\n'):
        if line.startswith('Grupo '):
            cur = []; groups.append(cur)
        elif cur is not None and line.startswith('  '):
            cur.append(os.path.basename(line.rsplit('  ', 1)[1]))
    gid = {f: g for g, members in enumerate(groups) for f in members}
    assert len(gid) == len(files), (len(gid), len(files))
    orig = {l: f for f, (l, k) in lab.items() if k == 'orig'}
    found = {}
    for k in kinds(lab):
        idx = [f for f in files if lab[f][1] == k]
        found[k] = 100.0 * sum(gid[f] == gid[orig[lab[f][0]]] for f in idx) / len(idx)
    pairs = true = 0
    for members in groups:
        for a, b in combinations(members, 2):
            pairs += 1; true += lab[a][0] == lab[b][0]
    return found, 100.0 * true / pairs if pairs else 100.0, pairs, len(groups)
if __name__ == '__main__':
    root, s = sys.argv[1], sys.argv[2]
    if '--find' in sys.argv[3:]:
        sys.exit(find_run(root, s, sys.argv[3:]))
    found, true, pairs, ngroups = run(root, s, sys.argv[3:])
    print(s, ' '.join(sys.argv[3:]), '| ' + ' | '.join(f'{k} {v:.0f}' for k, v in found.items()),
          f'| true {true:.1f} | pairs {pairs} | groups {ngroups}')
