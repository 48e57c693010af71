#!/usr/bin/env bash
# setup/install-packages on a machine whose package tools are stubs: the
# stub dpkg-query knows the packages of $STUB_INSTALLED, the stub apt-get
# (and sudo) log their arguments. Each case compares the whole output, the
# exit code and the log.
#   install_packages_test.sh SOURCE_DIR
set -uo pipefail
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
# A copy that an ordinary user can read, wherever the sources are.
mkdir -m 755 "$work/setup"
cp "$1/setup/install-packages" "$1/setup/packages.txt" "$work/setup/"
chmod 755 "$work/setup/install-packages"
chmod 644 "$work/setup/packages.txt"
script="$work/setup/install-packages"
list="$work/setup/packages.txt"
failures=0

# The packages of a part of the list, as one line.
packages_of() {
  local parts=" $* " line_part package rest out=()
  while read -r line_part package rest || [ -n "$line_part" ]; do
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
  if [ "$2" != without-apt ]; then
    printf '#!/bin/bash\necho "apt-get $*" >> "$STUB_LOG"\n' > "$dir/apt-get"
  fi
  if [ "$2" = with-apt ]; then
    # sudo VAR=value... COMMAND: the variables, then the command.
    cat > "$dir/sudo" <<'STUB'
#!/bin/bash
echo "sudo" >> "$STUB_LOG"
while [[ "$1" == *=* ]]; do export "$1"; shift; done
exec "$@"
STUB
  fi
  chmod 755 "$dir" "$dir"/*
  echo "$dir"
}

# The command that runs the script as an ordinary user: as it is when this
# test runs as one, else through setpriv (empty where there is none).
as_user=()
if [ "$EUID" -eq 0 ]; then
  setpriv=$(command -v setpriv || true)
  [ -z "$setpriv" ] || as_user=("$setpriv" --reuid=65534 --regid=65534 --clear-groups)
fi

# expect NAME STUBS INSTALLED PART EXIT OUTPUT LOG [as-user]
# ($script names the installer, beside its package list.)
expect() {
  local name="$1" stubs="$2" installed="$3" part="$4" exit_expected="$5"
  local out_expected="$6" log_expected="$7" runner=()
  if [ "${8:-}" = as-user ]; then
    if [ "$EUID" -eq 0 ] && [ ${#as_user[@]} -eq 0 ]; then
      echo "skipped: $name (no setpriv to run as an ordinary user)"
      return
    fi
    runner=("${as_user[@]}")
  fi
  : > "$work/log"
  chmod 666 "$work/log"
  local out status log
  out=$(PATH="$stubs" STUB_INSTALLED="$installed" STUB_LOG="$work/log" "${runner[@]}" /bin/bash "$script" "$part" 2>&1)
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
no_sudo=$(make_stubs no-sudo without-sudo)
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
  "setup: this machine has no apt-get. Install these packages with its own package manager (these are Debian's names; other systems may name them otherwise), then run this again: $run" ""
expect "an ordinary user installs through sudo" "$apt" "${run/g++/}" run 0 \
  "setup: installing the Debian packages that the programs and the demo need and this machine lacks: g++" \
  "sudo"$'\n'"apt-get update"$'\n'"sudo"$'\n'"apt-get install -y --no-install-recommends g++" as-user
expect "an ordinary user without sudo is told what to run as root" "$no_sudo" "${run/g++/}" run 1 \
  "setup: installing packages needs root, and there is no sudo. As root, run:"$'\n'"  apt-get update && apt-get install --no-install-recommends g++" "" as-user
expect "a part that does not exist" "$apt" "" all 2 "usage: setup/install-packages run|test" ""

# Lists as an editor may leave them: a CR LF line end, blanks, no line end
# after the last line; and a line without its package.
mkdir -m 755 "$work/odd"
cp "$work/setup/install-packages" "$work/odd/"
printf '# a list\r\nrun  cmake \r\n\ttest\tvalgrind\nrun g++' > "$work/odd/packages.txt"
script="$work/odd/install-packages"
expect "a list with CR LF, blanks and no last line end" "$apt" "" test 0 \
  "setup: installing the Debian packages that the programs and the tests need and this machine lacks: cmake valgrind g++" \
  "$(root update)"$'\n'"$(root "install -y --no-install-recommends cmake valgrind g++")"
printf 'run cmake\nrun\n' > "$work/odd/packages.txt"
expect "a line without its package" "$apt" "" run 2 \
  "setup: $work/odd/packages.txt, line 2: not a part (run or test) and a package" ""

[ "$failures" -eq 0 ] || { echo "$failures cases failed"; exit 1; }
