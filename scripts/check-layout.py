#!/usr/bin/env python3
"""Checks the layout of src/: every folder includes only from itself and
the folders below it (the order below, top first), the includes form no
circle, and no source file is over 300 lines. Prints each fault found and
exits 1 when there is one.

    python3 scripts/check-layout.py [SRC_FOLDER]
"""
import pathlib
import re
import sys

# Top-down: a folder may include its own headers and those of the folders after it.
LAYERS = ['app', 'commands', 'engine', 'process', 'scip', 'glpk', 'compare', 'reports', 'batch', 'platform', 'text']
MAX_LINES = 300

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent / 'src')
faults = []
graph = {}
for path in sorted(src.rglob('*')):
    if path.suffix not in ('.cpp', '.h'):
        continue
    rel = path.relative_to(src).as_posix()
    folder = rel.split('/')[0]
    if '/' not in rel or folder not in LAYERS:
        faults.append(f'{rel}: not in one of the folders {", ".join(LAYERS)}')
        continue
    text = path.read_text(encoding='utf-8')
    if text.count('\n') > MAX_LINES:
        faults.append(f'{rel}: {text.count(chr(10))} lines (at most {MAX_LINES})')
    graph[rel] = []
    for included in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M):
        graph[rel].append(included)
        target = included.split('/')[0]
        if '/' not in included or target not in LAYERS:
            faults.append(f'{rel}: includes "{included}", not a path from src/')
        elif LAYERS.index(target) < LAYERS.index(folder):
            faults.append(f'{rel}: {folder}/ reaches up to {target}/ ("{included}")')

# Circles among the files (a header and its source count as one).
def unit(name):
    return name.rsplit('.', 1)[0]
edges = {}
for rel, includes in graph.items():
    edges.setdefault(unit(rel), set()).update(unit(i) for i in includes if unit(i) != unit(rel))
state = {}
def visit(node, trail):
    state[node] = 'open'
    for nxt in sorted(edges.get(node, ())):
        if state.get(nxt) == 'open':
            faults.append('include circle: ' + ' -> '.join(trail[trail.index(nxt):] + [nxt]))
        elif nxt not in state:
            visit(nxt, trail + [nxt])
    state[node] = 'done'
for node in sorted(edges):
    if node not in state:
        visit(node, [node])

for fault in faults:
    print(fault)
if faults:
    sys.exit(1)
print(f'layout: {len(graph)} files in {len(LAYERS)} layers, no upward include, no circle, none over {MAX_LINES} lines')
