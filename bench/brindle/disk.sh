# Sourced by the viewer's benchmarks: refuses to start when the folder for the generated
# exports lacks room for them with a margin of 1 GB.
#   need_disk FOLDER MB
need_disk() {
  local free_mb
  free_mb=$(df -Pm "$1" | awk 'NR == 2 { print $4 }')
  if [ "$free_mb" -lt $(($2 + 1024)) ]; then
    echo "not enough disk under $1: ${free_mb} MB free, $2 MB needed"; exit 1
  fi
}
