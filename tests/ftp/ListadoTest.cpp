// Remote listings into cDirList, the entries' flags and times.
#include "AyudaFTP.h"

#include "ftp/CortaLineas.h"
#include "ftp/HoraListado.h"
#include "ftp/LineaListado.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <algorithm>
#include <stdexcept>

namespace {

QStringList nombres(const cDirList& lista) {
    QStringList n;
    for (const cDirItem& e : lista) n << e.filename;
    return n;
}

// The entry's flags that are set, by name, in their bit order.
QString banderas(const cDirItem& e) {
    QStringList b;
    for (const auto& [puesta, nombre] : {std::pair{e.ReadOnly, "ReadOnly"}, {e.Hidden, "Hidden"}, {e.System, "System"},
                                        {e.Directory, "Directory"}, {e.Archive, "Archive"}, {e.Normal, "Normal"},
                                        {e.Temporary, "Temporary"}, {e.Compressed, "Compressed"}, {e.Offline, "Offline"}})
        if (puesta) b << QLatin1String(nombre);
    return b.join(u' ');
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

class Listado : public PruebaFTP {
protected:
    // The names a listing gives, or "(none)" when it gives no list.
    QStringList listado(const QString& filtro) {
        const auto lista = ftp_.GetDirectoryListing(filtro);
        return lista ? nombres(*lista) : QStringList{u"(none)"_s};
    }
};

TEST_F(Listado, TresEntradasEnElOrdenDelServidorConSusAtributos) {
    escribe(enServidor(u"c.txt"_s), contenido(100));
    QFile::setPermissions(enServidor(u"c.txt"_s), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(QDir(enServidor()).mkdir(u"B dir"_s));
    escribe(enServidor(u"a.png"_s), contenido(10));

    const auto lista = ftp_.GetDirectoryListing(remota() + u'/');
    ASSERT_TRUE(lista) << ftp_.GetLastErrorMessage();
    ASSERT_EQ(lista->Count(), 3);
    // The test server sends names sorted, whatever order they were made in.
    EXPECT_EQ(nombres(*lista), (QStringList{u"B dir"_s, u"a.png"_s, u"c.txt"_s}));
    EXPECT_EQ(lista->Item(1).filename, u"B dir"_s);
    EXPECT_EQ(&lista->Item(u"A.PNG"_s), &lista->Item(2));
    EXPECT_EQ(ftp_.Directory(), lista);

    EXPECT_EQ(banderas(lista->Item(u"b DIR"_s)), u"Directory"_s);
    EXPECT_EQ(banderas(lista->Item(u"a.png"_s)), u"Normal"_s);
    EXPECT_EQ(banderas(lista->Item(u"c.txt"_s)), u"ReadOnly"_s);
    EXPECT_EQ(lista->Item(u"a.png"_s).FileSize, 10);
    EXPECT_EQ(lista->Item(u"c.txt"_s).FileSize, 100);
    EXPECT_THROW(lista->Item(4), std::out_of_range);
    EXPECT_THROW(lista->Item(u"d.txt"_s), std::out_of_range);

    // A later listing replaces the session's list, not the one a caller holds.
    const auto otra = ftp_.GetDirectoryListing(remota(u"*.png"_s));
    ASSERT_TRUE(otra);
    EXPECT_EQ(nombres(*otra), QStringList{u"a.png"_s});
    EXPECT_EQ(lista->Count(), 3);
    EXPECT_EQ(ftp_.Directory(), otra);
}

TEST_F(Listado, SinCoincidenciasNoDevuelveNadaNiRegistraPeroUnaCarpetaAusenteSi) {
    escribe(enServidor(u"a.txt"_s), "a");
    ASSERT_TRUE(QDir(enServidor()).mkdir(u"vacia"_s));
    const QString anterior = mensajePrevio();

    EXPECT_EQ(ftp_.GetDirectoryListing(remota(u"*.zzz"_s)), nullptr);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);
    EXPECT_EQ(ftp_.Directory()->Count(), 0);
    EXPECT_EQ(ftp_.GetDirectoryListing(remota(u"vacia/"_s)), nullptr);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);

    EXPECT_EQ(ftp_.GetDirectoryListing(remota(u"no-existe/"_s)), nullptr);
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
}

TEST_F(Listado, ElFiltroNombraCarpetaYPatron) {
    for (const char* n : {"a1.txt", "a2.txt", "ab.txt", "foto.png", "x.PNG"}) escribe(enServidor(QLatin1String(n)), n);
    ASSERT_TRUE(QDir(enServidor()).mkpath(u"sub/dentro"_s));
    escribe(enServidor(u"sub/s.txt"_s), "s");

    EXPECT_EQ(listado(remota(u"a?.txt"_s)), (QStringList{u"a1.txt"_s, u"a2.txt"_s, u"ab.txt"_s}));
    EXPECT_EQ(listado(remota(u"a[12].txt"_s)), (QStringList{u"a1.txt"_s, u"a2.txt"_s}));
    EXPECT_EQ(listado(remota(u"*.png"_s)), QStringList{u"foto.png"_s});  // case counts, as on the server's disk

    ASSERT_TRUE(ftp_.SetFTPDirectory(remota()));
    EXPECT_EQ(listado(QString()).size(), 6);
    const QStringList enSub{u"dentro"_s, u"s.txt"_s};
    EXPECT_EQ(listado(u"sub/"_s), enSub);
    EXPECT_EQ(listado(u"sub"_s), enSub);  // a folder's name: what is in it, as LIST gives
    EXPECT_EQ(listado(u"sub/s.txt"_s), QStringList{u"s.txt"_s});  // a file's name: that entry
    EXPECT_EQ(banderas(ftp_.Directory()->Item(1)), u"Normal"_s);
    EXPECT_EQ(ftp_.Directory()->Item(1).FileSize, 1);
    ASSERT_TRUE(ftp_.SetFTPDirectory(u"sub"_s));
    EXPECT_EQ(listado(u".."_s).size(), 6);
}

TEST_F(Listado, NombresQueSoloDifierenEnMayusculasSeGuardanAmbos) {
    escribe(enServidor(u"Foto.png"_s), "1");
    // The second name is made by the server: the test's own writes to the server's disk would
    // reach the first file where file names ignore case (Windows).
    escribe(local(u"segunda.png"_s), "22");
    ASSERT_TRUE(ftp_.SimpleFTPPutFile(local(u"segunda.png"_s), remota(u"foto.png"_s))) << ftp_.GetLastErrorMessage();
    EXPECT_EQ(listado(remota(u"*"_s)), (QStringList{u"Foto.png"_s, u"foto.png"_s}));
    EXPECT_EQ(ftp_.Directory()->Item(2).filename, u"foto.png"_s);
    EXPECT_EQ(ftp_.Directory()->Item(u"FOTO.PNG"_s).filename, u"Foto.png"_s);  // the first one
}

TEST_F(Listado, HorasEnDiasLocalesDesde1899) {
    escribe(enServidor(u"viejo.txt"_s), "v");
    fijaHora(enServidor(u"viejo.txt"_s), QDateTime(QDate(2020, 3, 4), QTime(10, 0), QTimeZone::utc()));
    // Recent entries are listed without a year; this one is 40 days old, to the minute.
    QDateTime reciente = QDateTime::currentDateTimeUtc().addDays(-40);
    reciente.setTime(QTime(reciente.time().hour(), reciente.time().minute()));
    escribe(enServidor(u"reciente.txt"_s), "r");
    fijaHora(enServidor(u"reciente.txt"_s), reciente);

    const auto lista = ftp_.GetDirectoryListing(remota(u"*.txt"_s));
    ASSERT_TRUE(lista);
    const cDirItem& viejo = lista->Item(u"viejo.txt"_s);
    // Old entries give only the day (2020-03-04 is day 43894), at midnight UTC.
    const QDateTime medianoche(QDate(2020, 3, 4), QTime(0, 0), QTimeZone::utc());
    EXPECT_NEAR(viejo.LastWriteTime, 43894.0 + medianoche.toLocalTime().offsetFromUtc() / 86400.0, 1e-6);
    EXPECT_NEAR(viejo.LastWriteTime, diasOle(medianoche), 1e-6);
    const cDirItem& nuevo = lista->Item(u"reciente.txt"_s);
    EXPECT_NEAR(nuevo.LastWriteTime, diasOle(reciente), 1e-6);
    EXPECT_EQ(nuevo.CreationTime, nuevo.LastWriteTime);
    EXPECT_EQ(nuevo.LastAccessTime, nuevo.LastWriteTime);
}

TEST(HoraListado, DeduceElAnioYLeeLasFormasDeLosServidores) {
    const QDateTime enero(QDate(2027, 1, 10), QTime(12, 0), QTimeZone::utc());
    const auto hora = [&](const char* texto) { return HoraListado::interpreta(QLatin1String(texto), enero); };
    const auto utc = [](int a, int m, int d, int h, int min) { return QDateTime(QDate(a, m, d), QTime(h, min), QTimeZone::utc()); };
    EXPECT_EQ(hora("Dec 28 10:00"), utc(2026, 12, 28, 10, 0));
    EXPECT_EQ(hora("Jan 09 23:59"), utc(2027, 1, 9, 23, 59));
    EXPECT_EQ(hora("Jan 11 08:00"), utc(2027, 1, 11, 8, 0));  // clocks differ a little
    EXPECT_EQ(hora("jun  5 08:00"), utc(2026, 6, 5, 8, 0));
    EXPECT_EQ(hora("Mar 04  2020"), utc(2020, 3, 4, 0, 0));
    EXPECT_EQ(hora("03-04-20  10:31PM"), utc(2020, 3, 4, 22, 31));
    EXPECT_EQ(hora("12-31-99  12:05AM"), utc(1999, 12, 31, 0, 5));
    // "Feb 29": no such day in 2026 or 2027.
    for (const char* malo : {"Feb 29 10:00", "", "Xyz 01 10:00", "Dec 32 10:00", "13-01-20  10:00AM", "ayer"})
        EXPECT_FALSE(hora(malo).isValid()) << malo;
}

TEST(LineaListado, LeeLasFormasUnixYDosDeLosServidores) {
    // Each entry as "name|size|time|" then d for a folder and r for read-only.
    const auto lee = [](const char* linea) {
        const auto e = LineaListado::interpreta(QLatin1String(linea));
        if (!e) return u"(none)"_s;
        return u"%1|%2|%3|%4%5"_s.arg(e->nombre).arg(e->tamano).arg(e->hora, e->carpeta ? u"d"_s : QString(),
                                                                      e->soloLectura ? u"r"_s : QString());
    };
    EXPECT_EQ(lee("-rw-r--r--   1 root     root         1234 Dec 08 05:31 con  dos espacios.txt\r\n"),
              u"con  dos espacios.txt|1234|Dec 08 05:31|"_s);
    EXPECT_EQ(lee("dr-xr-xr-x+ 3 1000 1000 4096 Mar 04  2020 fotos 2020"),  // ACL mark, numeric owner
              u"fotos 2020|4096|Mar 04  2020|dr"_s);
    EXPECT_EQ(lee("-r--r--r-- 1 ftp 77 Jan  5 23:59 sin-grupo"), u"sin-grupo|77|Jan  5 23:59|r"_s);
    EXPECT_EQ(lee("lrwxrwxrwx 1 u g 9 Jun 30 10:00 enlace -> destino"), u"enlace|9|Jun 30 10:00|"_s);
    EXPECT_EQ(lee("03-04-20  10:31PM       <DIR>          Nueva carpeta"), u"Nueva carpeta|0|03-04-20  10:31PM|d"_s);
    EXPECT_EQ(lee("12-31-2019  09:05AM              5120 informe.pdf"), u"informe.pdf|5120|12-31-2019  09:05AM|"_s);
    // The size is the number before the first date followed by one space; what follows is the name.
    EXPECT_EQ(lee("-rw-r--r-- 1 mi usuario grupo12 10 Dec 08 05:31 a.txt"), u"a.txt|10|Dec 08 05:31|"_s);
    EXPECT_EQ(lee("-rw-r--r--\t1\tu\tg\tx10\tDec\t8\t2020 a"), u"a|10|Dec\t8\t2020|"_s);
    EXPECT_EQ(lee("-rw-r--r-- 1 u g 10 Dec 08 05:31  x 5 Jan 01 2020 y"), u" x 5 Jan 01 2020 y|10|Dec 08 05:31|"_s);
    EXPECT_EQ(lee("-rw-r--r-- 1 u g 10 Dec 08 05:31\tno 7 Jan 01 2020 y"), u"y|7|Jan 01 2020|"_s);
    for (const char* otra : {"total 12", "", "drwxr-xr-x 2 u g 4096 Dec 08 05:31 .", "drwxr-xr-x 2 u g 4096 Dec 08 05:31 ..",
                             "hola mundo", "-rw-r--r-- 1 u g 10 Dec 08 05:31 ", "-rw-r--r-- u g 10 Dec 08 05:31 a",
                             "-rw-r--r-- 1 u g 10 Dic. 08 05:31 a", "-rw-r--r-- 1 u g 10 Dec 08 5:3 a"})
        EXPECT_EQ(lee(otra), u"(none)"_s) << otra;

    // Long lines are read in one pass (a line of 100,000 digits once took seconds).
    const QString nombreLargo(60000, u'n');
    const QString unix = u"-rw-r--r-- 1 u g 5 Dec 08 05:31 "_s;
    const struct { QString linea, entrada; } largas[] = {
        {u"-rw-r--r-- 1 "_s + QString(100000, u'1'), u"(none)"_s},
        {u"-rw-r--r-- 1 "_s + u"1 "_s.repeated(50000) + u"Dec 08 05:31"_s, u"(none)"_s},
        {u"-rw-r--r-- 1 "_s + u"1 Dec 08 "_s.repeated(10000), u"(none)"_s},
        {unix + nombreLargo, nombreLargo + u"|5|Dec 08 05:31|"_s},
        {unix + u"5 Dec 08 05:31 "_s.repeated(5000), u"5 Dec 08 05:31 "_s.repeated(5000) + u"|5|Dec 08 05:31|"_s},
        {u"03-04-20  10:31PM "_s + QString(50000, u' ') + u"<DIR> "_s + nombreLargo, nombreLargo + u"|0|03-04-20  10:31PM|d"_s},
    };
    for (const auto& l : largas) EXPECT_EQ(lee(l.linea.toUtf8().constData()), l.entrada) << l.linea.left(60);
}

TEST(CortaLineas, LineasEnterasComoLleguenLosBytesYNingunaDeMasDe64KiB) {
    // However the bytes are split, the same lines come out; the last one without "\n" is left over.
    const QByteArray texto = "uno\r\ndos\n\ntres";
    for (const qsizetype trozo : {1, 2, 3, 5, 100}) {
        QByteArrayList vistas;
        CortaLineas cortador([&](const QByteArray& l) { vistas << l; });
        for (qsizetype i = 0; i < texto.size(); i += trozo)
            EXPECT_TRUE(cortador.agrega(texto.constData() + i, std::min(trozo, texto.size() - i)));
        EXPECT_EQ(vistas, (QByteArrayList{"uno\r", "dos", ""})) << trozo;
        EXPECT_EQ(cortador.resto(), "tres");
    }

    // Up to 64 KiB before the line feed is a line; one byte more stops the listing, wherever it
    // arrives, and nothing more is taken.
    const qsizetype maximo = CortaLineas::kLargoMaximo;
    ASSERT_EQ(maximo, 65536);
    for (const qsizetype trozo : {1000, 65536, 70000}) {
        for (const bool pasa : {false, true}) {
            const QByteArray datos = QByteArray(maximo + (pasa ? 1 : 0), 'x') + "\nsiguiente\n";
            QList<qsizetype> largos;
            CortaLineas cortador([&](const QByteArray& l) { largos << l.size(); });
            bool aceptado = true;
            for (qsizetype i = 0; i < datos.size() && aceptado; i += trozo)
                aceptado = cortador.agrega(datos.constData() + i, std::min(trozo, datos.size() - i));
            EXPECT_EQ(aceptado, !pasa) << trozo;
            EXPECT_EQ(cortador.excedida(), pasa);
            EXPECT_EQ(largos, pasa ? QList<qsizetype>{} : (QList<qsizetype>{maximo, 9})) << trozo;
            EXPECT_FALSE(pasa && cortador.agrega("\n", 1));
            EXPECT_EQ(cortador.resto(), QByteArray());
        }
    }
}

TEST(ListaDeEntradas, AtributosPosicionesNombresYVaciado) {
    cDirList lista;
    cDirItem& carpeta = lista.Add(0x10, 1.5, 2.5, 3.5, 4096, u"Carpeta"_s);
    EXPECT_EQ(banderas(carpeta), u"Directory"_s);
    EXPECT_EQ(carpeta.CreationTime, 1.5);
    EXPECT_EQ(carpeta.LastAccessTime, 2.5);
    EXPECT_EQ(carpeta.LastWriteTime, 3.5);
    EXPECT_EQ(carpeta.FileSize, 4096);
    EXPECT_EQ(banderas(lista.Add(0x21, 0, 0, 0, 7, u"leeme.txt"_s)), u"ReadOnly Archive"_s);
    EXPECT_EQ(banderas(lista.Add(0x19B7, 0, 0, 0, 0, u"todos"_s)),
              u"ReadOnly Hidden System Directory Archive Normal Temporary Compressed Offline"_s);

    EXPECT_THROW(lista.Add(0, 0, 0, 0, 0, u"LEEME.TXT"_s), std::invalid_argument);
    EXPECT_EQ(lista.Count(), 3);
    EXPECT_EQ(&lista.Item(1), &carpeta);
    EXPECT_EQ(&lista.Item(u"carpeta"_s), &carpeta);
    EXPECT_THROW(lista.Item(0), std::out_of_range);
    EXPECT_THROW(lista.Item(4), std::out_of_range);

    lista.Clear();
    EXPECT_EQ(lista.Count(), 0);
    EXPECT_THROW(lista.Item(u"leeme.txt"_s), std::out_of_range);
    lista.Clear();
    EXPECT_EQ(lista.Count(), 0);
    lista.Add(0x80, 0, 0, 0, 0, u"leeme.txt"_s);  // the name is free again
    EXPECT_EQ(nombres(lista), QStringList{u"leeme.txt"_s});
}

}
