// Remote listings into cDirList, the entries' flags and times.
#include "AyudaFTP.h"

#include "ftp/HoraListado.h"
#include "ftp/LineaListado.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <cmath>
#include <stdexcept>

namespace {
using Listado = PruebaFTP;

QStringList nombres(const cDirList& lista) {
    QStringList n;
    for (const cDirItem& e : lista) n << e.filename;
    return n;
}

// Days since 30 December 1899 in local time, worked out from the Unix epoch (day 25569).
double diasOle(const QDateTime& momento) {
    return 25569.0 + (momento.toMSecsSinceEpoch() + momento.toLocalTime().offsetFromUtc() * 1000.0) / 86400000.0;
}

void fijaHora(const QString& ruta, const QDateTime& hora) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(hora, QFileDevice::FileModificationTime));
}

TEST_F(Listado, TresEntradasEnElOrdenDelServidorConSusAtributos) {
    escribe(enServidor(QStringLiteral("c.txt")), contenido(100));
    QFile::setPermissions(enServidor(QStringLiteral("c.txt")), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(QDir(enServidor()).mkdir(QStringLiteral("B dir")));
    escribe(enServidor(QStringLiteral("a.png")), contenido(10));

    const auto lista = ftp_.GetDirectoryListing(remota() + QLatin1Char('/'));
    ASSERT_TRUE(lista) << ftp_.GetLastErrorMessage().toStdString();
    ASSERT_EQ(lista->Count(), 3);
    // The test server sends names sorted, whatever order they were made in.
    EXPECT_EQ(nombres(*lista), (QStringList{QStringLiteral("B dir"), QStringLiteral("a.png"), QStringLiteral("c.txt")}));
    EXPECT_EQ(lista->Item(1).filename, QStringLiteral("B dir"));
    EXPECT_EQ(&lista->Item(QStringLiteral("A.PNG")), &lista->Item(2));
    EXPECT_EQ(ftp_.Directory(), lista);

    const cDirItem& carpeta = lista->Item(QStringLiteral("b DIR"));
    EXPECT_TRUE(carpeta.Directory);
    EXPECT_FALSE(carpeta.Normal || carpeta.ReadOnly || carpeta.Hidden || carpeta.System || carpeta.Archive);
    const cDirItem& png = lista->Item(QStringLiteral("a.png"));
    EXPECT_TRUE(png.Normal);
    EXPECT_FALSE(png.Directory || png.ReadOnly);
    EXPECT_EQ(png.FileSize, 10);
    const cDirItem& soloLectura = lista->Item(QStringLiteral("c.txt"));
    EXPECT_TRUE(soloLectura.ReadOnly);
    EXPECT_FALSE(soloLectura.Normal || soloLectura.Directory);
    EXPECT_EQ(soloLectura.FileSize, 100);
    EXPECT_THROW(lista->Item(4), std::out_of_range);
    EXPECT_THROW(lista->Item(QStringLiteral("d.txt")), std::out_of_range);

    // A later listing replaces the session's list, not the one a caller holds.
    const auto otra = ftp_.GetDirectoryListing(remota(QStringLiteral("*.png")));
    ASSERT_TRUE(otra);
    EXPECT_EQ(nombres(*otra), QStringList{QStringLiteral("a.png")});
    EXPECT_EQ(lista->Count(), 3);
    EXPECT_EQ(ftp_.Directory(), otra);
}

TEST_F(Listado, SinCoincidenciasNoDevuelveNadaNiRegistraPeroUnaCarpetaAusenteSi) {
    escribe(enServidor(QStringLiteral("a.txt")), "a");
    ASSERT_TRUE(QDir(enServidor()).mkdir(QStringLiteral("vacia")));
    EXPECT_FALSE(ftp_.DeleteFTPFile(remota(QStringLiteral("falta"))));
    const QString anterior = ftp_.GetLastErrorMessage();

    EXPECT_EQ(ftp_.GetDirectoryListing(remota(QStringLiteral("*.zzz"))), nullptr);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);
    EXPECT_EQ(ftp_.Directory()->Count(), 0);
    EXPECT_EQ(ftp_.GetDirectoryListing(remota(QStringLiteral("vacia/"))), nullptr);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);

    EXPECT_EQ(ftp_.GetDirectoryListing(remota(QStringLiteral("no-existe/"))), nullptr);
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
}

