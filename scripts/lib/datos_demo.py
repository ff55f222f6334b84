#!/usr/bin/python3
"""Writes the SQL of a sample point-of-sale database: product lines, a few hundred products
with prices in several columns, keys that are never sent (XFDD..., XFCT...), accented
descriptions and a key with a quote. Usage: datos_demo.py [number of products]"""
import random
import sys

n = int(sys.argv[1]) if len(sys.argv) > 1 else 300
rnd = random.Random(20261208)
lineas = [(1, "Abarrotes"), (2, "Bebidas"), (3, "Dulcería"), (4, "Lácteos"), (5, "Limpieza"), (6, "Papelería")]
nombres = {
    1: ["Arroz súper extra", "Frijol peruano", "Azúcar morena", "Aceite de cártamo", "Atún en agua", "Lentejas"],
    2: ["Café de Chiapas", "Agua mineral", "Jugo de piña", "Té de limón", "Refresco de toronja", "Horchata"],
    3: ["Piñata mediana", "Mazapán", "Cajeta de Celaya", "Paleta enchilada", "Chicle de menta", "Alegría"],
    4: ["Leche entera", "Queso Oaxaca", "Crema ácida", "Yogur de fresa", "Mantequilla", "Requesón"],
    5: ["Jabón de pasta", "Cloro", "Detergente en polvo", "Fibra verde", "Suavizante", "Escoba"],
    6: ["Cuaderno profesional", "Lápiz del 2", "Bolígrafo azul", "Pegamento", "Tijeras", "Cartulina"],
}
tamanos = ["250 g", "500 g", "1 kg", "1 L", "2 L", "chico", "grande", "pieza", "paquete"]


def q(s):
    return "'" + s.replace("\\", "\\\\").replace("'", "''") + "'"


def precio(base):
    return "%.2f" % base


print("INSERT INTO lineas (Id, Linea) VALUES " + ", ".join("(%d, %s)" % (i, q(l)) for i, l in lineas) + ";")
print("INSERT INTO configura (Dato, Valor) VALUES ('CarpetaImgProds', 'C:\\\\sartenal\\\\imagenes');")
filas = []
for i in range(1, n + 1):
    linea = rnd.choice(lineas)[0]
    desc = "%s %s" % (rnd.choice(nombres[linea]), rnd.choice(tamanos))
    base = rnd.randint(500, 25000) / 100.0
    existencia = rnd.choice([0, 0, -2, 0.5, 1, 3, 12, 24, 48, 7.25, 100])
    filas.append((("P%04d" % i), desc, base, existencia, linea))
# Keys the send leaves out, and one key with a quote in it.
filas += [("XFDD%02d" % i, "Descuento interno %d" % i, 0, 0, 1) for i in range(1, 4)]
filas += [("XFCT%02d" % i, "Cortesía %d" % i, 0, 0, 2) for i in range(1, 4)]
filas.append(("O'HIGGINS-1", "Galletas O'Higgins de nuez", 32.5, 9, 1))
valores = []
for clave, desc, base, ex, linea in filas:
    valores.append("(%s, %s, %s, %s, %s, %s, %s, %s, %d)" % (
        q(clave), q(desc), precio(base), precio(base * 0.95), precio(base * 0.9), precio(base * 1.1),
        precio(base * 1.2), "%.3f" % ex, linea))
for k in range(0, len(valores), 100):
    print("INSERT INTO productos (Clave, Descrip, Precio1, Precio2, Precio3, Precio4, Precio5, Existencia, Linea) VALUES")
    print(",\n".join(valores[k:k + 100]) + ";")
