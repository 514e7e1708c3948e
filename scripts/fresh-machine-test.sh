#!/usr/bin/env bash
# Tries the README's two commands as a new user would, on a fresh Debian 12
# machine: builds a Debian 12 root with debootstrap (Debian's packages only,
# with git and make, which the README asks for) in FOLDER, puts a clean clone
# of this repository's HEAD in it, and runs
#   make test   (installs what it needs, builds, runs the whole suite)
#   make run    (far enough to see the settings dialog under Xvfb, then Escape)
# inside it. With --runs N, `make test` runs N times, each in a new clean
# clone in the same root (the first one on the bare root installs the
# packages), and every run must pass the first time.
#
# Not part of CI: it takes an hour or more. Run it before a submission that
# touches the build, the dependencies or the test scripts.
#
#   scripts/fresh-machine-test.sh [--runs N] [--mirror URL] FOLDER
#
# Needs root (debootstrap, chroot, mounts) and the network to Debian's mirror.
# FOLDER must be empty or absent; it is left in place afterwards (remove it
# with rm -rf once no mount is left under it). The shared test files
# (../shared/testdata beside the repository), when present, are mounted
# read-only beside the clone, as they are beside a checkout.
# Exit status: 0 when every run passed, 1 when one failed, 2 for a usage error.
set -euo pipefail

usage() {
  sed -n '2,/^# Exit status/p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

runs=1
mirror=http://deb.debian.org/debian
folder=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) [ $# -ge 2 ] || usage; runs=$2; shift 2 ;;
    --mirror) [ $# -ge 2 ] || usage; mirror=$2; shift 2 ;;
    --help) sed -n '2,/^# Exit status/p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) usage ;;
    *) [ -z "$folder" ] || usage; folder=$1; shift ;;
  esac
done
[ -n "$folder" ] || usage
case $runs in ''|*[!0-9]*|0) usage ;; esac
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine-test: needs root (debootstrap and chroot)" >&2; exit 2; }
if [ -e "$folder" ] && [ -n "$(ls -A "$folder")" ]; then
  echo "fresh-machine-test: $folder is not empty" >&2
  exit 2
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
testdata=$(cd "$repo/.." && pwd)/shared/testdata
mkdir -p "$folder"
root=$(cd "$folder" && pwd)
log() { echo "[fresh-machine $(date +%H:%M:%S)] $*"; }

command -v debootstrap >/dev/null || {
  log "installing debootstrap on this machine"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

mounted=()
mount_into() {  # mount_into TARGET MOUNT-ARGS...
  mkdir -p "$root$1"
  mount "${@:2}" "$root$1"
  mounted=("$1" "${mounted[@]}")
}
cleanup() {
  for m in "${mounted[@]}"; do umount -l "$root$m" 2>/dev/null || true; done
}
trap cleanup EXIT

log "debootstrap bookworm into $root ($mirror)"
debootstrap --include=git,ca-certificates,make bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -n 20 "$root.debootstrap.log"; echo "fresh-machine-test: debootstrap failed" >&2; exit 1; }
mv "$root.debootstrap.log" "$root/root/debootstrap.log"

mount_into /proc -t proc proc
mount_into /sys -t sysfs sysfs
mount_into /dev --bind /dev
mount_into /dev/pts --bind /dev/pts
mount_into /dev/shm -t tmpfs tmpfs
cp /etc/resolv.conf "$root/etc/resolv.conf"
if [ -d "$testdata" ]; then
  mount_into /work/shared/testdata --bind "$testdata" -o ro
fi

# The commands run as root in a login shell, with nothing of this machine's environment.
in_root() {
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1"
}

failed=0
for run in $(seq "$runs"); do
  clone=/work/run$run/glasswake
  log "run $run of $runs: clean clone of $(git -C "$repo" rev-parse --short HEAD) in $clone"
  mkdir -p "$root$(dirname "$clone")"
  git clone -q --no-local "$repo" "$root$clone"
  # The clone sits where a checkout sits: ../shared/testdata beside it.
  [ -d "$testdata" ] && ln -sfn /work/shared "$root$(dirname "$clone")/shared"
  start=$(date +%s)
  if in_root "cd $clone && make test" >"$root/work/run$run.log" 2>&1; then
    status=passed
  else
    status=FAILED
    failed=1
  fi
  seconds=$(($(date +%s) - start))
  tests=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$root/work/run$run.log" | sed 's/^/    /' || true)
  log "run $run: make test $status in $((seconds / 60)) min $((seconds % 60)) s (log: $root/work/run$run.log)"
  [ -n "$tests" ] && echo "$tests"
  [ "$status" = passed ] || tail -n 40 "$root/work/run$run.log"
done

# make run: the dialog comes up under Xvfb, and Escape leaves it with exit code 0.
log "make run in $clone: the settings dialog, then Escape"
cat >"$root/work/make-run.sh" <<'SCRIPT'
set -u
cd "$1"
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
# make run builds first (its own build folder); that is not what is timed below.
make build >/work/make-run.log 2>&1 || { echo "make run: the build failed"; exit 1; }
make run >>/work/make-run.log 2>&1 &
pid=$!
for _ in $(seq 600); do
  id=$(xdotool search --name "Glasswake by Vexa - 2009" 2>/dev/null | head -n 1)
  [ -n "$id" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.2
done
[ -n "${id:-}" ] || { echo "no settings dialog"; kill $pid 2>/dev/null; exit 1; }
xdotool windowfocus --sync "$id" key Escape
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { echo "the dialog did not close on Escape"; kill $pid; exit 1; }
wait $pid
code=$?
echo "dialog seen, Escape, make run exited with $code"
exit $code
SCRIPT
if in_root "xvfb-run -a -s '-screen 0 1280x720x24 -nolisten tcp' bash /work/make-run.sh $clone"; then
  log "make run: passed"
else
  log "make run: FAILED (log: $root/work/make-run.log)"
  failed=1
fi

[ "$failed" -eq 0 ] && log "all passed" || log "something failed"
exit "$failed"
