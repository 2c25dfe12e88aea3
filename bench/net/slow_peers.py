#!/usr/bin/env python3
"""Valid requests while slow and silent peers hold connections.

Opens SLOW one-byte peers and SILENT peers (each from its own loopback address,
as many computers would, so the per-peer cap does not simply turn them away),
then times REQUESTS valid GET /List requests, one connection each, and prints
their median and 99th percentile latency and the server's memory per idle
session. Usage: slow_peers.py PORT SERVER_PID [SLOW SILENT REQUESTS]
"""
import resource
import socket
import statistics
import sys
import time

port, pid = int(sys.argv[1]), int(sys.argv[2])
slow, silent, requests = (int(x) for x in (sys.argv[3:6] if len(sys.argv) > 5 else (1000, 1000, 2000)))
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, max(soft, slow + silent + 256)), hard))


def rss_kb():
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS"))


def peer(index):
    s = socket.socket()
    s.bind((f"127.1.{index // 250}.{1 + index % 250}", 0))
    s.connect(("127.0.0.1", port))
    return s


before = rss_kb()
held = []
for i in range(silent):
    held.append(peer(i))
for i in range(slow):
    s = peer(silent + i)
    s.sendall(b"G")
    held.append(s)
time.sleep(0.5)
after = rss_kb()

request = b"GET /List HTTP/1.0\r\nConnection: close\r\n\r\n"
latencies = []
for _ in range(requests):
    begin = time.perf_counter()
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(request)
    data = b""
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        data += chunk
    s.close()
    if not data.startswith(b"HTTP/1.0 200"):
        sys.exit(f"slow_peers: a valid request was answered {data[:40]!r}")
    latencies.append((time.perf_counter() - begin) * 1000)
latencies.sort()
p99 = latencies[int(len(latencies) * 0.99) - 1]
# The server keeps at most 1,024 sessions; the longest-idle gave way to the rest.
kept = min(slow + silent, 1024)
print(f"{slow} one-byte + {silent} silent peers ({kept} kept by the server): GET /List median "
      f"{statistics.median(latencies):.2f} ms, p99 {p99:.2f} ms over {requests} requests; "
      f"memory per idle session {(after - before) * 1024 / kept:.0f} bytes")
