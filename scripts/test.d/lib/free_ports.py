"""Prints COUNT (default 2) TCP ports on 127.0.0.1 that are free now, on one
line, separated by spaces.

Usage: free_ports.py [COUNT]
"""
import socket
import sys

count = int(sys.argv[1]) if len(sys.argv) > 1 else 2
sockets = [socket.socket() for _ in range(count)]
for s in sockets:
    s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in sockets])
