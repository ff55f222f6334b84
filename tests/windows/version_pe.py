#!/usr/bin/python3
"""Prints the version in a Windows executable's VERSIONINFO resource (what Explorer shows in the
file's properties) as "fija x.y.z.w" (the fixed part) and "texto <ProductVersion>", or says that
there is none (exit 1)."""
import struct
import sys

datos = open(sys.argv[1], "rb").read()
# VS_FIXEDFILEINFO begins with its signature; the file version follows the struct version.
i = datos.find(struct.pack("<I", 0xFEEF04BD))
if i < 0:
    print(f"{sys.argv[1]}: sin recurso de versión (VERSIONINFO)")
    sys.exit(1)
ms, ls = struct.unpack_from("<II", datos, i + 8)
print(f"fija {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
# String values are UTF-16, padded to a 4-byte boundary after the key's terminating NUL.
clave = "ProductVersion\0".encode("utf-16-le")
j = datos.find(clave, i)
if j >= 0:
    k = j + len(clave)
    k += (4 - (k - i) % 4) % 4
    fin = datos.find(b"\0\0", k)
    while fin >= 0 and (fin - k) % 2:
        fin = datos.find(b"\0\0", fin + 1)
    print("texto " + datos[k:fin].decode("utf-16-le"))
