#!/bin/bash
# Crashes each writing command at every counted file-system call and checks what is left,
# both as the disk holds it after the kill and as a power cut would have left it (two images
# the crash-point library writes, see crashpoint.c).
#
#   cmake -S . -B build -G Ninja -DPELLUMO_POWERCUT=ON && ninja -C build powercut_driver crashpoint
#   scripts/powercut/run.sh build /tmp/powercut 300 [command...]
#
# Prints one line per crash point and image with the findings, and a summary per command.
# Expected as the program is designed: the purge fails its checks between the replace of
# adresse.qdx and that of secure.qdx (secure.qdx still lists the purged keys, whose sections are
# gone; the next purge completes it), and a death between the creation of the lock file and
# the write of its content is a NOTE (such a lock is taken over only after the stale time).
# CRASHPOINT_SKIP_FLUSH=1 makes every file flush do nothing: the power-cut images must fail.
set -u
build=$(realpath "$1")
work=$2
records=${3:-300}
shift 3 || shift $#
commands=("$@")
[ ${#commands[@]} -eq 0 ] && commands=(save-new edit-same edit-rename delete restore purge orphans
  import export-csv export-vcard report)
driver=$build/scripts/powercut/powercut_driver
lib=$build/scripts/powercut/libcrashpoint.so
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
"$driver" setup "$work/template" "$records" > /dev/null || exit 1

fresh() {  # fresh <dir>: data and out directories as before the command
  rm -rf "$1"
  mkdir -p "$1/out"
  cp -a "$work/template" "$1/data"
}

verify() {  # verify <label> <data> <out> <command>
  local result
  result=$("$driver" check "$work/template" "$2" "$4" "$3" 2>&1; "$driver" next "$2" 2>&1)
  if grep -q FINDING <<< "$result"; then
    echo "$1 FAIL"
    grep FINDING <<< "$result" | sed 's/^/    /'
    return 1
  fi
  grep -q NOTE <<< "$result" && echo "$1 $(grep NOTE <<< "$result" | head -1)"
  return 0
}

for command in "${commands[@]}"; do
  run=$work/run
  fresh "$run"
  total=$(LD_PRELOAD=$lib CRASHPOINT_LOG=$work/$command.calls "$driver" run "$run/data" "$command" \
            "$run/out" | sed -n 's/^done //p')
  failures=0
  points=0
  for ((n = 1; n <= total; n++)); do
    fresh "$run"
    modelled=$run/data
    case $command in export-* | report) modelled=$run/out ;; esac
    mkdir -p "$run/image"
    (LD_PRELOAD=$lib CRASHPOINT_AT=$n CRASHPOINT_DIR=$modelled CRASHPOINT_IMAGE=$run/image \
      "$driver" run "$run/data" "$command" "$run/out" > "$run/output" 2>&1) 2> /dev/null
    rc=$?
    points=$((points + 1))
    step=$(sed -n "${n}p" "$work/$command.calls")
    [ $rc -ne 137 ] && echo "$command #$n not killed (rc $rc): $(cat "$run/output")"
    verify "$command #$n kill   [$step]" "$run/data" "$run/out" "$command" || failures=$((failures + 1))
    for image in flushed renamed; do
      [ -d "$run/image/$image" ] || { echo "$command #$n: no $image image"; continue; }
      # The machine comes back a minute later: a lock file left behind is that much older.
      find "$run/image/$image" -type f -exec touch -d '-60 seconds' {} +
      rm -rf "$run/cut"
      mkdir -p "$run/cut"
      if [ "$modelled" = "$run/out" ]; then
        cp -a "$work/template" "$run/cut/data"
        cp -a "$run/image/$image" "$run/cut/out"
      else
        cp -a "$run/image/$image" "$run/cut/data"
        mkdir -p "$run/cut/out"
      fi
      verify "$command #$n $image [$step]" "$run/cut/data" "$run/cut/out" "$command" ||
        failures=$((failures + 1))
    done
    rm -rf "$run/image"
  done
  echo "SUMMARY $command: $points crash points, $failures failed checks"
done
