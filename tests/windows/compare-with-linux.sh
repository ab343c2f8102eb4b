#!/usr/bin/env bash
# Runs the same calls through the Linux lanvex and through lanvex.exe under Wine, each with a copy of
# the example settings and simulation files in a folder with a Chinese name, and compares what they
# print, their exit codes and the files they leave behind: the simulation file, the exports and the
# settings file.
# Usage: compare-with-linux.sh LINUX_LANVEX WINDOWS_LANVEX_EXE WINE_LOADER EXAMPLES_DIR WORK_DIR
set -euo pipefail
linux_program=$1 windows_program=$2 wine=$3 examples=$4 work=$5

rm -rf "$work"
prepare() { # platform program name
  local dir="$work/$1/程序目录"
  mkdir -p "$dir"
  cp "$2" "$dir/$3"
  cp "$examples/lanvex.ini" "$dir/${3%.exe}.ini"
  cp "$examples/simulated-network.json" "$dir/模拟网络.json"
}
prepare linux "$linux_program" lanvex
prepare windows "$windows_program" lanvex.exe
# The window build's lanvex.exe needs its DLLs (Qt, the mingw runtime) beside it.
find "$(dirname "$windows_program")" -maxdepth 1 -name '*.dll' -exec cp {} "$work/windows/程序目录/" \;

# Each call's exit code, stdout and stderr, one transcript per platform.
transcript() { # platform command...
  local platform=$1
  shift
  local dir="$work/$platform/程序目录" out err code
  out=$(mktemp) err=$(mktemp)
  for call in "list" "adapters" "apply 上海分公司 --adapter 1" "apply 家里 --adapter 2" "apply 实验室 --adapter 2" \
              "apply 总部办公室 --adapter 3" "apply 没有这个 --adapter 1" "adapters" "export 导出.ini" \
              "export 导出.json" "import 导出.json --replace" "import 没有这个.ini" "list" \
              "list --config 导出.ini"; do
    read -r -a args <<<"$call"
    args[0]="--${args[0]}"
    code=0
    (cd "$dir" && "$@" "$dir/$program" --simulate 模拟网络.json "${args[@]}") >"$out" 2>"$err" || code=$?
    printf '== %s: exit %s\n-- stdout\n' "$call" "$code"
    cat "$out"
    printf -- '-- stderr\n'
    cat "$err"
  done
  rm -f "$out" "$err"
}
# The system's own error texts are English on Wine; the C locale gives the same on Linux, and the
# program's texts stay Chinese in both.
program=lanvex transcript linux env -u LANGUAGE LC_ALL=C.UTF-8 >"$work/linux.txt"
program=lanvex.exe transcript windows "$wine" >"$work/windows.txt"

status=0
if ! diff -u "$work/linux.txt" "$work/windows.txt"; then
  echo "the outputs differ" >&2
  status=1
fi
if ! cmp "$work/linux/程序目录/模拟网络.json" "$work/windows/程序目录/模拟网络.json"; then
  diff -u "$work/linux/程序目录/模拟网络.json" "$work/windows/程序目录/模拟网络.json" || true
  echo "the simulation files differ" >&2
  status=1
fi
# Files the program wrote: the exports, and the settings file the import rewrote.
for file in 导出.ini 导出.json; do
  if ! cmp "$work/linux/程序目录/$file" "$work/windows/程序目录/$file"; then
    echo "the exported $file differs" >&2
    status=1
  fi
done
if ! cmp "$work/linux/程序目录/lanvex.ini" "$work/windows/程序目录/lanvex.ini"; then
  echo "the settings files differ after the import" >&2
  status=1
fi
# The run must have reached the service: three applies that call methods.
calls=$(grep -c '"method"' "$work/windows/程序目录/模拟网络.json" || true)
if [ "$calls" -lt 5 ]; then
  echo "expected the applies to call the service, found $calls calls" >&2
  status=1
fi
[ $status -eq 0 ] && echo "lanvex.exe and the Linux lanvex agree ($calls service calls)"
exit $status
