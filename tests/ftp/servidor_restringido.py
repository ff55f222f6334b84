#!/usr/bin/python3
"""An FTP server for one test that misbehaves in one chosen way. --sin lacks one way of opening
data connections, to show which way the client uses: --sin pasivo refuses PASV/EPSV, --sin activo
refuses PORT/EPRT. --linea-sin-fin answers every LIST with one listing line that never ends.
User tuser/tpass. Connects to 127.0.0.1:<--aviso>, sends its port there as one line, and ends
when that connection closes."""
import argparse
import itertools
import os
import socket
import threading
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import BufferedIteratorProducer, FTPHandler
from pyftpdlib.servers import FTPServer

p = argparse.ArgumentParser()
p.add_argument("--raiz", required=True)
p.add_argument("--aviso", type=int, required=True)
p.add_argument("--sin", choices=["pasivo", "activo"])
p.add_argument("--linea-sin-fin", action="store_true")
a = p.parse_args()

quitar = {"pasivo": ("PASV", "EPSV"), "activo": ("PORT", "EPRT"), None: ()}[a.sin]


class Manejador(FTPHandler):
    proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in quitar}

    def ftp_LIST(self, path):
        if not a.linea_sin_fin:
            return super().ftp_LIST(path)
        # An entry whose name goes on for as long as the client keeps reading.
        linea = itertools.chain([b"-rw-r--r-- 1 u g 5 Dec 08 05:31 "], itertools.repeat(b"x" * 8192))
        self.push_dtp_data(BufferedIteratorProducer(linea), isproducer=True, cmd="LIST")
        return path


auth = DummyAuthorizer()
auth.add_user("tuser", "tpass", a.raiz, perm="elradfmwMT")
Manejador.authorizer = auth
Manejador.auth_failed_timeout = 0
servidor = FTPServer(("127.0.0.1", 0), Manejador)
aviso = socket.create_connection(("127.0.0.1", a.aviso))
aviso.sendall(b"%d\n" % servidor.address[1])


def hasta_que_cierre():
    while aviso.recv(64):
        pass
    os._exit(0)


threading.Thread(target=hasta_que_cierre, daemon=True).start()
servidor.serve_forever()
