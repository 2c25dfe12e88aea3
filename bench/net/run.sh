#!/usr/bin/env bash
# Server throughput on loopback: `quillet-cli serve` against nginx serving the
# same bytes, measured by the same closed-loop client (loadgen.cpp, one request
# per connection, as the program's own clients talk).
#   GET /List        a message list of 100 notes   | nginx: the same bytes as a static file
#   GET /Message/ID  one note document             | nginx: the same bytes as a static file
#   PUT /Message     a plain-text delivery         | nginx: PUT to a location that returns 200
# Usage: bench/net/run.sh BUILD_DIR
# BENCH_NET_SECONDS (default 3, at most 60) and BENCH_NET_THREADS (default 4)
# tune each run. Loopback only; everything it starts is stopped at exit.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
seconds=${BENCH_NET_SECONDS:-3}
threads=${BENCH_NET_THREADS:-4}
cli="$build/src/tools/quillet-cli"
[ -x "$cli" ] || { echo "bench/net: $cli is missing (build first)" >&2; exit 1; }
# The reference server is only needed here, so it is installed here, not by bootstrap.
if ! command -v nginx >/dev/null && [ ! -x /usr/sbin/nginx ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nginx-light >/dev/null 2>&1 ||
        echo "bench/net: nginx could not be installed; measuring our server alone" >&2
fi
nginx=$(command -v nginx || true)
[ -n "$nginx" ] || [ ! -x /usr/sbin/nginx ] || nginx=/usr/sbin/nginx

work=$(mktemp -d /tmp/quillet-bench-net-XXXXXX)
serve_pid=
nginx_pid=
cleanup() {
    [ -n "$serve_pid" ] && kill -TERM "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
    [ -n "$nginx_pid" ] && kill -TERM "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

g++ -O2 -std=c++20 -pthread "$here/loadgen.cpp" -o "$work/loadgen"

# 100 notes of about 300 bytes of text each.
mkdir -p "$work/notes"
body=$(printf 'Note text for the benchmark, a line of ordinary length. %.0s' 1 2 3 4 5 | od -An -tx1 | tr -d ' \n' |
    tr 'a-f' 'A-F')
first_id=1600000001
for i in $(seq 0 99); do
    id=$((first_id + i))
    printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="Benchmark note %d"/>\r\n<SheetID ID="%d"/>\r\n<SheetDimension X="10" Y="20" Width="200" Height="100"/>\r\n</SheetProperty>\r\n<Message>\r\n%s\r\n</Message>\r\n</Quillet>\r\n' \
        "$i" "$id" "$body" >"$work/notes/$id"
done
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<NetworkProperty>\r\n<AcceptConnection Bool="True"/>\r\n<ReceiveChannel Address="" Port="4126"/>\r\n<AcceptTransfer Bool="True" User="" Passwd=""/>\r\n<AllowAll Bool="True"/>\r\n</NetworkProperty>\r\n</Quillet>\r\n' >"$work/settings.ini"

"$cli" serve --notes "$work/notes" --config "$work/settings.ini" --address 127.0.0.1 --port 0 \
    >"$work/serve.out" 2>"$work/serve.err" &
serve_pid=$!
port=
for _ in $(seq 1 100); do
    port=$(sed -n 's/^listening on .*:\([0-9][0-9]*\)$/\1/p' "$work/serve.out")
    [ -n "$port" ] && break
    kill -0 "$serve_pid" 2>/dev/null || { cat "$work/serve.err" >&2; exit 1; }
    sleep 0.1
done
[ -n "$port" ] || { echo "bench/net: serve did not start" >&2; exit 1; }

# The requests as the program's client writes them.
request() { # METHOD PATH [CONTENT_TYPE BODY]
    local head="$1 $2 HTTP/1.0\r\n"
    if [ $# -eq 4 ]; then
        head+="Content-Length: ${#4}\r\nContent-Type: $3\r\n"
    fi
    head+="Accept: *.*\r\nAccept-Charset: iso-8859-1,*,utf-8\r\nAccept-Language: en\r\nConnection: Keep-Alive\r\n"
    head+="Host: 127.0.0.1\r\nUser-Agent: CHTTPRequest Agent\r\n\r\n"
    printf "$head"
    [ $# -eq 4 ] && printf '%s' "$4"
    return 0
}
note_id=$((first_id + 50))
request GET /List >"$work/req-list"
request GET "/Message/$note_id" >"$work/req-note"
request PUT /Message text/plain "A delivered note of ordinary length for the benchmark." >"$work/req-put"

# The bytes our server answers, to be served by nginx as they are.
mkdir -p "$work/www/Message"
python3 - "$port" "$work" "$note_id" <<'PY'
import socket, sys
port, work, note = int(sys.argv[1]), sys.argv[2], sys.argv[3]
def body(request_file):
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    s.sendall(open(request_file, "rb").read())
    data = b""
    while True:
        head, sep, rest = data.partition(b"\r\n\r\n")
        if sep:
            length = 0
            for line in head.split(b"\r\n")[1:]:
                name, _, value = line.partition(b":")
                if name.strip().lower() == b"content-length":
                    length = int(value)
            if len(rest) >= length:
                s.close()
                return rest[:length]
        chunk = s.recv(65536)
        if not chunk:
            raise SystemExit("bench/net: short answer from serve")
        data += chunk
open(f"{work}/www/List", "wb").write(body(f"{work}/req-list"))
open(f"{work}/www/Message/{note}", "wb").write(body(f"{work}/req-note"))
PY
list_bytes=$(stat -c %s "$work/www/List")
note_bytes=$(stat -c %s "$work/www/Message/$note_id")
grep -c '<Message ID=' "$work/www/List" | grep -qx 100 || { echo "bench/net: the list does not hold 100 notes" >&2; exit 1; }

run_load() { # PORT REQUEST_FILE EXPECTED_STATUS -> requests/s
    local out
    out=$("$work/loadgen" "$1" "$seconds" "$threads" "$2" "$3") || { echo "bench/net: $out" >&2; echo 0; return; }
    sed -n 's/.*rps=\([0-9]*\).*/\1/p' <<<"$out"
}

declare -A ours theirs
ours[list]=$(run_load "$port" "$work/req-list" 200)
ours[note]=$(run_load "$port" "$work/req-note" 200)
ours[put]=$(run_load "$port" "$work/req-put" 200)

if [ -n "$nginx" ]; then
    nginx_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    mkdir -p "$work/nginx/tmp"
    user_line=
    [ "$(id -u)" -eq 0 ] && user_line="user $(id -un) $(id -gn);"
    cat >"$work/nginx/nginx.conf" <<CONF
$user_line
worker_processes auto;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log warn;
events { worker_connections 1024; }
http {
    access_log off;
    client_body_temp_path $work/nginx/tmp/body;
    proxy_temp_path $work/nginx/tmp/proxy;
    fastcgi_temp_path $work/nginx/tmp/fastcgi;
    uwsgi_temp_path $work/nginx/tmp/uwsgi;
    scgi_temp_path $work/nginx/tmp/scgi;
    server {
        listen 127.0.0.1:$nginx_port;
        root $work/www;
        location = /List { default_type text/x-quilletlist; }
        location /Message/ { default_type text/x-quillet; }
        location = /Message { return 200; }
    }
}
CONF
    "$nginx" -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" 2>>"$work/nginx/error.log" &
    nginx_pid=$!
    for _ in $(seq 1 50); do
        python3 -c "import socket; socket.create_connection(('127.0.0.1', $nginx_port), timeout=1).close()" \
            2>/dev/null && break
        sleep 0.1
    done
    theirs[list]=$(run_load "$nginx_port" "$work/req-list" 200)
    theirs[note]=$(run_load "$nginx_port" "$work/req-note" 200)
    theirs[put]=$(run_load "$nginx_port" "$work/req-put" 200)
else
    echo "bench/net: nginx is not installed (scripts/bootstrap installs it); no reference" >&2
fi

echo "== net: loopback, $threads client threads, ${seconds}s per run, one request per connection"
printf '%-44s %12s %12s %10s\n' "request" "serve req/s" "nginx req/s" "ratio"
for key in list note put; do
    case $key in
    list) label="GET /List (100 notes, $list_bytes bytes)" ;;
    note) label="GET /Message/ID ($note_bytes bytes)" ;;
    put) label="PUT /Message text/plain (nginx: return 200)" ;;
    esac
    ref=${theirs[$key]:-}
    if [ -n "$ref" ] && [ "$ref" -gt 0 ]; then
        ratio=$(python3 -c "print(f'{${ours[$key]} / $ref:.2f}')")
    else
        ratio="-"
    fi
    printf '%-44s %12s %12s %10s\n' "$label" "${ours[$key]}" "${ref:--}" "$ratio"
done
echo "(ratio = serve / nginx; above 1 = serve is faster)"
python3 "$here/slow_peers.py" "$port" "$serve_pid" 1000 1000 2000 ||
    echo "bench/net: the slow-peer run failed" >&2
