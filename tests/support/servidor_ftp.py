#!/usr/bin/python3
"""FTP server for the tests: user tuser/tpass may do everything under the root folder,
user lector/lector may only read. Wrong passwords are refused at once."""
import argparse
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

p = argparse.ArgumentParser()
p.add_argument("--puerto", type=int, required=True)
p.add_argument("--raiz", required=True)
a = p.parse_args()

auth = DummyAuthorizer()
auth.add_user("tuser", "tpass", a.raiz, perm="elradfmwMT")
auth.add_user("lector", "lector", a.raiz, perm="elr")
FTPHandler.authorizer = auth
FTPHandler.auth_failed_timeout = 0
FTPServer(("127.0.0.1", a.puerto), FTPHandler).serve_forever()
