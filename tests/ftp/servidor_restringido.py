#!/usr/bin/python3
"""An FTP server for one test that lacks one way of opening data connections, to show which way
the client uses: --sin pasivo refuses PASV/EPSV, --sin activo refuses PORT/EPRT. User tuser/tpass.
Prints its port on the first line of standard output."""
import argparse
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

p = argparse.ArgumentParser()
p.add_argument("--raiz", required=True)
p.add_argument("--sin", choices=["pasivo", "activo"], required=True)
a = p.parse_args()

quitar = {"pasivo": ("PASV", "EPSV"), "activo": ("PORT", "EPRT")}[a.sin]


class Manejador(FTPHandler):
    proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in quitar}


auth = DummyAuthorizer()
auth.add_user("tuser", "tpass", a.raiz, perm="elradfmwMT")
Manejador.authorizer = auth
Manejador.auth_failed_timeout = 0
servidor = FTPServer(("127.0.0.1", 0), Manejador)
print(servidor.address[1], flush=True)
sys.stdout.close()
servidor.serve_forever()
