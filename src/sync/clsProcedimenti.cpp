#include "sync/clsProcedimenti.h"

#include "config/Configuracion.h"
#include "config/LeerConfiguracion.h"
#include "config/Lineas.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/ErrorServicio.h"
#include "sync/ConsultaProductos.h"
#include "sync/EscrituraWeb.h"
#include "sync/ImagenProducto.h"
#include "sync/TextoDecimal.h"
#include "sync/Transaccion.h"

namespace {
const QString kEnviarAhora = QStringLiteral("Enviar ahora");
const QString kInterrumpir = QStringLiteral("Interrumpir");
const QString kSalto = QStringLiteral("\r\n");

// The lock that keeps sends to one shop database one at a time, and how long a send waits for
// it (the window does not answer while it waits).
QString NombreCandado(const QString& base) { return QStringLiteral("moravi-envio:") + base; }
constexpr int kEsperaCandado = 5;

// The shop needs a title to show and to name the product's page by: a product without a
// description (NULL or only blanks) is titled with its key.
QString Titulo(const QString& clave, const QVariant& descrip) {
    const QString d = descrip.toString();
    return d.trimmed().isEmpty() ? clave : d;
}
}

clsProcedimenti::clsProcedimenti(VentanaEnvio& ventana) : ventana_(ventana) {}

void clsProcedimenti::LeerConfiguracion(ColeccionCampos&) { ::LeerConfiguracion(ventana_); }

void clsProcedimenti::LeerLineas() { ::LeerLineas(ventana_); }

void clsProcedimenti::ActualizarMeta(kesa5::BasesDD& web, ConexionPtr& cn, std::int64_t postId, const QString& clave,
                                     const QString& valor) {
    EscrituraWeb::ActualizarMeta(web, cn, postId, clave, valor);
}

void clsProcedimenti::EnviarImagen(Recordset& rsProducto, clsFTP& mFTP, ConexionPtr& cnWeb, kesa5::BasesDD& web,
                                   std::int64_t postId) {
    ImagenProducto::Enviar(ventana_, FormatoFecha, rsProducto, mFTP, cnWeb, web, postId);
}

