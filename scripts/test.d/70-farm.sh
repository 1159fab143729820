#!/usr/bin/env bash
# A render farm on this machine: starts a real single-node Slurm (munge for
# its authentication, slurmctld as controller, slurmd as the compute node,
# everything under a scratch folder and on ports of its own), renders a
# generated 48-frame sequence through scripts/farm-render in chunks of 4
# frames, and compares every frame byte for byte with the same render on one
# machine. A second, small job with frames missing must report exactly those
# as failed. The job's accounting (jobcomp/filetxt) goes into the log. The
# daemons, and any process of a job, are stopped when the stage ends, however
# it ends.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
tintra="$build/tintra"

# slurmd starts each task as the user who submitted it, which needs root.
if [ "$(id -u)" -ne 0 ]; then
  if sudo -n true 2>/dev/null; then exec sudo -n TINTRA_LINUX_BUILD="$build" bash "$0"; fi
  echo "70-farm: needs root (or sudo without a password) to run slurmd" >&2
  exit 1
fi
for program in munged slurmctld slurmd sbatch "$tintra"; do
  command -v "$program" >/dev/null || { echo "70-farm: $program is missing (scripts/install-deps)" >&2; exit 1; }
done

work="$(mktemp -d /tmp/tintra-farm.XXXXXX)"
conf="$work/slurm.conf"
socket="$work/munge/socket"
slurm() { SLURM_CONF="$conf" "$@"; }

# Every process that carries this cluster's configuration in its
# environment: the daemons' children, the job steps and the tasks' programs.
cluster_processes() {
  local environ pid var
  for environ in /proc/[0-9]*/environ; do
    pid="${environ#/proc/}"
    pid="${pid%/environ}"
    [ "$pid" = "$$" ] && continue
    [ -r "$environ" ] || continue
    while IFS= read -r -d '' var; do
      if [ "$var" = "SLURM_CONF=$conf" ]; then echo "$pid"; break; fi
    done 2>/dev/null <"$environ" || true
  done
}

