#!/usr/bin/env bash
# A render farm on this machine: starts a real single-node Slurm (munge for
# its authentication, slurmctld as controller, slurmd as the compute node,
# everything under a scratch folder and on ports of its own, MaxArraySize set
# low), and renders through scripts/farm-render, comparing every frame byte
# for byte with the same render on one machine:
#   - 48 frames in 12 tasks, more than MaxArraySize: several arrays, under a
#     throttle, while the waiting submitter is hung up (SIGHUP to its process
#     group, as a dropped ssh session does); its summary is collected after;
#   - --no-wait and `status` on a job with frames missing, which must come
#     back as exactly those failed;
#   - a held job: --timeout ends the wait with status 3, the job left queued;
#   - a task requeued while it renders (scontrol requeue), whose next run
#     keeps the frames already written, then killed mid-frame (SIGKILL to
#     tintra while its temporary file exists) and requeued: the next run
#     removes that stale file and no other, and leaves no hidden file.
# The jobs' accounting (jobcomp/filetxt) goes into the log. The daemons, and
# any process of a job, are stopped when the stage ends, however it ends.
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
# cred_expire is also how long a requeued task waits before it runs again.
AuthInfo=socket=$socket,cred_expire=5
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
MaxArraySize=5
EOF
: >"$work/plugstack.conf"
slurm slurmctld -f "$conf"
slurm slurmd -f "$conf"
for _ in $(seq 60); do
  [ "$(slurm sinfo -h -o %t 2>/dev/null)" = idle ] && break
  sleep 0.5
done
[ "$(slurm sinfo -h -o %t)" = idle ] || { echo "70-farm: the node did not come up" >&2; slurm sinfo >&2; exit 1; }

cd "$work"
farm() { slurm timeout 300 "$root/scripts/farm-render" --logs logs "$@"; }
same() { # same ONE FARM FIRST LAST: the farm's frames are the one-machine ones
  local frame
  for frame in $(seq -f %04g "$3" "$4"); do
    cmp "$1/graded.$frame.png" "$2/graded.$frame.png" || { echo "70-farm: $2: frame $frame differs" >&2; exit 1; }
  done
  [ -z "$(find "$2" -name '.*')" ] || { echo "70-farm: $2 holds hidden files: $(find "$2" -name '.*')" >&2; exit 1; }
}
# status_until JOB: polls `farm-render status` until the job is over; its
# last output in status.txt, its exit status returned.
status_until() {
  local status
  for _ in $(seq 150); do
    status=0
    slurm "$root/scripts/farm-render" status --logs logs "$1" 2>status.txt || status=$?
    [ "$status" -ne 3 ] && return "$status"
    sleep 1
  done
  echo "70-farm: job $1 did not end" >&2
  exit 1
}

echo "70-farm: 48 frames in 12 tasks, MaxArraySize 5, at most 2 at once; the submitter hung up" >&2
mkdir in
# The sun crosses the sky: every frame differs from every other.
"$tintra" generate scene -o 'in/shot.####.png' --frames 1-48 --size 64x48 2>/dev/null
"$tintra" render 'in/shot.####.png' --frames 1-48 -o 'one/graded.####.png' --hue 40 2>/dev/null
# setsid: the submitter leads a process group of its own, as a login
# shell's job does, and the whole group is hung up.
setsid env SLURM_CONF="$conf" "$root/scripts/farm-render" --logs logs --timeout 300 --chunk 4 --max-running 2 -- \
  "$tintra" render 'in/shot.####.png' --frames 1-48 -o 'farm/graded.####.png' --hue 40 --threads 1 2>farm.txt &
