// Measures the send run: fills a point-of-sale database with N products and an empty shop,
// sends everything twice (all new, then all existing) and prints, per run, the wall time,
// products per second, statements the server received per product and connections opened,
// from the server's own counters.
//   bench_envio [preparar|enviar] [N]   (default 2000; needs MORAVI_TEST_DB_HOST/PORT/USER/PASS, see bench/run)
// "preparar" only fills the databases, "enviar" only sends (twice) and checks, so the peak memory
// the sending process reports is the send's own; with neither word it does both.
// MORAVI_BENCH_WEB_PORT sends to the shop through another port (bench/run's delay relay) and
// MORAVI_BENCH_ESTADISTICAS names the relay's count of round trips.
#include "VentanaConsolaBench.h"
#include "config/Configuracion.h"
#include "platform/Registrar.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/Dialogos.h"
#include "servicelib/ErrorServicio.h"
#include "sync/clsProcedimenti.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <cstdio>
#include <sys/resource.h>

namespace {
const QString kBaseHost = QStringLiteral("moravi_bench_pos");
const QString kBaseWeb = QStringLiteral("moravi_bench_wp");
const QStringList kContadores{QStringLiteral("QUESTIONS"),     QStringLiteral("COM_SELECT"),
                              QStringLiteral("COM_INSERT"),    QStringLiteral("COM_UPDATE"),
                              QStringLiteral("COM_BEGIN"),     QStringLiteral("COM_COMMIT"),
                              QStringLiteral("COM_SET_OPTION"), QStringLiteral("CONNECTIONS")};

void configura(kesa5::BasesDD& bd) {
    bd.cRuta = qEnvironmentVariable("MORAVI_TEST_DB_HOST");
    bd.cPuerto = static_cast<std::uint16_t>(qEnvironmentVariableIntValue("MORAVI_TEST_DB_PORT"));
    bd.cUsuario = qEnvironmentVariable("MORAVI_TEST_DB_USER");
    bd.cPassword = qEnvironmentVariable("MORAVI_TEST_DB_PASS");
}

// Runs each statement of a fixture file in `base`.
void cargaFixture(Conexion& cn, const QString& base, const QString& archivo) {
    QFile f(QStringLiteral(MORAVI_FIXTURES_DIR "/") + archivo);
    if (!f.open(QIODevice::ReadOnly)) throw ErrorServicio(53, QStringLiteral("No se encuentra ") + f.fileName());
    cn.Execute(QStringLiteral("USE ") + base);
    for (const QString& sentencia : QString::fromUtf8(f.readAll()).split(QStringLiteral(";\n")))
        if (!sentencia.trimmed().isEmpty()) cn.Execute(sentencia);
}

QMap<QString, double> contadores(kesa5::BasesDD& bd, ConexionPtr& cn) {
    RecordsetPtr rs;
    bd.AbrirTabla(rs, cn,
                  QStringLiteral("information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME IN ('%1')")
                      .arg(kContadores.join(QStringLiteral("','"))),
                  QStringLiteral("VARIABLE_NAME, VARIABLE_VALUE"));
    QMap<QString, double> m;
    for (; !rs->EOF_(); rs->MoveNext())
        m.insert(rs->Texto(QStringLiteral("VARIABLE_NAME")).toUpper(), rs->Campo(QStringLiteral("VARIABLE_VALUE")).toDouble());
    return m;
}

void llenaProductos(Conexion& cn, int n) {
    cn.Execute(QStringLiteral("USE ") + kBaseHost);
    const int lote = 500;
    for (int desde = 0; desde < n; desde += lote) {
        QStringList filas;
        for (int i = desde; i < std::min(n, desde + lote); ++i)
            filas << QStringLiteral("('P%1', 'Producto de prueba número %1', %2, %3, %4, %5)")
                         .arg(i, 6, 10, QLatin1Char('0'))
                         .arg(QString::number(10 + (i % 500) * 0.25, 'f', 2))
                         .arg(QString::number(12 + (i % 400) * 0.5, 'f', 2))
                         .arg(QString::number((i % 9) - 2))
                         .arg(i % 12);
        cn.Execute(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Precio2, Existencia, Linea) VALUES ") +
                   filas.join(QLatin1Char(',')));
    }
}

