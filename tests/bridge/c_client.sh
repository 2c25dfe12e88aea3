#!/bin/sh
# Installs the bridge into a temporary prefix, builds c_client.c against the
# installed pkg-config file and sends a text to the fake program it starts.
# Usage: c_client.sh BUILD_DIR SOURCE_DIR FAKE_PROGRAM [EXTRA_CFLAGS]
set -eu
build=$1
source=$2
fake=$3
extra=${4:-}
root=$(mktemp -d "${TMPDIR:-/tmp}/quilletfire-c-XXXXXX")
trap 'if [ -s "$root/fake/pid" ]; then kill "$(cat "$root/fake/pid")" 2>/dev/null || true; fi; rm -rf "$root"' EXIT
mkdir -p "$root/config" "$root/runtime" "$root/fake"

cmake --install "$build" --component quilletfire --prefix "$root/prefix" >/dev/null
pcfile=$(find "$root/prefix" -name quilletfire.pc)
test -n "$pcfile"
export PKG_CONFIG_PATH=$(dirname "$pcfile")
flags=$(pkg-config --define-variable=prefix="$root/prefix" --cflags --libs quilletfire)
libdir=$(pkg-config --define-variable=prefix="$root/prefix" --variable=libdir quilletfire)
cc -std=c99 -Wall -Wextra -Werror $extra -o "$root/c_client" "$source/c_client.c" $flags -Wl,-rpath,"$libdir"

export HOME="$root" XDG_CONFIG_HOME="$root/config" XDG_RUNTIME_DIR="$root/runtime"
export QUILLET_INSTANCE_NAME="c-client-$$" QUILLET_APP_PATH="$fake" QUILLET_FAKE_OUTPUT="$root/fake"
"$root/c_client" "sent from C"
i=0
while [ ! -f "$root/fake/received" ] && [ $i -lt 150 ]; do sleep 0.1; i=$((i + 1)); done
test "$(cat "$root/fake/received")" = "sent from C"

# The installed command finds its library by its run path.
QUILLET_APP_PATH="$root/none" QUILLET_INSTANCE_NAME="nobody-$$" "$root/prefix/bin/quilletfire" --version
echo "c_client: ok"
