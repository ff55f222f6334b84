// The seams where the program meets Windows or Linux, on whichever this build is for (the
// Windows build runs them under Wine): the autostart entry and the whole-file replacement, with
// the folders a shop's computer really has (spaces, accents).
#include "platform/Autoarranque.h"
#include "servicelib/EscrituraSegura.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no se pudo leer)");
}

// A user's folder like the shop owner's, with a space and accents in every part.
QString carpetaConAcentos(const QTemporaryDir& base) {
    const QString carpeta = base.path() + QStringLiteral("/José Núñez/Mis programas/Moravi sync");
    QDir().mkpath(carpeta);
    return carpeta;
}

TEST(Autoarranque, TheEntryHoldsTheQuotedPathAndIsRewrittenOnlyWhenTheProgramMoved) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));  // Linux: the desktop entry's folder
    const QString nombre = QStringLiteral("moravi-prueba-%1").arg(QCoreApplication::applicationPid());
    struct Paso {
        const char* que;
        QString programa;
        bool escribe;
    };
    const Paso pasos[] = {
        {"first start", QStringLiteral("C:/Users/José Núñez/Moravi/moravi.exe"), true},
        {"second start from the same folder", QStringLiteral("C:/Users/José Núñez/Moravi/moravi.exe"), false},
        {"moved to another folder", QStringLiteral("D:/Programas de la tienda/Moravi/moravi.exe"), true},
        {"started again there", QStringLiteral("D:/Programas de la tienda/Moravi/moravi.exe"), false},
    };
    for (const Paso& p : pasos) {
        SCOPED_TRACE(p.que);
        EXPECT_EQ(Autoarranque::Registra(nombre, p.programa), p.escribe);
        const QString orden = Autoarranque::Actual(nombre);
        EXPECT_EQ(orden, Autoarranque::Orden(p.programa));
        // Quoted whole: a folder with spaces is one program, not a program and its arguments.
        EXPECT_TRUE(orden.startsWith(QLatin1Char('"')) && orden.endsWith(QLatin1Char('"'))) << orden.toStdString();
        EXPECT_TRUE(orden.contains(QStringLiteral("Núñez")) || orden.contains(QStringLiteral("tienda"))) << orden.toStdString();
    }
    Autoarranque::Quita(nombre);
    EXPECT_EQ(Autoarranque::Actual(nombre), QString());
}

// Each replacement leaves either the new content or, with a message naming the file, the old
// one byte for byte; never a mix, never a temporary file beside it. A reader holding the file
// open is what a shop's antivirus or editor does: Windows may refuse the replacement then.
TEST(EscrituraSegura, AFileInAFolderWithAccentsIsReplacedWholeOrKeptWithTheReason) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString ruta = carpetaConAcentos(base) + QStringLiteral("/moravi.ini");
    const QByteArray versiones[] = {"[Configuración]\r\nClave=uno\r\n", "[Configuración]\r\nClave=dos, más larga\r\n",
                                    "[Configuración]\r\nClave=3\r\n"};
    QByteArray esperado;
    for (const QByteArray& v : versiones) {
        for (const bool abiertoPorOtro : {false, true}) {
            SCOPED_TRACE(std::string(v.constData()) + (abiertoPorOtro ? " (held open)" : ""));
            QFile lector(ruta);
            if (abiertoPorOtro) {
                ASSERT_TRUE(lector.open(QIODevice::ReadOnly));
            }
            const QString error = EscrituraSegura::reemplaza(ruta, v, EscrituraSegura::Permisos::SoloDueno);
            lector.close();
            if (error.isEmpty()) {
                esperado = v;
            } else {
                EXPECT_TRUE(error.contains(QStringLiteral("Núñez"))) << error.toStdString();  // names the file in full
            }
            EXPECT_EQ(contenido(ruta), esperado);
            EXPECT_EQ(QDir(QFileInfo(ruta).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                      QStringList{QStringLiteral("moravi.ini")});
        }
    }
    EXPECT_EQ(esperado, versiones[2]);  // without a reader every replacement goes through
}

}
