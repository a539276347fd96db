"""An FTP server on 127.0.0.1 for the upload tests (pyftpdlib).

Prints the port it listens on, then serves until killed.
  ftp_server.py ROOT [--user U --password P]
"""
import argparse
import logging
import warnings
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

parser = argparse.ArgumentParser()
parser.add_argument("root")
parser.add_argument("--user")
parser.add_argument("--password")
args = parser.parse_args()
warnings.simplefilter("ignore")
logging.basicConfig(level=logging.WARNING)

authorizer = DummyAuthorizer()
if args.user:
    authorizer.add_user(args.user, args.password or "", args.root, perm="elradfmw")
else:
    authorizer.add_anonymous(args.root, perm="elradfmw")


class Handler(FTPHandler):
    pass


Handler.authorizer = authorizer
Handler.banner = "test server ready"
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.address[1], flush=True)
sys.stdout.close()
server.serve_forever(handle_exit=True)
