#include "EntornoEnvio.h"

#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "sync/Reloj.h"

#include <QThread>
#include <QTimeZone>

QString sqlTexto(const QString& texto) {
    QString t = texto;
    t.replace(QLatin1Char('\\'), u"\\\\"_s);
    t.replace(QLatin1Char('\''), u"\\'"_s);
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

UsuarioPrueba::UsuarioPrueba(prueba::BaseTemporal& base) : nombre(u"u"_s + base.nombre()), base_(base) {
    base_.ejecuta(u"CREATE USER '%1'@'%' IDENTIFIED BY '%2';\nGRANT ALL PRIVILEGES ON `%3`.* TO '%1'@'%'"_s
                      .arg(nombre, clave, base_.nombre()));
}

UsuarioPrueba::~UsuarioPrueba() { base_.ejecuta(u"DROP USER IF EXISTS '%1'@'%'"_s.arg(nombre)); }

void UsuarioPrueba::cambiaClave(const QString& nueva) {
    base_.ejecuta(u"ALTER USER '%1'@'%' IDENTIFIED BY '%2'"_s.arg(nombre, nueva));
}

QStringList UsuarioPrueba::conexiones() {
    return base_.filas(u"SELECT ID FROM information_schema.PROCESSLIST WHERE USER='%1'"_s.arg(nombre));
}

void UsuarioPrueba::cortaConexiones() {
    for (const QString& id : conexiones()) base_.ejecuta(u"KILL "_s + id);
}

bool UsuarioPrueba::sinConexiones() {
    for (int i = 0; i < 250; ++i) {
        if (conexiones().isEmpty()) return true;
        QThread::msleep(20);
    }
    return false;
}

void EntornoEnvio::SetUp() {
    ASSERT_TRUE(CrearObjeto(G().libTORVA, u"libTORVA"_s));
    ASSERT_TRUE(CrearObjeto(G().BasesDD, u"BasesDD"_s));
    const prueba::ServidorBD s = prueba::servidorBD();
    kesa5::BasesDD& h = *G().BasesDD;
    h.cRuta = s.host;
    h.cPuerto = static_cast<std::uint16_t>(s.puerto);
    h.cUsuario = usuarioHost.nombre;
    h.cPassword = usuarioHost.clave;
    h.cMiBase = host.nombre();
    Configuracion& c = Config();
    c = Configuracion{};
    c.DireccionIPWeb = s.host;
    c.BaseWeb = web.nombre();
    c.PuertoWeb = static_cast<std::uint16_t>(s.puerto);
    c.UsuarioWeb = usuarioWeb.nombre;
    c.ContrasenaWeb = usuarioWeb.clave;
    c.NumeroPrecio = 1;
    c.LineasMarcadas = 0;
    // The fixed clock reads as a shop's computer at UTC-6 does: its *_gmt columns are 6 hours on.
    Reloj::fijar([this] { return QDateTime(ahora.date(), ahora.time(), QTimeZone(-6 * 3600)); });
}

void EntornoEnvio::enviaA(const QString& base) {
    const prueba::ServidorBD s = prueba::servidorBD();
    Config().BaseWeb = base;
    Config().UsuarioWeb = s.usuario;
    Config().ContrasenaWeb = s.clave;
}

void EntornoEnvio::TearDown() {
    Reloj::fijar({});
    G().liberar();
    Config() = Configuracion{};
}

ResultadoEnvio EntornoEnvio::enviar() {
    clsProcedimenti proc(ventana);
    proc.Lote = lote;
    proc.Reintentos = reintentos;
    return proc.EnviarProductos(campos, blInterruptus, nullptr);
}

void EntornoEnvio::producto(const QString& clave, const QString& descrip, const QString& precio1, const QString& existencia,
                            int linea) {
    host.ejecuta(u"INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES (%1, %2, %3, %4, %5)"_s
                     .arg(sqlTexto(clave), descrip, precio1, existencia, QString::number(linea)));
}

void EntornoEnvio::productos(int n) {
    for (int i = 1; i <= n; ++i) producto(u"P%1"_s.arg(i), u"'Producto %1'"_s.arg(i));
}

QStringList EntornoEnvio::skus() {
    return web.filas(u"SELECT meta_value FROM wp_postmeta WHERE meta_key='_sku' ORDER BY post_id"_s);
}

QString EntornoEnvio::post(const QString& clave) {
    const QStringList f = web.filas(
        u"SELECT post_id FROM wp_postmeta WHERE meta_key='_sku' AND BINARY meta_value=%1"_s.arg(sqlTexto(clave)));
    EXPECT_LE(f.size(), 1) << "more than one SKU row for " << clave.toStdString();
    return f.value(0);
}

QStringList EntornoEnvio::claves(const QString& postId) {
    return web.filas(u"SELECT meta_key FROM wp_postmeta WHERE post_id=%1 ORDER BY meta_id"_s.arg(postId));
}

QMap<QString, QString> EntornoEnvio::valores(const QString& postId) {
    QMap<QString, QString> m;
    for (const QString& fila :
         web.filas(u"SELECT meta_key, IFNULL(meta_value, 'NULL') FROM wp_postmeta WHERE post_id=%1"_s.arg(postId))) {
        const qsizetype corte = fila.indexOf(QLatin1Char('|'));
        m.insert(fila.left(corte), fila.mid(corte + 1));
    }
    return m;
}

int EntornoEnvio::cuenta(const QString& tabla) { return web.valor(u"SELECT COUNT(*) FROM "_s + tabla).toInt(); }

std::shared_ptr<kesa5::BasesDD> EntornoEnvio::baseWeb() {
    std::shared_ptr<kesa5::BasesDD> b;
    if (!CrearObjeto(b, u"BasesDD"_s)) return nullptr;
    const Configuracion& c = Config();
    b->cRuta = c.DireccionIPWeb;
    b->cPuerto = c.PuertoWeb;
    b->cUsuario = c.UsuarioWeb;
    b->cPassword = c.ContrasenaWeb;
    b->cMiBase = c.BaseWeb;
    return b;
}
