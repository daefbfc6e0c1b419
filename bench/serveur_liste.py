#!/usr/bin/env python3
"""A loopback FTP server that serves one big folder listing as fast as the
loopback allows, so that a listing benchmark measures the client, not the
server's file system walk.

    serveur_liste.py ENTRIES [NAME_LENGTH]

Anonymous login; every folder holds the same ENTRIES files ("f" padded with
digits to NAME_LENGTH characters, default 15, "file-000000.txt" style). The
listing is built once in memory in Unix "ls -l" form (also for "LIST -a") and
sent with one sendall per data connection; NLST and MLSD are refused, so
clients fall back to LIST as they would with an older server. Prints
"port=N" on its first line, serves until killed.
"""

import socket
import sys
import threading


def build_listing(count, length):
    width = max(6, length - len("file-.txt"))
    lines = []
    for i in range(count):
        name = "file-%0*d.txt" % (width, i)
        lines.append("-rw-r--r--    1 ftp      ftp             0 Jan 01 00:00 %s\r\n" % name)
    return "".join(lines).encode()


class Session(threading.Thread):
    def __init__(self, conn, listing):
        super().__init__(daemon=True)
        self.conn = conn
        self.listing = listing
        self.pasv = None
        self.cwd = "/"

    def reply(self, text):
        self.conn.sendall(text.encode() + b"\r\n")

    def passive(self):
        if self.pasv:
            self.pasv.close()
        self.pasv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.pasv.bind(("127.0.0.1", 0))
        self.pasv.listen(1)
        self.pasv.settimeout(10)
        return self.pasv.getsockname()[1]

    def send_listing(self):
        if not self.pasv:
            self.reply("425 Use PASV or EPSV first.")
            return
        self.reply("150 Here comes the directory listing.")
        try:
            data, _ = self.pasv.accept()
            data.sendall(self.listing)
            data.close()
        except OSError:
            pass
        self.pasv.close()
        self.pasv = None
        self.reply("226 Directory send OK.")

    def run(self):
        try:
            self.serve()
        except OSError:
            pass
        finally:
            self.conn.close()

    def serve(self):
        self.reply("220 Listing bench server.")
        reader = self.conn.makefile("rb")
        for raw in reader:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            cmd, _, arg = line.partition(" ")
            cmd = cmd.upper()
            if cmd == "USER":
                self.reply("331 Any password.")
            elif cmd == "PASS":
                self.reply("230 Login successful.")
            elif cmd == "FEAT":
                self.conn.sendall(b"211-Features:\r\n EPSV\r\n PASV\r\n SIZE\r\n UTF8\r\n211 End\r\n")
            elif cmd in ("TYPE", "OPTS", "MODE", "STRU", "NOOP"):
                self.reply("200 Ok.")
            elif cmd == "SYST":
                self.reply("215 UNIX Type: L8")
            elif cmd == "PWD":
                self.reply('257 "%s" is the current directory' % self.cwd)
            elif cmd == "CWD":
                self.cwd = arg if arg.startswith("/") else self.cwd.rstrip("/") + "/" + arg
                self.reply("250 Directory successfully changed.")
            elif cmd == "EPSV":
                self.reply("229 Entering Extended Passive Mode (|||%d|)" % self.passive())
            elif cmd == "PASV":
                port = self.passive()
                self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))
            elif cmd == "LIST":
                self.send_listing()
            elif cmd == "QUIT":
                self.reply("221 Goodbye.")
                return
            else:
                self.reply("502 Command not implemented.")


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    listing = build_listing(int(argv[1]), int(argv[2]) if len(argv) == 3 else 15)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    sys.stdout.write("port=%d\n" % listener.getsockname()[1])
    sys.stdout.flush()
    while True:
        conn, _ = listener.accept()
        Session(conn, listing).start()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
