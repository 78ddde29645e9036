#!/bin/sh
# kelvo-widget render --output puts the drawing where the path leads: through links into the
# file they name, into a named pipe whose reader gets all of it, and into a device node that
# stays one. Everything happens in a scratch folder, each step bounded in time; the device node
# is tried only where the system lets this user make one.
set -u
program=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
render() { timeout 30 "$program" render --family systemMedium --output "$1"; }
whole() { [ "$(tail -c 6 "$1")" = "</svg>" ]; }

mkdir "$scratch/drawings"
echo old >"$scratch/drawings/target.svg"
ln -s drawings/target.svg "$scratch/second"
ln -s "$scratch/second" "$scratch/link.svg"
render "$scratch/link.svg" || fail "could not draw through the links"
[ -L "$scratch/link.svg" ] && [ -L "$scratch/second" ] || fail "a link was replaced"
whole "$scratch/drawings/target.svg" || fail "the links' target does not hold the drawing"

mkfifo "$scratch/pipe" || fail "no pipe"
timeout 30 cat "$scratch/pipe" >"$scratch/from-pipe" &
reader=$!
render "$scratch/pipe" || fail "could not draw into the pipe"
wait "$reader" || fail "the pipe's reader got no end"
[ -p "$scratch/pipe" ] || fail "the pipe was replaced"
whole "$scratch/from-pipe" || fail "the pipe's reader did not get the whole drawing"

if mknod "$scratch/node" c 1 3 2>"$scratch/mknod-said"; then
  render "$scratch/node" || fail "could not draw into the device node"
  [ -c "$scratch/node" ] || fail "the device node was replaced"
  echo "drawn through links, into a pipe and into a device node"
else
  echo "drawn through links and into a pipe; no device node can be made here"
fi
