# shellcheck shell=bash
# Sourced by the benchmark scripts that time whole commands: wall times in
# milliseconds, their median, and the machine they were taken on.

# Wall time of one command in milliseconds; its output is discarded.
millis() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The machine, the time and the load the figures that follow were taken at.
describe_machine() {
  echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(uname -sr)"
  echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
}
