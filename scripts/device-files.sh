# Sourced after the run's manifest (build/run/manifest.sh): puts the files a device needs
# into a device's folder as the handheld would have them, the program and what ships beside
# it in \Program Files\Orvalen, the operating system's programs and libraries in \Windows.
#   device_put_files <device folder>
device_put_files() {
  local root=$1 entry folder
  # The shell's Start menu, where "-install" puts the program's shortcuts.
  mkdir -p "$root/Windows/Start Menu/Programs"
  for entry in "${run_device_files[@]}"; do
    folder=$root/${entry%%|*}
    mkdir -p "$folder"
    cp -f "${entry#*|}" "$folder/"
  done
}
