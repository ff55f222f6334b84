// Writes the program's icon (app/Icono.cpp, the one the window and the tray show) as PNG files
// of 16 to 64 pixels (the sizes it is drawn in), for instalador/hacer-icono to pack into src/app/moravi.ico.
#include "app/Icono.h"

#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s CARPETA\n", argv[0]);
        return 2;
    }
    const QIcon icono = IconoPrograma();
    for (int lado : {16, 24, 32, 48, 64}) {
        const QString ruta = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/%1.png").arg(lado);
        if (!icono.pixmap(lado, lado).scaled(lado, lado, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(ruta)) {
            std::fprintf(stderr, "no se pudo escribir %s\n", qPrintable(ruta));
            return 1;
        }
    }
    return 0;
}
