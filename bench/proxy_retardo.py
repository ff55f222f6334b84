#!/usr/bin/env python3
"""A TCP relay on 127.0.0.1 that delays every byte by half a round trip in each direction,
so a local MariaDB behaves like a hosted one far away. Bandwidth is not limited.

It also counts round trips: each time the client speaks after the server has answered (a
request that had to wait for a reply) counts one. The running total is written to the
statistics file, so a benchmark reads it before and after a run.

    proxy_retardo.py --puerto P --destino HOST:PORT --rtt MS --estadisticas FILE
"""
import argparse
import asyncio
import time


class Cuenta:
    def __init__(self, archivo):
        self.archivo = archivo
        self.idas = 0
        self.escribe()

    def escribe(self):
        with open(self.archivo + ".tmp", "w") as f:
            f.write(f"{self.idas}\n")
        import os
        os.replace(self.archivo + ".tmp", self.archivo)


async def tramo(lector, escritor, retardo, al_leer):
    """Copies one direction, each chunk leaving `retardo` seconds after it arrived."""
    cola = asyncio.Queue()

    async def entrega():
        while True:
            sale, datos = await cola.get()
            if datos is None:
                break
            espera = sale - time.monotonic()
            if espera > 0:
                await asyncio.sleep(espera)
            escritor.write(datos)
            await escritor.drain()
        escritor.close()

    tarea = asyncio.create_task(entrega())
    try:
        while True:
            datos = await lector.read(65536)
            if not datos:
                break
            al_leer()
            cola.put_nowait((time.monotonic() + retardo, datos))
    except (ConnectionError, OSError):
        pass
    cola.put_nowait((0, None))
    try:
        await tarea
    except (ConnectionError, OSError):
        pass


async def main():
    a = argparse.ArgumentParser()
    a.add_argument("--puerto", type=int, required=True)
    a.add_argument("--destino", required=True)
    a.add_argument("--rtt", type=float, required=True, help="milisegundos de ida y vuelta")
    a.add_argument("--estadisticas", required=True)
    o = a.parse_args()
    host, puerto = o.destino.rsplit(":", 1)
    medio = o.rtt / 2000.0
    cuenta = Cuenta(o.estadisticas)

    async def atiende(cl_lector, cl_escritor):
        try:
            sv_lector, sv_escritor = await asyncio.open_connection(host, int(puerto))
        except OSError:
            cl_escritor.close()
            return
        turno = {"servidor": True}  # the server speaks first (its greeting)

        def habla_cliente():
            if turno["servidor"]:
                cuenta.idas += 1
                cuenta.escribe()
            turno["servidor"] = False

        def habla_servidor():
            turno["servidor"] = True

        await asyncio.gather(tramo(cl_lector, sv_escritor, medio, habla_cliente),
                             tramo(sv_lector, cl_escritor, medio, habla_servidor))

    servidor = await asyncio.start_server(atiende, "127.0.0.1", o.puerto)
    async with servidor:
        await servidor.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
