#!/usr/bin/env bash
# Fails when the project's own libraries need each other: libraries depend downward
# only. Reads CMake's dependency graph of a configured build tree.
#   check-library-graph.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:-${ORVALEN_BUILD_DIR:-$(dirname "$here")/build}}
graph=$build/graph
verdict=$graph/verdict
# The graph is made and read again only when the build tree was configured since.
if [ ! "$graph/libraries.dot" -nt "$build/build.ninja" ] || [ ! "$graph/libraries.dot" -nt "$build/CMakeCache.txt" ]; then
  rm -rf "$graph" && mkdir -p "$graph"
  cmake --graphviz="$graph/libraries.dot" "$build" >/dev/null
elif [ "$verdict" -nt "$graph/libraries.dot" ]; then
  cat "$verdict"
  exit 0
fi
python3 - "$graph/libraries.dot" >"$verdict.new" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
edges = {}
for a, b in re.findall(r'^\s*"[^"]+" -> "[^"]+"\s*// (\S+) -> (\S+)', text, re.M):
    if a.startswith('orvalen_') and b.startswith('orvalen_'):
        edges.setdefault(a, set()).add(b)
state = {}
def visit(node, path):
    state[node] = 'open'
    for nxt in sorted(edges.get(node, ())):
        if state.get(nxt) == 'open':
            return path[path.index(nxt):] + [nxt]
        if nxt not in state:
            cycle = visit(nxt, path + [nxt])
            if cycle:
                return cycle
    state[node] = 'done'
for node in sorted(edges):
    if node not in state:
        cycle = visit(node, [node])
        if cycle:
            sys.exit('library graph: a cycle: ' + ' -> '.join(cycle))
print('library graph: %d libraries, no cycle' % len(set(edges) | {b for v in edges.values() for b in v}))
PY
mv "$verdict.new" "$verdict"
cat "$verdict"
