# The network drive of the benchmark, sourced by bench/run.sh and bench/callcount.sh.
# bench/netfs.c, a pass-through FUSE file system that waits a set time before each metadata
# request and counts every request, is mounted over build/bench/net; the drive's files lie in
# build/bench/net-store. The mount is drive N: of the Wine prefix.
#
#   net_up ROOT LATENCY_MS [TRACE_FILE]   builds netfs (installing fuse3 and libfuse3-dev when
#                                         missing) and mounts it; false, with the reason on
#                                         stderr, where the machine cannot mount it
#   net_counts FILE                       writes the requests since the last call to FILE
#                                         (caller, operation, count) and starts counting anew
#   net_down                              unmounts it and removes drive N:

NET_PID=""
NET_MNT=""

net_build() {
    local root="$1"
    local need=()
    command -v fusermount3 >/dev/null || need+=(fuse3)
    pkg-config --exists fuse3 2>/dev/null || need+=(libfuse3-dev)
    command -v gcc >/dev/null || need+=(gcc)
    command -v pkg-config >/dev/null || need+=(pkg-config)
    if [ ${#need[@]} -gt 0 ]; then
        echo "Installing ${need[*]} for the network drive ..."
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"; } >/dev/null 2>&1 ||
            { echo "The network drive needs ${need[*]}, which could not be installed." >&2; return 1; }
    fi
    NET_BIN="$root/build/bench/netfs"
    mkdir -p "$root/build/bench"
    if [ ! -x "$NET_BIN" ] || [ "$root/bench/netfs.c" -nt "$NET_BIN" ]; then
        gcc -O2 -Wall -o "$NET_BIN" "$root/bench/netfs.c" $(pkg-config --cflags --libs fuse3) -lpthread ||
            { echo "netfs could not be built." >&2; return 1; }
    fi
}

net_mounted() { grep -q " $1 fuse" /proc/mounts; }

net_up() {
    local root="$1" latency="$2" trace="${3:-}"
    net_build "$root" || return 1
    NET_MNT="$root/build/bench/net"
    NET_STORE="$root/build/bench/net-store"
    NET_STATS="$root/build/bench/log/netfs-counts.tsv"
    mkdir -p "$NET_MNT" "$NET_STORE" "${NET_STATS%/*}"
    # A mount that an interrupted benchmark left behind.
    if net_mounted "$NET_MNT"; then fusermount3 -uz "$NET_MNT" 2>/dev/null || umount -l "$NET_MNT" 2>/dev/null || true; fi
    if [ ! -e /dev/fuse ]; then
        echo "The network drive cannot be mounted here: there is no /dev/fuse." >&2
        return 1
    fi
    "$NET_BIN" "$NET_MNT" -f --store="$NET_STORE" --latency="$latency" --stats="$NET_STATS" \
        ${trace:+--trace="$trace"} >"$root/build/bench/log/netfs.log" 2>&1 &
    NET_PID=$!
    local i
    for i in $(seq 1 100); do
        net_mounted "$NET_MNT" && break
        kill -0 "$NET_PID" 2>/dev/null || break
        sleep 0.1
    done
    if ! net_mounted "$NET_MNT"; then
        echo "The network drive could not be mounted: $(tail -2 "$root/build/bench/log/netfs.log" | tr '\n' ' ')" >&2
        kill "$NET_PID" 2>/dev/null || true
        wait "$NET_PID" 2>/dev/null || true
        NET_PID=""
        return 1
    fi
    ln -sfn "$NET_MNT" "$WINEPREFIX/dosdevices/n:"
    return 0
}

net_counts() {
    [ -n "$NET_PID" ] || return 1
    rm -f "$NET_STATS"
    kill -USR1 "$NET_PID"
    local i
    for i in $(seq 1 100); do
        [ -f "$NET_STATS" ] && break
        sleep 0.05
    done
    [ -f "$NET_STATS" ] && mv "$NET_STATS" "$1"
}

net_down() {
    rm -f "$WINEPREFIX/dosdevices/n:"
    [ -n "$NET_PID" ] || return 0
    fusermount3 -u "$NET_MNT" 2>/dev/null || fusermount3 -uz "$NET_MNT" 2>/dev/null || true
    local i
    for i in $(seq 1 50); do
        kill -0 "$NET_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$NET_PID" 2>/dev/null || true
    wait "$NET_PID" 2>/dev/null || true
    NET_PID=""
}
