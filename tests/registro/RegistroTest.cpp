// The files beside the settings that need no server: the support log (bound, rotation,
// escaping), the history file's rules, and the texts a send is told with.
#include "registro/HistorialEnvios.h"
#include "consola/ProgresoConsola.h"
#include "registro/RegistroSoporte.h"
#include "registro/ResumenEnvio.h"
#include "servicelib/TextoImprimible.h"
#include "support/SistemaPequeno.h"
#include "sync/clsProcedimenti.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

QByteArray lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(RegistroSoporte, RotatesAtItsBoundAndALongRunCannotGrowItWithoutLimit) {
    QTemporaryDir dir;
    const QString ruta = RegistroSoporte::RutaJunto(dir.filePath(QStringLiteral("moravi.ini")));
    EXPECT_EQ(ruta, QDir::toNativeSeparators(dir.filePath(QStringLiteral("moravi.log")))) << "as the user writes it";
    const qint64 limite = 2048;
    const RegistroSoporte registro(ruta, limite);
    int rotaciones = 0;
    qint64 antes = 0;
    for (int i = 0; i < 600; ++i) {
        registro.Escribe(QStringLiteral("envío"), QStringLiteral("línea %1 ").arg(i) + QString(40, QLatin1Char('x')));
        const qint64 ahora = QFileInfo(ruta).size();
        ASSERT_LE(ahora, limite) << "line " << i;
        ASSERT_LE(QFileInfo(ruta + QStringLiteral(".1")).size(), limite);
        if (ahora < antes) ++rotaciones;
        antes = ahora;
    }
    EXPECT_GT(rotaciones, 10);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "moravi.log and moravi.log.1, nothing else";
    // The newest line is last in the current file, the lines just before it in the rotated one.
    const QList<QByteArray> actual = lee(ruta).trimmed().split('\n');
    EXPECT_TRUE(actual.last().endsWith(QStringLiteral("envío: línea 599 ").toUtf8() + QByteArray(40, 'x')));
    EXPECT_TRUE(QDateTime::fromString(QString::fromUtf8(actual.last().left(19)), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
    const QList<QByteArray> rotado = lee(ruta + QStringLiteral(".1")).trimmed().split('\n');
    const int primera = QString::fromUtf8(actual.first()).section(QStringLiteral("línea "), 1).section(QLatin1Char(' '), 0, 0).toInt();
    EXPECT_TRUE(rotado.last().contains(QStringLiteral("línea %1 ").arg(primera - 1).toUtf8()));
    // One line longer than the bound is cut, not allowed to break it.
    registro.Escribe(QStringLiteral("error"), QString(10000, QLatin1Char('y')));
    EXPECT_LE(QFileInfo(ruta).size(), limite);
}

// The log writes data as the terminal shows it: one escaper (its table is TextoImprimible's).
TEST(RegistroSoporte, ControlCharactersFromTheDataStayOnOneVisibleLine) {
    const QString datos[] = {QStringLiteral("Café Ñandú"), QStringLiteral("A\nB\r\tC"), QStringLiteral("\x1b[31mrojo"),
                             QString(QChar(0x7f)) + QChar(0x85) + QChar(0x202e) + QChar(0x2028)};
    QTemporaryDir dir;
    const RegistroSoporte registro(dir.filePath(QStringLiteral("m.log")));
    for (const QString& d : datos) registro.Escribe(QStringLiteral("aviso"), d);
    const QList<QByteArray> lineas = lee(registro.Ruta()).trimmed().split('\n');
    ASSERT_EQ(lineas.size(), std::size(datos));
    for (size_t i = 0; i < std::size(datos); ++i)
        EXPECT_TRUE(QString::fromUtf8(lineas[int(i)]).endsWith(QStringLiteral(" aviso: ") + TextoImprimible(datos[i])))
            << lineas[int(i)].toStdString();
}

// A full disk: the history written before stays byte for byte, and the reason is given.
TEST(HistorialEnvios, OnAFullDiskKeepsTheOldFileAndSaysWhy) {
    prueba::SistemaPequeno disco;
    SALTA_SIN_SISTEMA_PEQUENO(disco);
    const QString ruta = HistorialEnvios::RutaJunto(disco.ruta() + QStringLiteral("/moravi.ini"));
    ResultadoEnvio r;
    r.enviados = r.total = 3, r.fin = ResultadoEnvio::Fin::Completo;
    HistorialEnvios h(ruta);
    ASSERT_EQ(h.Agrega(EnvioRegistrado::De(r, QDateTime::currentDateTime(), 10, QString())), QString());
    const QByteArray antes = lee(ruta);
    ASSERT_FALSE(antes.isEmpty());

    disco.llena();
    const QString error = h.Agrega(EnvioRegistrado::De(r, QDateTime::currentDateTime(), 20, QString()));
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << error.toStdString();
    EXPECT_TRUE(error.contains(ruta)) << error.toStdString();
    EXPECT_EQ(lee(ruta), antes);
    EXPECT_EQ(QDir(disco.ruta()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary file is left";

    disco.libera();
    EXPECT_EQ(h.Agrega(EnvioRegistrado::De(r, QDateTime::currentDateTime(), 30, QString())), QString());
    HistorialEnvios leido(ruta);
    ASSERT_EQ(leido.Cargar(), QString());
    EXPECT_EQ(leido.Envios().size(), 2) << "the sends before the full disk are all there";
}

TEST(HistorialEnvios, KeepsTheNewestFiftyAndReadsOnlyWhatItWrote) {
    QTemporaryDir dir;
    const QString ruta = HistorialEnvios::RutaJunto(dir.filePath(QStringLiteral("moravi.ini")));
    EXPECT_EQ(ruta, QDir::toNativeSeparators(dir.filePath(QStringLiteral("moravi-historial.json"))));
    ResultadoEnvio r;
    r.enviados = 7, r.total = 9, r.nuevos = 2, r.cambiados = 11, r.fin = ResultadoEnvio::Fin::ConexionPerdida;
    const QDateTime fin(QDate(2026, 12, 8), QTime(11, 40, 2));
    HistorialEnvios h(ruta);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(h.Agrega(EnvioRegistrado::De(r, fin.addSecs(i), 1500 + i, QStringLiteral("motivo %1").arg(i) + QString(2000, QLatin1Char('z')))), QString());
    HistorialEnvios leido(ruta);
    ASSERT_EQ(leido.Cargar(), QString());
    ASSERT_EQ(leido.Envios().size(), 50);
    const EnvioRegistrado& e = leido.Envios().first();
    EXPECT_EQ(e.fin, fin.addSecs(59));
    EXPECT_EQ(leido.Envios().last().fin, fin.addSecs(10));
    EXPECT_EQ(e.duracionMs, 1559);
    EXPECT_EQ(e.resultado, QStringLiteral("conexion-perdida"));
    EXPECT_TRUE(e.fallido());
    EXPECT_EQ(e.mensaje.size(), HistorialEnvios::kMaximoMensaje);
    EXPECT_LT(QFileInfo(ruta).size(), HistorialEnvios::kMaximoBytes);
    EXPECT_EQ(ResumenEnvio::Linea(e), QStringLiteral("2026-12-08 11:41:01  1.6 s  productos 7 de 9  nuevos 2  cambiados 11  falló: motivo 59") +
                                          QString(HistorialEnvios::kMaximoMensaje - 9, QLatin1Char('z')));

    // Files that are not a history of ours are set aside whole, each with its message.
    const QByteArray malos[] = {"", "{}", "[1, 2]", "[{\"fin\": \"2026-12-08T11:40:02\"}]",
                                "[{\"fin\":\"2026-12-08T11:40:02\",\"duracion_ms\":1,\"enviados\":1,\"total\":1,"
                                "\"nuevos\":0,\"cambiados\":0,\"resultado\":\"quién sabe\",\"mensaje\":\"\"}]"};
    for (const QByteArray& malo : malos) {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(malo);
        f.close();
        HistorialEnvios otro(ruta);
        EXPECT_TRUE(otro.Cargar().contains(QStringLiteral("se apartó como"))) << malo.toStdString();
        EXPECT_TRUE(otro.Envios().isEmpty());
        EXPECT_EQ(lee(ruta + QStringLiteral(".danado")), malo);
        EXPECT_FALSE(QFile::exists(ruta));
    }
}

TEST(ResumenEnvio, DurationsResultsAndTheProgressLine) {
    const std::pair<qint64, const char*> duraciones[] = {
        {0, "0.0 s"}, {420, "0.4 s"}, {9949, "9.9 s"}, {12400, "12 s"}, {185000, "3 min 05 s"}, {3725000, "1 h 02 min"}};
    for (const auto& [ms, texto] : duraciones) EXPECT_EQ(ResumenEnvio::Duracion(ms), QString::fromUtf8(texto)) << ms;

    const std::pair<ResultadoEnvio::Fin, const char*> fines[] = {
        {ResultadoEnvio::Fin::Completo, "completo"},
        {ResultadoEnvio::Fin::Interrumpido, "interrumpido 16 de 120"},
        {ResultadoEnvio::Fin::OtroEnvio, "otro envío en curso, no se hizo"},
        {ResultadoEnvio::Fin::SinBaseDeDatos, "falló: por qué"},
        {ResultadoEnvio::Fin::Fallo, "falló: por qué"}};
    for (const auto& [fin, texto] : fines) {
        ResultadoEnvio r;
        r.fin = fin;
        r.enviados = 16;
        r.total = 120;
        const EnvioRegistrado e = EnvioRegistrado::De(r, QDateTime::currentDateTime(), 0, QStringLiteral("por qué"));
        EXPECT_EQ(ResumenEnvio::Resultado(e), QString::fromUtf8(texto));
        const QString tip = ResumenEnvio::TextoIcono(QStringLiteral("Moravi"), &e, QDateTime());
        EXPECT_TRUE(tip.endsWith(QStringLiteral(", ") + QString::fromUtf8(texto) +
                                 QStringLiteral("\nPróximo envío: sin envío automático")))
            << tip.toStdString();
    }

    // What a send noted is told whole, or counted where each warning has a line of its own (the log).
    ResultadoEnvio conAvisos;
    conAvisos.fin = ResultadoEnvio::Fin::Completo;
    conAvisos.avisos = QStringList{QStringLiteral("uno"), QStringLiteral("dos")};
    EnvioRegistrado e = EnvioRegistrado::De(conAvisos, QDateTime::currentDateTime(), 0, QString());
    EXPECT_EQ(ResumenEnvio::Resultado(e), QStringLiteral("completo, con avisos: uno; dos"));
    EXPECT_EQ(ResumenEnvio::Resultado(e, ResumenEnvio::Avisos::Contados), QStringLiteral("completo, con 2 avisos"));
    conAvisos.fin = ResultadoEnvio::Fin::SinBaseDeDatos;
    conAvisos.avisos.removeLast();
    e = EnvioRegistrado::De(conAvisos, QDateTime::currentDateTime(), 0, QStringLiteral("no se abrió"));
    EXPECT_EQ(ResumenEnvio::Resultado(e), QStringLiteral("falló: no se abrió, con avisos: uno"));
    EXPECT_EQ(ResumenEnvio::Resultado(e, ResumenEnvio::Avisos::Contados), QStringLiteral("falló: no se abrió, con 1 aviso"));

    EXPECT_EQ(ProgresoConsola::Linea(0, 100, 0), QStringLiteral("Productos 0 de 100"));
    EXPECT_EQ(ProgresoConsola::Linea(40, 100, 2000), QStringLiteral("Productos 40 de 100, 20.0 productos/s, faltan 3.0 s"));
    EXPECT_EQ(ProgresoConsola::Linea(100, 100, 4000), QStringLiteral("Productos 100 de 100, 25.0 productos/s"));
    // In place: each update goes back to the line's start and covers the longer line before it.
    QString salida;
    QTextStream s(&salida);
    ProgresoConsola p(s);
    p.Muestra(5, 10);
    const qsizetype ancho = salida.size() - 1;
    p.Muestra(10, 10);
    p.Termina();
    const QStringList partes = salida.split(QLatin1Char('\r'));
    ASSERT_EQ(partes.size(), 3);
    EXPECT_GE(partes[2].size(), ancho + 1) << "padded to the longer line, then one line end";
    EXPECT_TRUE(partes[2].startsWith(QStringLiteral("Productos 10 de 10")));
    EXPECT_TRUE(salida.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(salida.count(QLatin1Char('\n')), 1);
}

}
