# step NAME COMMAND...: runs the command and, when VONTAL_TIMINGS names a file, adds a line with the
# step's name, its seconds and whether it passed, for the summary at the end of the test command.
# Source it.
step() {
  local name=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  if [ -n "${VONTAL_TIMINGS:-}" ]; then
    printf '%s\t%s\t%s\n' "$name" $((SECONDS - start)) "$([ $status -eq 0 ] && echo ok || echo FAILED)" \
      >>"$VONTAL_TIMINGS"
  fi
  return $status
}

# The summary of VONTAL_TIMINGS: one line a step, then the whole run.
print_timings() {
  [ -s "${VONTAL_TIMINGS:-}" ] || return 0
  echo "Where the time went (seconds):"
  awk -F'\t' '{ printf "  %-40s %6d  %s\n", $1, $2, $3 }' "$VONTAL_TIMINGS"
}
