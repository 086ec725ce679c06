#!/bin/sh
# Runs the board's start-up script against stand-in programs in a temporary
# folder: keeper must be started in its own folder without blocking the boot,
# stop must take veltosc down with keeper, and the forked chargeled must be
# found again although its parent has exited.
#
# Usage: initscript_test.sh <path of dist/init.d/velto>
set -u
INIT=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
T=$(mktemp -d)
export T VELTO_DIR="$T/usr/velto" VELTO_PIDDIR="$T/run" VELTO_LOG="$T/log" VELTO_STOP_WAIT=2
passed=0
failed=0

cleanup() {
    for f in "$T"/run/*.pid; do
        [ -r "$f" ] && kill -KILL -"$(cat "$f")" 2>/dev/null
    done
    rm -rf "$T"
}
trap cleanup EXIT

check() { # description, then the command that must succeed
    what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        sed 's/^/  log: /' "$VELTO_LOG" 2>/dev/null
    fi
}
alive() { kill -0 "$1" 2>/dev/null; }
# Gone, or a zombie that only waits for its parent to reap it.
gone() {
    [ ! -r "/proc/$1/stat" ] || [ "$(sed 's/.*) //; s/ .*//' "/proc/$1/stat" 2>/dev/null)" = Z ]
}
# Waits up to 3 s for a file the stand-ins write.
await() {
    n=0
    while [ ! -s "$1" ] && [ $n -lt 30 ]; do sleep 0.1; n=$((n + 1)); done
    [ -s "$1" ]
}

mkdir -p "$VELTO_DIR"
# keeper: runs for ever and keeps a child that stands for veltosc.
cat >"$VELTO_DIR/keeper" <<'EOF'
#!/bin/sh
pwd >>"$T/keeper.cwd"
sleep 1000 &
echo $! >"$T/veltosc.pid"
wait
EOF
# chargeled: forks, the parent reports and returns at once.
cat >"$VELTO_DIR/chargeled" <<'EOF'
#!/bin/sh
sh -c 'echo $$ >"$T/chargeled.pid"; exec sleep 1000' &
echo "Monitor fork successfully."
exit 0
EOF
chmod +x "$VELTO_DIR/keeper" "$VELTO_DIR/chargeled"

# start returns at once, from any working directory
began=$(date +%s)
(cd / && sh "$INIT" start >"$T/start.out" 2>&1)
check "start returns 0" [ $? -eq 0 ]
check "start does not wait for keeper" [ $(($(date +%s) - began)) -lt 3 ]
check "keeper started" await "$T/veltosc.pid"
check "chargeled child started" await "$T/chargeled.pid"
check "keeper runs in the folder holding veltosc" [ "$(cat "$T/keeper.cwd")" = "$VELTO_DIR" ]
check "status reports both running" sh "$INIT" status >/dev/null
check "chargeled child alive after its parent returned" alive "$(cat "$T/chargeled.pid")"

# a second start leaves the running programs alone
sh "$INIT" start >/dev/null 2>&1
sleep 0.3
check "second start does not start keeper again" [ "$(wc -l <"$T/keeper.cwd")" -eq 1 ]

# stop takes the whole group down
veltosc=$(cat "$T/veltosc.pid")
charger=$(cat "$T/chargeled.pid")
sh "$INIT" stop keeper >/dev/null 2>&1
check "stop keeper ends veltosc too" gone "$veltosc"
check "stop keeper leaves chargeled" alive "$charger"
sh "$INIT" status keeper >/dev/null 2>&1
check "status of a stopped program is 3" [ $? -eq 3 ]
sh "$INIT" stop >/dev/null 2>&1
check "stop ends the forked chargeled" gone "$charger"

# a stale pid file from an earlier boot does not block start
echo 999999 >"$VELTO_PIDDIR/velto-keeper.pid"
rm -f "$T/veltosc.pid"
sh "$INIT" start keeper >/dev/null 2>&1
check "start over a stale pid file" await "$T/veltosc.pid"
sh "$INIT" stop keeper >/dev/null 2>&1

# a program that ignores SIGTERM is killed after the wait
cat >"$VELTO_DIR/keeper" <<'EOF'
#!/bin/sh
trap '' TERM
echo $$ >"$T/stubborn.pid"
exec sleep 1000
EOF
sh "$INIT" start keeper >/dev/null 2>&1
await "$T/stubborn.pid"
sh "$INIT" stop keeper >/dev/null 2>&1
check "stop returns after killing a stubborn keeper" [ $? -eq 0 ]
check "stubborn keeper gone" gone "$(cat "$T/stubborn.pid")"

# a missing program is reported, the other one still starts
rm -f "$VELTO_DIR/keeper" "$T/chargeled.pid"
sh "$INIT" start >"$T/missing.out" 2>&1
check "start with keeper missing fails" [ $? -ne 0 ]
check "missing keeper is named" grep -q "keeper is missing" "$T/missing.out"
check "chargeled starts without keeper" await "$T/chargeled.pid"
sh "$INIT" stop >/dev/null 2>&1

sh "$INIT" bogus >/dev/null 2>&1
check "unknown action is refused" [ $? -eq 2 ]

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
