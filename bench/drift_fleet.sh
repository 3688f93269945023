#!/bin/bash
# drift across a simulated fleet: wall time against the latency limit, CPU
# time, peak memory and descriptors of veskora for each --jobs.
#   bench/drift_fleet.sh BIN SITES LATENCY_MS JOBS...
# BIN holds veskora and gateway-sim; a run of --jobs 1 reads SITES1 (default
# 25) sites instead (200 sites take minutes). REPEATERS (1-6, default 1) and
# NODES (0-30 a repeater, default 3) size each site: 6 and 30 make a full one.
# limit_s is sites x commands x latency / jobs; fixed_s adds what every site
# waits beyond its GETs by the client's rules: 150 ms of quiet after the link
# opens and the stop's answer (one latency).
set -eu
bin=$1 sites=$2 latency=$3
shift 3
sites1=${SITES1:-25}
repeaters=${REPEATERS:-1}
nodes=${NODES:-3}
# Below the ephemeral ports (32768 up): a client elsewhere may hold one of those.
base=${PORT_BASE:-21001}
work=$(mktemp -d)
sim=
# The simulator is waited for: the next run's would find its ports still held.
trap '[ -n "$sim" ] && kill $sim 2>/dev/null && wait $sim 2>/dev/null; rm -rf "$work"' EXIT
{
    printf '<LORAID><Gatewy><GM>FFFFFF</GM><G2A>A00001</G2A><G2B>A00002</G2B></Gatewy><Repeater>'
    for ((r = 1; r <= repeaters; r++)); do
        printf '<R%d><RM>R0000%d</RM><R2A>R%d0001</R2A><R2B>R%d0002</R2B><R91>R%d0091</R91><R92>R%d0092</R92><R93>R%d0093</R93></R%d>' \
            $r $r $r $r $r $r $r $r
    done
    printf '</Repeater></LORAID>\n'
} >"$work/ids.xml"
"$bin/gateway-sim" --sites "$sites" --port-base "$base" --latency-ms "$latency" --nodes "$nodes" --quiet &
sim=$!
sleep 1
kill -0 $sim 2>/dev/null || { echo "gateway-sim did not start"; exit 1; }
export VESKORA_IDS=$work/ids.xml
# The plan is one site's read: every simulated site starts the same.
"$bin/veskora" -q --gateway "127.0.0.1:$base" read-all -o "$work/plan.xml" >/dev/null
commands=$("$bin/veskora" -v --gateway "127.0.0.1:$base" read-all -o "$work/x.xml" 2>&1 | grep -c ' sent .*AT+GET')
write_sites() {
    : >"$work/sites.conf"
    for ((k = 0; k < $1; k++)); do
        printf '[s%03d]\ngateway = 127.0.0.1:%d\nids = ids.xml\nplan = plan.xml\nkeep = 3\n' $k $((base + k)) >>"$work/sites.conf"
    done
}
echo "commands per site: $commands (GET, each answered after ${latency} ms)"
printf '%6s %5s %8s %8s %6s %8s %6s %6s %10s %9s\n' jobs sites wall_s limit_s ratio fixed_s ratio cpu_s peakRSS_MB fds_peak
for jobs in "$@"; do
    n=$sites
    [ "$jobs" = 1 ] && n=$sites1
    write_sites "$n"
    rm -rf "$work/history"
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$bin/veskora" -q drift --jobs "$jobs" >"$work/out" &
    tpid=$!
    fds=0
    while kill -0 $tpid 2>/dev/null; do
        pid=$(pgrep -P $tpid veskora || true)
        if [ -n "$pid" ]; then
            f=$(ls /proc/$pid/fd 2>/dev/null | wc -l)
            ((f > fds)) && fds=$f
        fi
        sleep 0.05
    done
    wait $tpid || true
    read -r wall user sys rss <"$work/time"
    limit=$(echo "$n * $commands * $latency / 1000 / $jobs" | bc -l)
    fixed=$(echo "$n * ($commands * $latency + 150 + $latency) / 1000 / $jobs" | bc -l)
    printf '%6d %5d %8.2f %8.2f %6.2f %8.2f %6.2f %6.2f %10.1f %9d\n' "$jobs" "$n" "$wall" "$limit" \
        "$(echo "$wall / $limit" | bc -l)" "$fixed" "$(echo "$wall / $fixed" | bc -l)" \
        "$(echo "$user + $sys" | bc -l)" "$(echo "$rss / 1024" | bc -l)" "$fds"
    grep -c ': in sync' "$work/out" | grep -qx "$n" || { echo "not every site in sync:"; tail -3 "$work/out"; }
done