TEST_F(Listado, ElFiltroNombraCarpetaYPatron) {
    for (const char* n : {"a1.txt", "a2.txt", "ab.txt", "foto.png", "x.PNG"}) escribe(enServidor(QLatin1String(n)), n);
    ASSERT_TRUE(QDir(enServidor()).mkpath(QStringLiteral("sub/dentro")));
    escribe(enServidor(QStringLiteral("sub/s.txt")), "s");

    auto lista = ftp_.GetDirectoryListing(remota(QStringLiteral("a?.txt")));
    ASSERT_TRUE(lista);
    EXPECT_EQ(nombres(*lista), (QStringList{QStringLiteral("a1.txt"), QStringLiteral("a2.txt"), QStringLiteral("ab.txt")}));
    lista = ftp_.GetDirectoryListing(remota(QStringLiteral("a[12].txt")));
    ASSERT_TRUE(lista);
    EXPECT_EQ(lista->Count(), 2);
    lista = ftp_.GetDirectoryListing(remota(QStringLiteral("*.png")));  // case counts, as on the server's disk
    ASSERT_TRUE(lista);
    EXPECT_EQ(nombres(*lista), QStringList{QStringLiteral("foto.png")});

    ASSERT_TRUE(ftp_.SetFTPDirectory(remota()));
    lista = ftp_.GetDirectoryListing(QString());
    ASSERT_TRUE(lista);
    EXPECT_EQ(lista->Count(), 6);
    lista = ftp_.GetDirectoryListing(QStringLiteral("sub/"));
    ASSERT_TRUE(lista);
    EXPECT_EQ(nombres(*lista), (QStringList{QStringLiteral("dentro"), QStringLiteral("s.txt")}));
    lista = ftp_.GetDirectoryListing(QStringLiteral("sub"));  // a folder's name: what is in it, as LIST gives
    ASSERT_TRUE(lista);
    EXPECT_EQ(nombres(*lista), (QStringList{QStringLiteral("dentro"), QStringLiteral("s.txt")}));
    lista = ftp_.GetDirectoryListing(QStringLiteral("sub/s.txt"));  // a file's name: that entry
    ASSERT_TRUE(lista);
    ASSERT_EQ(lista->Count(), 1);
    EXPECT_FALSE(lista->Item(1).Directory);
    EXPECT_EQ(lista->Item(1).FileSize, 1);
    ASSERT_TRUE(ftp_.SetFTPDirectory(QStringLiteral("sub")));
    lista = ftp_.GetDirectoryListing(QStringLiteral(".."));
    ASSERT_TRUE(lista);
    EXPECT_EQ(lista->Count(), 6);
}

TEST_F(Listado, NombresQueSoloDifierenEnMayusculasSeGuardanAmbos) {
    escribe(enServidor(QStringLiteral("Foto.png")), "1");
    escribe(enServidor(QStringLiteral("foto.png")), "22");
    const auto lista = ftp_.GetDirectoryListing(remota(QStringLiteral("*")));
    ASSERT_TRUE(lista);
    ASSERT_EQ(lista->Count(), 2);
    EXPECT_EQ(lista->Item(2).filename, QStringLiteral("foto.png"));
    EXPECT_EQ(lista->Item(QStringLiteral("FOTO.PNG")).filename, QStringLiteral("Foto.png"));  // the first one
}

