#!/bin/sh
# yb-logger-sim --link PATH: made over nothing or an old link, refused over anything else (exit
# 1, left as it was), removed again on SIGHUP, SIGTERM and SIGINT.
sim=$1
pid=
dir=$(mktemp -d) && trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$dir"' EXIT
link=$dir/ttyYB
fail() { echo "FAIL: $*" >&2; exit 1; }
for sig in HUP TERM INT; do
    [ $sig = TERM ] && ln -s /nonexistent "$link"
    rm -f "$dir/out"
    "$sim" --link "$link" >"$dir/out" & pid=$!
    until [ -s "$dir/out" ]; do kill -0 $pid 2>/dev/null || fail "no start"; sleep 0.05; done
    [ "$(readlink "$link")" = "$(head -n 1 "$dir/out")" ] || fail "link not made ($sig)"
    kill -$sig $pid && wait $pid || fail "exit status $? after SIG$sig"
    pid=
    [ -e "$link" ] || [ -L "$link" ] && fail "link left after SIG$sig"
done
echo keep >"$link"
mkdir "$dir/folder"
for path in "$link" "$dir/folder"; do
    timeout 10 "$sim" --link "$path" >/dev/null 2>&1
    [ $? = 1 ] || fail "$path not refused"
done
[ "$(cat "$link")" = keep ] && [ -d "$dir/folder" ] || fail "refused path changed"
