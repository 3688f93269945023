#!/bin/bash
# drift across a simulated fleet: wall time against the latency limit, CPU
# time, peak memory and descriptors of veskora for each --jobs.
#   bench/drift_fleet.sh BIN SITES LATENCY_MS JOBS...
# BIN holds veskora and gateway-sim; a run of SITES=0 for a job count reads
# SITES1 (default 25) sites instead, for --jobs 1 (200 sites take minutes).
set -eu
bin=$1 sites=$2 latency=$3
shift 3
sites1=${SITES1:-25}
base=${PORT_BASE:-47001}
work=$(mktemp -d)
trap 'kill $sim 2>/dev/null; rm -rf "$work"' EXIT
cat >"$work/ids.xml" <<'IDS'
<LORAID><Gatewy><GM>FFFFFF</GM><G2A>A00001</G2A><G2B>A00002</G2B></Gatewy><Repeater><R1><RM>R00001</RM><R2A>R10001</R2A><R2B>R10002</R2B><R91>R10091</R91><R92>R10092</R92><R93>R10093</R93></R1></Repeater></LORAID>
IDS
"$bin/gateway-sim" --sites "$sites" --port-base "$base" --latency-ms "$latency" --nodes 3 --quiet &
sim=$!
sleep 1
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
printf '%6s %5s %8s %8s %7s %6s %10s %9s\n' jobs sites wall_s limit_s over% cpu_s peakRSS_MB fds_peak
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
    printf '%6d %5d %8.2f %8.2f %7.1f %6.2f %10.1f %9d\n' "$jobs" "$n" "$wall" "$limit" \
        "$(echo "($wall / $limit - 1) * 100" | bc -l)" "$(echo "$user + $sys" | bc -l)" "$(echo "$rss / 1024" | bc -l)" "$fds"
    grep -c ': in sync' "$work/out" | grep -qx "$n" || { echo "not every site in sync:"; tail -3 "$work/out"; }
done
