#!/usr/bin/env bash
# setup/install-packages on a machine whose package tools are stubs: the
# stub dpkg-query knows the packages of $STUB_INSTALLED, the stub apt-get
# (and sudo) log their arguments. Each case compares the whole output, the
# exit code and the log.
#   install_packages_test.sh SOURCE_DIR
set -uo pipefail
script="$1/setup/install-packages"
list="$1/setup/packages.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# The packages of a part of the list, as one line.
packages_of() {
  local parts=" $* " line_part package rest out=()
  while read -r line_part package rest; do
    case "$line_part" in '' | '#'*) continue ;; esac
    [[ "$parts" == *" $line_part "* ]] && out+=("$package")
  done < "$list"
  echo "${out[*]}"
}

# A folder of stubs: dpkg-query always, apt-get and sudo when asked.
make_stubs() {
  local dir="$work/$1"
  mkdir -p "$dir"
  cat > "$dir/dpkg-query" <<'STUB'
#!/bin/bash
for p in $STUB_INSTALLED; do
  [ "$p" = "${@: -1}" ] && { printf 'install ok installed'; exit 0; }
done
exit 1
STUB
  if [ "$2" = with-apt ]; then
    printf '#!/bin/bash\necho "apt-get $*" >> "$STUB_LOG"\n' > "$dir/apt-get"
    printf '#!/bin/bash\necho "sudo" >> "$STUB_LOG"\nexec "$@"\n' > "$dir/sudo"
  fi
  chmod +x "$dir"/*
  echo "$dir"
}

# expect NAME STUBS INSTALLED PART EXIT OUTPUT LOG
expect() {
  local name="$1" stubs="$2" installed="$3" part="$4" exit_expected="$5"
  local out_expected="$6" log_expected="$7"
  : > "$work/log"
  local out status log
  out=$(PATH="$stubs" STUB_INSTALLED="$installed" STUB_LOG="$work/log" /bin/bash "$script" "$part" 2>&1)
  status=$?
  log=$(< "$work/log")
  if [ "$status" != "$exit_expected" ] || [ "$out" != "$out_expected" ] || [ "$log" != "$log_expected" ]; then
    echo "FAILED: $name"
    echo "  exit $status, expected $exit_expected"
    echo "  output:   $out"
    echo "  expected: $out_expected"
    echo "  log:      $log"
    echo "  expected: $log_expected"
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

apt=$(make_stubs apt with-apt)
bare=$(make_stubs bare without-apt)
run=$(packages_of run)
all=$(packages_of run test)
sudo_line=""
[ "$EUID" -eq 0 ] || sudo_line="sudo"$'\n'
root() { printf '%sapt-get %s' "$sudo_line" "$1"; }

expect "nothing is installed when all is there" "$apt" "$all" test 0 "" ""
expect "the run part needs only its own" "$apt" "$run" run 0 "" ""
expect "the missing packages are named and installed, only they" "$apt" \
  "${run/ninja-build/}" run 0 \
  "setup: installing the Debian packages that the programs and the demo need and this machine lacks: ninja-build" \
  "$(root update)"$'\n'"$(root "install -y --no-install-recommends ninja-build")"
expect "the test part adds what the tests need" "$apt" "$run" test 0 \
  "setup: installing the Debian packages that the programs and the tests need and this machine lacks: $(packages_of test)" \
  "$(root update)"$'\n'"$(root "install -y --no-install-recommends $(packages_of test)")"
expect "without apt-get the missing packages are named" "$bare" "" run 1 \
  "setup: this machine has no apt-get. Install these packages (their Debian names) or what your system calls them, then run this again: $run" ""
expect "a part that does not exist" "$apt" "" all 2 "usage: setup/install-packages run|test" ""

[ "$failures" -eq 0 ] || { echo "$failures cases failed"; exit 1; }
