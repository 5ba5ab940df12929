#!/usr/bin/env bash
# Runs a command in a network namespace of its own, with nothing but a loopback
# interface, so that the servers it starts (on the fixed port the end-to-end build of
# the program downloads from) meet no one else's: other test modules, `make demo` and
# `make bench` run side by side with it. Everything the command starts stays inside:
# its servers, Xvfb (whose abstract socket belongs to the namespace) and Wine.
#   own_network.sh COMMAND [ARG...]
# As root the namespace is made directly. Another user makes it inside a user
# namespace of its own, where it may bring the loopback interface up, and then maps
# itself back to its own ids, so that Wine finds its prefixes owned by whoever runs it.
# Where no namespace can be made, the command runs on this machine's loopback under a
# lock that every such run takes, so that two of them never share the port.
set -euo pipefail

if [ "$(id -u)" = 0 ]; then
  enter=(unshare --net --)
  leave=()
else
  enter=(unshare --map-root-user --net --)
  leave=(unshare --map-user="$(id -u)" --map-group="$(id -g)" --)
fi
# shellcheck disable=SC2016  # expanded by the shell inside the namespace
inside='ip link set lo up && exec "$@"'

if "${enter[@]}" sh -c "$inside" sh "${leave[@]}" true 2>/dev/null; then
  exec "${enter[@]}" sh -c "$inside" sh "${leave[@]}" "$@"
fi
echo "own_network.sh: no network namespace can be made here; running on this machine's" \
     "loopback, one such run at a time" >&2
exec flock /tmp/lumaroute-e2e-port.lock "$@"
