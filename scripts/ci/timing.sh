# Sourced by scripts/test.sh: the wall and CPU time of one stage.
#
# CPU is counted for every process the stage starts, the ones that leave it
# running (wine's server) included: the stage runs in a cpuacct control group
# of its own, and every process it starts stays in that group. Where no such
# group can be made (no cgroup v1 cpuacct hierarchy, or no right to write it),
# the count is the whole machine's busy time over the stage (/proc/stat),
# which on a machine at rest is the same, and the line says "machine".

timing_group_root=/sys/fs/cgroup/cpuacct

# timing_start <name>: notes the clock and, where it can, makes the group
# (timing_group) that the stage's shell then joins (timing_join).
timing_start() {
  timing_wall0=$(date +%s.%N)
  timing_group=""
  timing_busy0=$(timing_machine_busy)
  local group="${timing_group_root}/tarvo-$1-$$"
  if [ -w "${timing_group_root}" ] && mkdir "${group}" 2>/dev/null; then
    timing_group=${group}
  fi
}

# timing_join: the calling shell, and so everything it starts from now on,
# joins the stage's group.
timing_join() {
  [ -z "${timing_group}" ] || echo $$ > "${timing_group}/cgroup.procs" 2>/dev/null || true
  [ -z "${timing_group}" ] || [ -z "${BASHPID:-}" ] ||
    echo "${BASHPID}" > "${timing_group}/cgroup.procs" 2>/dev/null || true
}

# timing_machine_busy: the machine's busy CPU time so far, in clock ticks.
timing_machine_busy() {
  awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9; exit }' /proc/stat 2>/dev/null || echo 0
}

# timing_end <name>: sets timing_wall, timing_cpu (whole seconds) and
# timing_text, "time <name>: wall N s, CPU N s (how)", then removes the group,
# its processes (a wine server the stage left) moved back out first.
timing_end() {
  local wall cpu how
  wall=$(awk -v a="${timing_wall0}" -v b="$(date +%s.%N)" 'BEGIN { printf "%.0f", b - a }')
  if [ -n "${timing_group}" ] && [ -r "${timing_group}/cpuacct.usage" ]; then
    cpu=$(awk '{ printf "%.0f", $1 / 1e9 }' "${timing_group}/cpuacct.usage")
    how="every process of the stage"
    local pid
    for pid in $(cat "${timing_group}/cgroup.procs" 2>/dev/null); do
      echo "${pid}" > "${timing_group_root}/cgroup.procs" 2>/dev/null || true
    done
    rmdir "${timing_group}" 2>/dev/null || true
  else
    local ticks
    ticks=$(getconf CLK_TCK 2>/dev/null || echo 100)
    cpu=$(awk -v a="${timing_busy0}" -v b="$(timing_machine_busy)" -v t="${ticks}" \
      'BEGIN { printf "%.0f", (b - a) / t }')
    how="machine"
  fi
  timing_wall=${wall}
  timing_cpu=${cpu}
  timing_text="time $1: wall ${wall} s, CPU ${cpu} s (${how})"
}