TEST_F(Listado, HorasEnDiasLocalesDesde1899) {
    escribe(enServidor(QStringLiteral("viejo.txt")), "v");
    fijaHora(enServidor(QStringLiteral("viejo.txt")), QDateTime(QDate(2020, 3, 4), QTime(10, 0), QTimeZone::utc()));
    // Recent entries are listed without a year; this one is 40 days old, to the minute.
    QDateTime reciente = QDateTime::currentDateTimeUtc().addDays(-40);
    reciente.setTime(QTime(reciente.time().hour(), reciente.time().minute()));
    escribe(enServidor(QStringLiteral("reciente.txt")), "r");
    fijaHora(enServidor(QStringLiteral("reciente.txt")), reciente);

    const auto lista = ftp_.GetDirectoryListing(remota(QStringLiteral("*.txt")));
    ASSERT_TRUE(lista);
    const cDirItem& viejo = lista->Item(QStringLiteral("viejo.txt"));
    // Old entries give only the day (2020-03-04 is day 43894), at midnight UTC.
    const QDateTime medianoche(QDate(2020, 3, 4), QTime(0, 0), QTimeZone::utc());
    EXPECT_NEAR(viejo.LastWriteTime, 43894.0 + medianoche.toLocalTime().offsetFromUtc() / 86400.0, 1e-6);
    EXPECT_NEAR(viejo.LastWriteTime, diasOle(medianoche), 1e-6);
    const cDirItem& nuevo = lista->Item(QStringLiteral("reciente.txt"));
    EXPECT_NEAR(nuevo.LastWriteTime, diasOle(reciente), 1e-6);
    EXPECT_EQ(nuevo.CreationTime, nuevo.LastWriteTime);
    EXPECT_EQ(nuevo.LastAccessTime, nuevo.LastWriteTime);
}

TEST(HoraListado, DeduceElAnioYLeeLasFormasDeLosServidores) {
    const QDateTime enero(QDate(2027, 1, 10), QTime(12, 0), QTimeZone::utc());
    const auto utc = [](int a, int m, int d, int h, int min) { return QDateTime(QDate(a, m, d), QTime(h, min), QTimeZone::utc()); };
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("Dec 28 10:00"), enero), utc(2026, 12, 28, 10, 0));
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("Jan 09 23:59"), enero), utc(2027, 1, 9, 23, 59));
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("Jan 11 08:00"), enero), utc(2027, 1, 11, 8, 0));  // clocks differ a little
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("jun  5 08:00"), enero), utc(2026, 6, 5, 8, 0));
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("Feb 29 10:00"), enero), QDateTime());  // no such day in 2026 or 2027
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("Mar 04  2020"), enero), utc(2020, 3, 4, 0, 0));
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("03-04-20  10:31PM"), enero), utc(2020, 3, 4, 22, 31));
    EXPECT_EQ(HoraListado::interpreta(QStringLiteral("12-31-99  12:05AM"), enero), utc(1999, 12, 31, 0, 5));
    for (const char* malo : {"", "Xyz 01 10:00", "Dec 32 10:00", "13-01-20  10:00AM", "ayer"})
        EXPECT_FALSE(HoraListado::interpreta(QLatin1String(malo), enero).isValid()) << malo;
}

