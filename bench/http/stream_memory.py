#!/usr/bin/env python3
"""The memory that 50 event-stream clients add to the running service.

Starts `stratavue-cli run --http 127.0.0.1:PORT` on a program folder, reads the service's resident
memory, connects 50 stream clients that read everything, lets them receive events for a while, and
reads it again. Usage: stream_memory.py STRATAVUE_CLI PROGRAM_FOLDER [SECONDS]
"""

import socket
import subprocess
import sys
import threading
import time


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def reader(port, counts, index, stop):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"GET /api/stream HTTP/1.1\r\nHost: m\r\n\r\n")
    s.settimeout(0.5)
    while not stop.is_set():
        try:
            data = s.recv(65536)
        except socket.timeout:
            continue
        if not data:
            break
        counts[index] += data.count(b"event: reading")
    s.close()


def main():
    cli, folder = sys.argv[1], sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 10
    port = free_port()
    service = subprocess.Popen([cli, f"--program-dir={folder}", "run", "--http", f"127.0.0.1:{port}"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(500):
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                break
            except OSError:
                time.sleep(0.02)
        time.sleep(2)
        before = resident_kib(service.pid)
        stop = threading.Event()
        counts = [0] * 50
        threads = [threading.Thread(target=reader, args=(port, counts, i, stop)) for i in range(50)]
        for t in threads:
            t.start()
        time.sleep(seconds)
        after = resident_kib(service.pid)
        stop.set()
        for t in threads:
            t.join()
        print(f"service RSS before {before} KiB, with 50 stream clients {after} KiB, added {after - before} KiB; "
              f"events received {sum(counts)} ({min(counts)}..{max(counts)} per client)")
    finally:
        service.terminate()
        service.wait()


if __name__ == "__main__":
    main()
