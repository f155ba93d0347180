"""An FTP server on 127.0.0.1 for the transfer tests.

Prints "port N" once it listens, serves ROOT to user "velmo" with the password given in
VELMO_TEST_FTP_PASSWORD, and stops when its standard input closes.
"""
import argparse
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user("velmo", os.environ.get("VELMO_TEST_FTP_PASSWORD", "secret"),
                        args.root, perm="elradfmwMT")
    # A user who may look but not write, for the tests of a folder that cannot be written.
    authorizer.add_user("reader", os.environ.get("VELMO_TEST_FTP_PASSWORD", "secret"),
                        args.root, perm="elr")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons = 64
    print("port", server.socket.getsockname()[1], flush=True)

    def stop_on_eof():
        sys.stdin.read()
        server.close_all()

    threading.Thread(target=stop_on_eof, daemon=True).start()
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    except (OSError, ValueError):
        pass


if __name__ == "__main__":
    main()