TEST(LineaListado, LeeLasFormasUnixYDosDeLosServidores) {
    const auto lee = [](const char* linea) { return LineaListado::interpreta(QLatin1String(linea)); };
    auto e = lee("-rw-r--r--   1 root     root         1234 Dec 08 05:31 con  dos espacios.txt\r\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->nombre, QStringLiteral("con  dos espacios.txt"));
    EXPECT_EQ(e->tamano, 1234);
    EXPECT_EQ(e->hora, QStringLiteral("Dec 08 05:31"));
    EXPECT_FALSE(e->carpeta || e->soloLectura);
    e = lee("dr-xr-xr-x+ 3 1000 1000 4096 Mar 04  2020 fotos 2020");  // ACL mark, numeric owner
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->carpeta && e->soloLectura);
    EXPECT_EQ(e->nombre, QStringLiteral("fotos 2020"));
    EXPECT_EQ(e->hora, QStringLiteral("Mar 04  2020"));
    e = lee("-r--r--r-- 1 ftp 77 Jan  5 23:59 sin-grupo");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->tamano, 77);
    EXPECT_EQ(e->nombre, QStringLiteral("sin-grupo"));
    e = lee("lrwxrwxrwx 1 u g 9 Jun 30 10:00 enlace -> destino");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->nombre, QStringLiteral("enlace"));
    e = lee("03-04-20  10:31PM       <DIR>          Nueva carpeta");
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->carpeta);
    EXPECT_EQ(e->nombre, QStringLiteral("Nueva carpeta"));
    EXPECT_EQ(e->hora, QStringLiteral("03-04-20  10:31PM"));
    e = lee("12-31-2019  09:05AM              5120 informe.pdf");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->tamano, 5120);
    EXPECT_FALSE(e->carpeta);
    for (const char* otra : {"total 12", "", "drwxr-xr-x 2 u g 4096 Dec 08 05:31 .", "drwxr-xr-x 2 u g 4096 Dec 08 05:31 ..",
                             "hola mundo"})
        EXPECT_FALSE(lee(otra)) << otra;
}

TEST(ListaDeEntradas, AtributosPosicionesNombresYVaciado) {
    cDirList lista;
    cDirItem& carpeta = lista.Add(0x10, 1.5, 2.5, 3.5, 4096, QStringLiteral("Carpeta"));
    EXPECT_TRUE(carpeta.Directory);
    EXPECT_FALSE(carpeta.ReadOnly || carpeta.Hidden || carpeta.System || carpeta.Archive || carpeta.Normal ||
                 carpeta.Temporary || carpeta.Compressed || carpeta.Offline);
    EXPECT_EQ(carpeta.CreationTime, 1.5);
    EXPECT_EQ(carpeta.LastAccessTime, 2.5);
    EXPECT_EQ(carpeta.LastWriteTime, 3.5);
    EXPECT_EQ(carpeta.FileSize, 4096);
    const cDirItem& archivo = lista.Add(0x21, 0, 0, 0, 7, QStringLiteral("leeme.txt"));
    EXPECT_TRUE(archivo.ReadOnly && archivo.Archive);
    EXPECT_FALSE(archivo.Hidden || archivo.System || archivo.Directory || archivo.Normal || archivo.Temporary ||
                 archivo.Compressed || archivo.Offline);
    const cDirItem& todos = lista.Add(0x19B7, 0, 0, 0, 0, QStringLiteral("todos"));
    EXPECT_TRUE(todos.ReadOnly && todos.Hidden && todos.System && todos.Directory && todos.Archive && todos.Normal &&
                todos.Temporary && todos.Compressed && todos.Offline);

    EXPECT_THROW(lista.Add(0, 0, 0, 0, 0, QStringLiteral("LEEME.TXT")), std::invalid_argument);
    EXPECT_EQ(lista.Count(), 3);
    EXPECT_EQ(&lista.Item(1), &carpeta);
    EXPECT_EQ(&lista.Item(QStringLiteral("carpeta")), &carpeta);
    EXPECT_THROW(lista.Item(0), std::out_of_range);
    EXPECT_THROW(lista.Item(4), std::out_of_range);

    lista.Clear();
    EXPECT_EQ(lista.Count(), 0);
    EXPECT_THROW(lista.Item(QStringLiteral("leeme.txt")), std::out_of_range);
    lista.Clear();
    EXPECT_EQ(lista.Count(), 0);
    lista.Add(0x80, 0, 0, 0, 0, QStringLiteral("leeme.txt"));  // the name is free again
    EXPECT_EQ(nombres(lista), QStringList{QStringLiteral("leeme.txt")});
}

}
