#!/usr/bin/env python3
"""A loopback FTP server whose every reply comes DELAY seconds late, as from a
distant server (loopback itself has none).

    serveur_lent.py ROOT DELAY

pyftpdlib with one thread per connection, so that a delay holds up its own
connection only; anonymous login with write access to ROOT. Prints "port=N"
as its first line, then serves until killed.
"""

import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer


def main(root, delay):
    class Lent(FTPHandler):
        def respond(self, resp, logfun=None):
            time.sleep(delay)
            if logfun is None:
                super().respond(resp)
            else:
                super().respond(resp, logfun)

    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root, perm="elradfmwMT")
    Lent.authorizer = authorizer
    Lent.banner = "220 slow server ready"
    server = ThreadedFTPServer(("127.0.0.1", 0), Lent)
    server.max_cons = 64
    sys.stdout.write("port=%d\n" % server.address[1])
    sys.stdout.flush()
    server.serve_forever()


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.WARNING)
    main(sys.argv[1], float(sys.argv[2]))