submitter=$!
for _ in $(seq 100); do grep -q 'frames in' farm.txt 2>/dev/null && break; sleep 0.1; done
kill -HUP -- "-$submitter"
sleep 1
kill -0 "$submitter" 2>/dev/null || { cat farm.txt >&2; echo "70-farm: the hang-up ended the submitter" >&2; exit 1; }
status=0
wait "$submitter" || status=$?
cat farm.txt >&2
job="$(sed -n 's/^farm-render: job \([0-9]*\): 48 frames in 12 tasks (3 arrays of up to 5).*/\1/p' farm.txt)"
[ -n "$job" ] || { echo "70-farm: the 12 tasks were not split into 3 arrays" >&2; exit 1; }
[ "$status" -eq 0 ] || { echo "70-farm: the hung-up submitter ended with status $status" >&2; exit 1; }
echo "70-farm: what the submitter said after the hang-up (submitter.log):" >&2
cat logs/job-"$job"/submitter.log >&2
grep -q '^farm-render: job [0-9]*: 48 of 48 frames done, 0 failed, 12 tasks' "logs/job-$job/submitter.log" ||
  { echo "70-farm: the hung-up submitter's summary is not in its run folder" >&2; exit 1; }
slurm "$root/scripts/farm-render" status --logs logs "$job" 2>status.txt
cat status.txt >&2
grep -q '^farm-render: job [0-9]*: 48 of 48 frames done, 0 failed, 12 tasks' status.txt ||
  { echo "70-farm: status after the job is not that of 48 frames in 12 tasks" >&2; exit 1; }
same one farm 1 48
distinct="$(sha256sum farm/* | cut -d' ' -f1 | sort -u | wc -l)"
[ "$distinct" -eq 48 ] || { echo "70-farm: the 48 frames are not all different" >&2; exit 1; }
written="$(find farm -mindepth 1 | wc -l)"
[ "$written" -eq 48 ] || { echo "70-farm: the farm wrote $written files, not 48" >&2; exit 1; }
echo "70-farm: Slurm's accounting of the job (jobcomp/filetxt):" >&2
cat jobcomp.txt >&2
[ "$(grep -c 'JobState=COMPLETED' jobcomp.txt)" -eq 12 ] || { echo "70-farm: not 12 tasks completed" >&2; exit 1; }
# The throttle, and --threads 1 as one CPU a task (the controller keeps
# a finished job for MinJobAge, 300 s).
shown="$(slurm scontrol show job "$job" | grep -o 'ArrayTaskThrottle=[0-9]*\|CPUs/Task=[0-9]*' | sort -u | paste -sd' ')"
[ "$shown" = "ArrayTaskThrottle=2 CPUs/Task=1" ] ||
  { echo "70-farm: the job shows '$shown', not a throttle of 2 and 1 CPU a task" >&2; exit 1; }

echo "70-farm: --no-wait and status: frames 45-52 of 48, the missing ones failed" >&2
job="$(farm --no-wait --chunk 4 -- "$tintra" render 'in/shot.####.png' --frames 45-52 -o 'gap/graded.####.png' \
  --hue 40 2>gap.txt)"
cat gap.txt >&2
[[ "$job" =~ ^[0-9]+$ ]] || { echo "70-farm: --no-wait printed '$job', not a job id" >&2; exit 1; }
status=0
status_until "$job" || status=$?
cat status.txt >&2
if [ "$status" -ne 1 ] || ! grep -qx 'farm-render: failed frames: 49-52' status.txt ||
  ! grep -q '^farm-render: job [0-9]*: 4 of 8 frames done, 4 failed' status.txt; then
  echo "70-farm: the missing frames 49-52 are not the failed ones in status (exit $status)" >&2
  exit 1
fi
same one gap 45 48

echo "70-farm: a held job: --timeout stops the wait and leaves the job" >&2
status=0
farm --timeout 4 --chunk 4 --sbatch --hold -- "$tintra" render 'in/shot.####.png' --frames 1-4 \
  -o 'held/graded.####.png' --hue 40 2>held.txt || status=$?
cat held.txt >&2
job="$(sed -n 's/^farm-render: job \([0-9]*\): 4 frames in 1 task;.*/\1/p' held.txt)"
if [ "$status" -ne 3 ] || ! grep -q 'has held tasks' held.txt || [ -z "$(slurm squeue -h -j "$job")" ]; then
  echo "70-farm: a held job did not end the wait with status 3, said held and left in the queue (exit $status)" >&2
  exit 1
