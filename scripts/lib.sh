# Sourced by the scripts.

# Runs a command with its output in the log file; when it fails, shows the
# end of the log (a compiler's message, say) and fails too.
logged() {  # log file, command...
  local log=$1
  shift
  mkdir -p "$(dirname "$log")"
  "$@" >"$log" 2>&1 && return 0
  echo "--- $log (last 40 lines)"
  tail -n 40 "$log"
  return 1
}
