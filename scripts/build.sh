# Sourced by the scripts: varrel_build, the one way they configure and build a folder.
#   varrel_build DIR [--target T]... [CMAKE ARGS]
# configures DIR as a Release build with the CMake arguments given and builds the targets named (all
# without one). The whole log goes to DIR.log; its warnings are shown, and on failure its end.
varrel_build() {
  local dir=$1 targets=()
  shift
  while [ "${1:-}" = --target ]; do
    targets+=("$2")
    shift 2
  done
  mkdir -p "$(dirname "$dir")"
  if cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.log" 2>&1 &&
    cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" ${targets[@]+--target "${targets[@]}"} \
      >>"$dir.log" 2>&1; then
    grep -E -i -A3 'warning:' "$dir.log" || true
    return 0
  fi
  tail -n 60 "$dir.log"
  echo "build of $dir failed (log: $dir.log)" >&2
  return 1
}