# stop PID...: SIGTERM, then SIGKILL to whatever is left after 10 s.
stop() {
  local pid
  [ $# -gt 0 ] || return 0
  kill "$@" 2>/dev/null || true
  for _ in $(seq 100); do
    for pid in "$@"; do kill -0 "$pid" 2>/dev/null && break; pid=""; done
    [ -z "$pid" ] && return 0
    sleep 0.1
  done
  kill -9 "$@" 2>/dev/null || true
}

cleanup() {
  local status=$? pids=()
  trap - EXIT INT TERM
  if [ -s "$work/slurmctld.pid" ]; then
    slurm scancel --quiet --user=root 2>/dev/null || true
  fi
  for name in slurmd slurmctld munged; do
    [ -s "$work/$name.pid" ] && pids+=("$(cat "$work/$name.pid")")
  done
  stop "${pids[@]}"
  mapfile -t pids < <(cluster_processes)
  stop "${pids[@]}"
  if [ "$status" -ne 0 ]; then
    for log in "$work"/*.log "$work"/munge/munged.log; do
      [ -f "$log" ] && { echo "== $log" >&2; tail -n 20 "$log" >&2; }
    done
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "70-farm: munge and a single-node Slurm in $work" >&2
mkdir -p "$work/munge" "$work/state" "$work/spool"
chmod 700 "$work/munge"
head -c 1024 /dev/urandom >"$work/munge/munge.key"
chmod 400 "$work/munge/munge.key"
# --force: munged is run as root here, which it only warns about.
munged --force --socket="$socket" --key-file="$work/munge/munge.key" --pid-file="$work/munged.pid" \
  --log-file="$work/munge/munged.log" --seed-file="$work/munge/seed" 2>/dev/null
munge -n --socket="$socket" | unmunge --socket="$socket" | grep -q 'STATUS: *Success' || {
  echo "70-farm: munge does not work" >&2
  exit 1
}

host="$(hostname -s)"
# The node as slurmd itself sees it, so that the controller accepts it.
hardware="$(slurmd -C | head -n 1 | grep -o 'CPUs=.*ThreadsPerCore=[0-9]*')"
memory="$(awk '/^MemTotal/ { print int($2 / 2048) }' /proc/meminfo)"
read -r controller_port node_port < <(python3 "$root/scripts/test.d/lib/free_ports.py" 2)
cat >"$conf" <<EOF
ClusterName=tintrafarm
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
PlugStackConfig=$work/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$work/jobcomp.txt
NodeName=$host NodeAddr=127.0.0.1 $hardware RealMemory=$memory State=UNKNOWN
PartitionName=render Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
: >"$work/plugstack.conf"
slurm slurmctld -f "$conf"
slurm slurmd -f "$conf"
for _ in $(seq 60); do
  [ "$(slurm sinfo -h -o %t 2>/dev/null)" = idle ] && break
  sleep 0.5
done
[ "$(slurm sinfo -h -o %t)" = idle ] || { echo "70-farm: the node did not come up" >&2; slurm sinfo >&2; exit 1; }

echo "70-farm: 48 frames, rendered on one machine and on the farm" >&2
cd "$work"
mkdir in
# The sun crosses the sky: every frame differs from every other.
"$tintra" generate scene -o 'in/shot.####.png' --frames 1-48 --size 64x48 2>/dev/null
"$tintra" render 'in/shot.####.png' --frames 1-48 -o 'one/graded.####.png' --hue 40 2>/dev/null
slurm timeout 300 "$root/scripts/farm-render" --chunk 4 --logs logs -- \
  "$tintra" render 'in/shot.####.png' --frames 1-48 -o 'farm/graded.####.png' --hue 40 2>farm.txt || {
  cat farm.txt >&2
  exit 1
}
cat farm.txt >&2
for frame in $(seq -f %04g 1 48); do
  cmp "one/graded.$frame.png" "farm/graded.$frame.png" || { echo "70-farm: frame $frame differs" >&2; exit 1; }
done
distinct="$(sha256sum farm/* | cut -d' ' -f1 | sort -u | wc -l)"
[ "$distinct" -eq 48 ] || { echo "70-farm: the 48 frames are not all different" >&2; exit 1; }
written="$(find farm -mindepth 1 | wc -l)"
[ "$written" -eq 48 ] || { echo "70-farm: the farm wrote $written files, not 48" >&2; exit 1; }
grep -q '^farm-render: job [0-9]*: 48 of 48 frames done, 0 failed, 12 tasks' farm.txt ||
  { echo "70-farm: farm-render's summary is not that of 48 frames in 12 tasks" >&2; exit 1; }
echo "70-farm: Slurm's accounting of the job (jobcomp/filetxt):" >&2
cat jobcomp.txt >&2
[ "$(grep -c 'JobState=COMPLETED' jobcomp.txt)" -eq 12 ] || { echo "70-farm: not 12 tasks completed" >&2; exit 1; }

echo "70-farm: frames 45-52 of 48: the missing ones must come back as failed" >&2
if slurm timeout 300 "$root/scripts/farm-render" --chunk 4 --logs logs -- \
  "$tintra" render 'in/shot.####.png' --frames 45-52 -o 'gap/graded.####.png' --hue 40 2>gap.txt; then
  cat gap.txt >&2
  echo "70-farm: a job with missing frames was reported as done" >&2
  exit 1
fi
cat gap.txt >&2
if ! grep -qx 'farm-render: failed frames: 49-52' gap.txt ||
  ! grep -q '^farm-render: job [0-9]*: 4 of 8 frames done, 4 failed' gap.txt; then
  echo "70-farm: the missing frames 49-52 are not the failed ones in farm-render's summary" >&2
  exit 1
fi
echo "70-farm: 48 frames byte-identical through Slurm; missing frames reported" >&2
