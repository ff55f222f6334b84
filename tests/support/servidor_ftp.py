#!/usr/bin/python3
"""FTP server for the tests: user tuser/tpass may do everything under the root folder,
user lector/lector may only read. Wrong passwords are refused at once.

With --certificado and --clave it also offers explicit TLS (AUTH TLS, "ftpes"); user
cifrado/cpass may then do everything, but only over an encrypted control connection and
encrypted data connections."""
import argparse
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

p = argparse.ArgumentParser()
p.add_argument("--puerto", type=int, required=True)
p.add_argument("--raiz", required=True)
p.add_argument("--certificado")
p.add_argument("--clave")
a = p.parse_args()

auth = DummyAuthorizer()
auth.add_user("tuser", "tpass", a.raiz, perm="elradfmwMT")
auth.add_user("lector", "lector", a.raiz, perm="elr")
Manejador = FTPHandler
if a.certificado:
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

    auth.add_user("cifrado", "cpass", a.raiz, perm="elradfmwMT")

    from OpenSSL import SSL

    # A session id context lets a client resume the control connection's TLS session on the
    # data connections, as libcurl does (and as servers that demand it expect).
    contexto = SSL.Context(SSL.TLS_METHOD)
    contexto.use_certificate_chain_file(a.certificado)
    contexto.use_privatekey_file(a.clave)
    contexto.set_session_id(b"moravi-pruebas")

    class DatosTLS(TLS_DTPHandler):
        # libcurl starts a data connection's TLS handshake before it sends the transfer
        # command; pyftpdlib would take those early bytes for a closed connection.
        def readable(self):
            if not self.receive and not self._initialized:
                return self._ssl_accepting or self._ssl_want_read
            return TLS_DTPHandler.readable(self)

    class Manejador(TLS_FTPHandler):
        ssl_context = contexto
        dtp_handler = DatosTLS

        def process_command(self, cmd, *args, **kwargs):
            if cmd == "USER" and args and args[0] == "cifrado" and not self._ssl_established:
                self.respond("550 SSL/TLS required on the control channel.")
                return
            if cmd in ("PASV", "EPSV", "PORT", "EPRT") and self.username == "cifrado" and not self._prot:
                self.respond("550 SSL/TLS required on the data channel.")
                return
            TLS_FTPHandler.process_command(self, cmd, *args, **kwargs)

Manejador.authorizer = auth
Manejador.auth_failed_timeout = 0
FTPServer(("127.0.0.1", a.puerto), Manejador).serve_forever()