fi
slurm scancel "$job"

echo "70-farm: a task requeued while rendering, then killed mid-frame and requeued" >&2
mkdir big
"$tintra" generate scene -o 'big/shot.####.png' --frames 1-12 --size 1280x720 2>/dev/null
"$tintra" render 'big/shot.####.png' --frames 1-12 -o 'bigone/graded.####.png' --hue 40 2>/dev/null
mkdir bigfarm
# A stale temporary file of a frame no task of the job owns: it must stay.
touch bigfarm/.graded.0099.png.tintra-0a1b2c
job="$(farm --no-wait --chunk 12 -- "$tintra" render 'big/shot.####.png' --frames 1-12 -o 'bigfarm/graded.####.png' \
  --hue 40 --threads 1 2>big.txt)"
cat big.txt >&2
wait_for() { # wait_for WHAT COMMAND...: up to 60 s
  local what="$1"
  shift
  for _ in $(seq 1200); do "$@" && return 0; sleep 0.05; done
  echo "70-farm: $what did not happen" >&2
  exit 1
}
frames_written() { [ "$(find bigfarm -name 'graded.*.png' | wc -l)" -ge "$1" ]; }
wait_for "two frames written" frames_written 2
slurm scontrol requeue "${job}_0"
kept="$(cd bigfarm && stat -c '%n %i' graded.*.png)"
echo "70-farm: requeued with $(echo "$kept" | wc -l) frames written" >&2
second_run() { grep -q 'run 2)' logs/job-"$job"/logs/*.log 2>/dev/null; }
wait_for "the requeued task's second run" second_run
# tintra of this job, rendering (not the task's --dry-run look-up).
renderer() {
  local pid
  for pid in $(cluster_processes); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "^$tintra render .*bigfarm" || continue
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- '--dry-run' && continue
    echo "$pid"
  done
}
temporary() { find bigfarm -name '.graded.00[01]*.tintra-*' | grep -q .; }
killed=0
for _ in $(seq 600); do
  pid="$(renderer | head -n 1)"
  if [ -n "$pid" ] && temporary; then
    kill -STOP "$pid"
    if temporary; then kill -KILL "$pid"; killed=1; break; fi
    kill -CONT "$pid"
  fi
  sleep 0.05
done
[ "$killed" -eq 1 ] || { echo "70-farm: tintra was never caught writing a frame" >&2; exit 1; }
stale="$(find bigfarm -name '.graded.00[01]*.tintra-*')"
echo "70-farm: tintra killed, leaving $stale" >&2
status=0
status_until "$job" || status=$?
cat status.txt >&2
[ "$status" -eq 1 ] || { echo "70-farm: a killed task was not reported as failed (exit $status)" >&2; exit 1; }
slurm scontrol requeue "${job}_0"
sleep 1
status=0
status_until "$job" || status=$?
cat status.txt >&2
cat logs/job-"$job"/logs/*.log >&2
if [ "$status" -ne 0 ] || ! grep -q '^farm-render: job [0-9]*: 12 of 12 frames done, 0 failed' status.txt; then
  echo "70-farm: the requeued task did not complete the job (exit $status)" >&2
  exit 1
fi
grep -q "farm-task: removed $stale" logs/job-"$job"/logs/*.log ||
  { echo "70-farm: the next run did not remove $stale" >&2; exit 1; }
[ -f bigfarm/.graded.0099.png.tintra-0a1b2c ] || { echo "70-farm: a stale file no task owns was removed" >&2; exit 1; }
rm bigfarm/.graded.0099.png.tintra-0a1b2c
mapfile -t names < <(echo "$kept" | cut -d' ' -f1)
[ "$(cd bigfarm && stat -c '%n %i' "${names[@]}")" = "$kept" ] ||
  { echo "70-farm: the requeued run wrote again frames it had: $kept" >&2; exit 1; }
same bigone bigfarm 1 12
echo "70-farm: every farm render byte-identical to one machine; split, hang-up, status, requeue and kill survived" >&2