// The relay's running count of round trips (0 without a relay).
double idasYVueltas() {
    QFile f(qEnvironmentVariable("MORAVI_BENCH_ESTADISTICAS"));
    if (f.fileName().isEmpty() || !f.open(QIODevice::ReadOnly)) return 0;
    return QString::fromLatin1(f.readAll()).trimmed().toDouble();
}

// The process's peak resident memory so far, in MB.
double memoriaPico() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_maxrss) / 1024.0;
}

int corre(const QString& titulo, kesa5::BasesDD& admin, ConexionPtr& cnAdmin) {
    VentanaConsolaBench ventana;
    ColeccionCampos campos;
    bool interrumpir = false;
    std::fprintf(stderr, "%s\n", qUtf8Printable(titulo));
    const QMap<QString, double> antes = contadores(admin, cnAdmin);
    const double idasAntes = idasYVueltas();
    QElapsedTimer reloj;
    reloj.start();
    clsProcedimenti proc(ventana);
    const ResultadoEnvio r = proc.EnviarProductos(campos, interrumpir, nullptr);
    const double segundos = static_cast<double>(reloj.nsecsElapsed()) / 1e9;
    const double idas = idasYVueltas() - idasAntes;
    QMap<QString, double> d = contadores(admin, cnAdmin);
    for (auto it = d.begin(); it != d.end(); ++it) it.value() -= antes.value(it.key());
    d[QStringLiteral("QUESTIONS")] -= 1;  // the second reading of the counters itself
    d[QStringLiteral("COM_SELECT")] -= 1;
    const double n = std::max(1, r.enviados);
    const auto por = [&](const char* c) { return d.value(QString::fromLatin1(c)) / n; };
    std::printf("%s\n", qUtf8Printable(titulo));
    std::printf("  productos enviados:       %d de %d (nuevos: %d)\n", r.enviados, r.total, r.nuevos);
    std::printf("  tiempo:                   %.2f s\n", segundos);
    std::printf("  productos por segundo:    %.1f\n", r.enviados / segundos);
    std::printf("  sentencias por producto:  %.2f (SELECT %.2f, INSERT %.2f, UPDATE %.2f, BEGIN %.2f, COMMIT %.2f)\n",
                por("QUESTIONS"), por("COM_SELECT"), por("COM_INSERT"), por("COM_UPDATE"), por("COM_BEGIN"),
                por("COM_COMMIT"));
    if (qEnvironmentVariableIsEmpty("MORAVI_BENCH_ESTADISTICAS"))
        std::printf("  idas y vueltas/producto:  (sin relé: use --rtt)\n");
    else
        std::printf("  idas y vueltas/producto:  %.4f (%.0f en total, a la tienda)\n", idas / n, idas);
    std::printf("  conexiones abiertas:      %.0f\n", d.value(QStringLiteral("CONNECTIONS")));
    std::printf("  memoria pico del proceso: %.1f MB\n", memoriaPico());
    std::fflush(stdout);
    return r.completo() ? 0 : 1;
}
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString modo = !args.isEmpty() && !args.first().front().isDigit() ? args.takeFirst() : QString();
    const int n = !args.isEmpty() ? args.first().toInt() : 2000;
    const bool preparar = modo != QStringLiteral("enviar"), enviar = modo != QStringLiteral("preparar");
    if (n <= 0 || qEnvironmentVariableIsEmpty("MORAVI_TEST_DB_PORT")) {
        std::fprintf(stderr, "uso: bench_envio [N]   (con MORAVI_TEST_DB_HOST/PORT/USER/PASS; ver bench/run)\n");
        return 2;
    }
    RegistrarPlataforma();
    Dialogos::instalar([](const QString& texto, int botones, const QString& titulo) {
        std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(titulo), qUtf8Printable(texto));
        return Dialogos::respuestaPorDefecto(botones);
    });
    try {
        std::shared_ptr<kesa5::BasesDD> admin;
        if (!CrearObjeto(admin, QStringLiteral("BasesDD"))) return 1;
        configura(*admin);
        ConexionPtr cn;
        if (!admin->AbrirBdD(cn, QString())) {
            std::fprintf(stderr, "No se pudo conectar con MariaDB en %s:%d\n", qUtf8Printable(admin->cRuta), admin->cPuerto);
            return 1;
        }
        if (preparar) {
            for (const QString& base : {kBaseHost, kBaseWeb}) {
                cn->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + base);
                cn->Execute(QStringLiteral("CREATE DATABASE ") + base + QStringLiteral(" CHARACTER SET utf8mb4"));
            }
            cargaFixture(*cn, kBaseHost, QStringLiteral("pos-tables.sql"));
            cargaFixture(*cn, kBaseWeb, QStringLiteral("wordpress-tables.sql"));
            if (!qEnvironmentVariableIsEmpty("MORAVI_BENCH_WOOCOMMERCE"))
                cargaFixture(*cn, kBaseWeb, QStringLiteral("woocommerce-tables.sql"));
            llenaProductos(*cn, n);
        }
        if (!enviar) return 0;

        if (!CrearObjeto(G().libTORVA, QStringLiteral("libTORVA")) || !CrearObjeto(G().BasesDD, QStringLiteral("BasesDD")))
            return 1;
        configura(*G().BasesDD);
        G().BasesDD->cMiBase = kBaseHost;
        Configuracion& c = Config();
        c.DireccionIPWeb = admin->cRuta;
        c.PuertoWeb = qEnvironmentVariableIsEmpty("MORAVI_BENCH_WEB_PORT")
                          ? admin->cPuerto
                          : static_cast<std::uint16_t>(qEnvironmentVariableIntValue("MORAVI_BENCH_WEB_PORT"));
        c.UsuarioWeb = admin->cUsuario;
        c.ContrasenaWeb = admin->cPassword;
        c.BaseWeb = kBaseWeb;
        c.NumeroPrecio = 1;
        c.LineasMarcadas = 0;

        std::printf("Envío de %d productos a una tienda vacía y luego otra vez (MariaDB en %s:%d, tienda a %s ms)\n", n,
                    qUtf8Printable(admin->cRuta), c.PuertoWeb,
                    qUtf8Printable(qEnvironmentVariable("MORAVI_BENCH_RTT", QStringLiteral("0"))));
        int estado = corre(QStringLiteral("Envío 1: todos nuevos"), *admin, cn);
        estado |= corre(QStringLiteral("Envío 2: todos existentes"), *admin, cn);

        RecordsetPtr rs;
        admin->AbrirTabla(rs, cn, kBaseWeb + QStringLiteral(".wp_posts"), QStringLiteral("COUNT(*) AS n"));
        const int posts = rs->Campo(QStringLiteral("n")).toInt();
        admin->AbrirTabla(rs, cn, kBaseWeb + QStringLiteral(".wp_postmeta"), QStringLiteral("COUNT(*) AS n"));
        const int metas = rs->Campo(QStringLiteral("n")).toInt();
        // A WooCommerce shop's new products also get total_sales, _tax_status and _tax_class.
        const int valores = n * (qEnvironmentVariableIsEmpty("MORAVI_BENCH_WOOCOMMERCE") ? 30 : 33);
        std::printf("Comprobación: %d entradas y %d valores en la tienda (se esperan %d y %d)\n", posts, metas, n, valores);
        if (posts != n || metas != valores) estado = 1;
        for (const QString& base : {kBaseHost, kBaseWeb}) cn->Execute(QStringLiteral("DROP DATABASE ") + base);
        admin->CierraBdD(cn);
        G().liberar();
        return estado;
    } catch (const ErrorServicio& e) {
        std::fprintf(stderr, "Error %d: %s\n", e.numero(), qUtf8Printable(e.descripcion()));
        return 1;
    }
}