ResultadoEnvio clsProcedimenti::EnviarProductos(ColeccionCampos&, bool& blInterruptus, clsFTP*) {
    resultado_ = ResultadoEnvio{};
    std::shared_ptr<kesa5::BasesDD> web;
    CrearObjeto(web, QStringLiteral("BasesDD"));  // a failure shows its own message
    blInterruptus = false;

    const std::shared_ptr<kesa5::BasesDD> host = G().BasesDD;
    ConexionPtr cnHost, cnWeb;
    RecordsetPtr rsProductos, rsSku, rsPost;
    bool enPantalla = false;  // the walk has shown itself: its end restores the button and labels

    const auto finDelRecorrido = [&] {
        ventana_.setBotonEnvio(kEnviarAhora);
        ventana_.setLabel3Visible(false);
        ventana_.setLabel5Visible(false);
    };
    // Closing never fails, so it also runs on the way out of an error.
    const auto cierre = [&] {
        ventana_.setImagenesMarcada(false);
        if (web) web->CierraTabla(rsPost);
        if (host) host->CierraTabla(rsProductos);
        if (web) web->CierraTabla(rsSku);
        if (host) host->CierraBdD(cnHost);
        if (web) web->CierraBdD(cnWeb);
        web.reset();
    };

    try {
        if (!web || !host) throw ErrorServicio(91, QStringLiteral("Variable de objeto o bloque With no establecido"));
        const Configuracion& cfg = Config();
        web->cMiBase = cfg.BaseWeb;
        web->cRuta = cfg.DireccionIPWeb;
        web->cUsuario = cfg.UsuarioWeb;
        web->cPassword = cfg.ContrasenaWeb;
        web->cPuerto = cfg.PuertoWeb;

        if (!host->AbrirBdD(cnHost, host->cMiBase)) {
            cierre();
            return resultado_;
        }
        QString carpeta = host->LeeDato(QStringLiteral("CarpetaImgProds"), cnHost, QStringLiteral("configura"));
        // A folder already ending in either separator keeps it.
        if (!carpeta.isEmpty() && !carpeta.endsWith(QLatin1Char('\\')) && !carpeta.endsWith(QLatin1Char('/')))
            carpeta += QLatin1Char('\\');
        Config().CarpetaImagenes = carpeta;
        if (!web->AbrirBdD(cnWeb, web->cMiBase)) {
            cierre();
            return resultado_;
        }
        // Two sends to one shop at once (the window's schedule and a scheduled "-enviar", two
        // computers) would both miss a new product's SKU and create it twice.
        if (!cnWeb->TomaCandado(NombreCandado(cfg.BaseWeb), kEsperaCandado)) {
            resultado_.fin = ResultadoEnvio::Fin::OtroEnvio;
            cierre();
            return resultado_;
        }

        ventana_.setBotonEnvio(kInterrumpir);
        enPantalla = true;
        ventana_.setLabel3(QString());
        ventana_.setLabel5(QString());
        ventana_.setLabel5Visible(true);
        ventana_.setLabel3Visible(true);
        ventana_.procesarEventos();

        host->AbrirTabla(rsProductos, cnHost, ConsultaProductos(ventana_, cfg.LineasMarcadas));
        rsProductos->Desconecta();
        const int m = rsProductos->RecordCount();
        resultado_.total = m;
        resultado_.fin = ResultadoEnvio::Fin::Completo;
        const QString campoPrecio = QStringLiteral("Precio") + QString::number(cfg.NumeroPrecio);
        const QString deM = QStringLiteral(" de ") + QString::number(m);

        for (int n = 1; !rsProductos->EOF_() && !blInterruptus; ++n) {
            const QString clave = rsProductos->Texto(QStringLiteral("Clave"));
            const QVariant descrip = rsProductos->Campo(QStringLiteral("Descrip"));
            const QString lineaDescrip = kSalto + QStringLiteral("Descripción: ") + descrip.toString();
            ventana_.setLabel3(QStringLiteral("Clave: ") + clave + lineaDescrip);
            ventana_.setLabel5(QStringLiteral("Producto ") + QString::number(n) + deM);
            // Every field is read before anything is written, so a missing column stops the
            // run before it touches this product.
            const std::optional<QString> precio = TextoDecimal(rsProductos->Campo(campoPrecio));
            const std::optional<QString> existencia = TextoDecimal(rsProductos->Campo(QStringLiteral("Existencia")));
            ventana_.procesarEventos();

            const Conexion* antes = cnWeb.get();
            if (!web->AbrirBdD(cnWeb, web->cMiBase)) {
                resultado_.fin = ResultadoEnvio::Fin::ConexionPerdida;
                break;
            }
            // A redialled connection is a new session, which holds no lock yet.
            if (cnWeb.get() != antes && !cnWeb->TomaCandado(NombreCandado(cfg.BaseWeb), kEsperaCandado)) {
                resultado_.fin = ResultadoEnvio::Fin::OtroEnvio;
                break;
            }
            // Each product is one transaction: written whole or, when anything fails on the way,
            // not at all. It also makes one log flush on the server per product instead of one
            // per statement.
            Transaccion unidad(cnWeb);
            EscrituraWeb tienda(*web, cnWeb, rsSku, rsPost, FormatoFecha);
            std::optional<std::int64_t> postId = tienda.BuscarProducto(clave);
            const bool nuevo = !postId;
            if (nuevo) postId = tienda.CrearProducto(clave, Titulo(clave, descrip));
            tienda.TocarPost(*postId);
            tienda.ValoresProducto(*postId, precio, existencia);
            unidad.Confirma();
            if (nuevo) ++resultado_.nuevos;
            resultado_.enviados = n;

            ventana_.setLabel3(QStringLiteral("Imagen del producto ") + clave + lineaDescrip);
            ventana_.setLabel5(QString::number(n) + deM);
            ventana_.procesarEventos();
            rsProductos->MoveNext();
        }
        if (resultado_.fin == ResultadoEnvio::Fin::Completo && resultado_.enviados < m)
            resultado_.fin = ResultadoEnvio::Fin::Interrumpido;
    } catch (...) {
        resultado_.fin = ResultadoEnvio::Fin::Fallo;
        if (enPantalla) finDelRecorrido();
        cierre();
        throw;
    }
    finDelRecorrido();
    cierre();
    return resultado_;
}
