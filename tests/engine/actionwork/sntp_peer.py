# A time server for the clock synchronisation tests: binds one loopback address at
# port 123 and answers every request in one chosen way (most of them malformed).
# Usage: sntp_peer.py address kind folder. It writes its process id to
# folder/run/server.pid once it listens, and the number of requests so far to
# folder/requests. It runs on the host, as Wine would bind any 127.x address as
# 0.0.0.0 and so keep other servers from port 123.
import os
import socket
import struct
import sys
import time

NTP_EPOCH = 2208988800  # seconds from 1900 to 1970


def timestamp(t):
    seconds = int(t)
    return struct.pack("!II", (seconds + NTP_EPOCH) & 0xFFFFFFFF, int((t - seconds) * 2**32) & 0xFFFFFFFF)


def write(path, text):
    with open(path + ".new", "w") as f:
        f.write(text)
    os.replace(path + ".new", path)


def answer(kind, request):
    first = 0x1B if kind == "client-mode" else 0x24  # version 4, mode 3 or 4
    originate = bytearray(request[40:48])
    if kind == "wrong-originate":
        originate[7] ^= 1
    now = timestamp(time.time())
    transmit = bytes(8) if kind == "zero-transmit" else now
    # Stratum 2, poll 6, precision -20, delay, dispersion, reference id and time zero.
    reply = struct.pack("!BBbb", first, 2, 6, -20) + bytes(20) + bytes(originate) + now + transmit
    return reply[:47] if kind == "short" else reply


def main():
    address, kind, folder = sys.argv[1:4]
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind((address, 123))
    requests = 0
    write(os.path.join(folder, "requests"), "0")
    write(os.path.join(folder, "run", "server.pid"), str(os.getpid()))
    while True:
        request, peer = server.recvfrom(68)
        if len(request) < 48:
            continue
        requests += 1
        write(os.path.join(folder, "requests"), str(requests))
        if kind != "silent":
            server.sendto(answer(kind, request), peer)


main()
