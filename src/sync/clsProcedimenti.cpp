#include "sync/clsProcedimenti.h"

#include "config/Configuracion.h"
#include "config/LeerConfiguracion.h"
#include "config/Lineas.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/ErrorServicio.h"
#include "sync/CacheTienda.h"
#include "sync/ConsultaProductos.h"
#include "sync/EscrituraWeb.h"
#include "sync/ImagenProducto.h"
#include "sync/LecturaPuntoDeVenta.h"
#include "sync/LecturaTienda.h"
#include "sync/TablasTienda.h"
#include "sync/WooCommerce.h"
#include "sync/ClavesParecidas.h"

#include <algorithm>
#include <optional>

namespace {
// The lock that keeps sends to one shop database one at a time, and how long a send waits for
// it (the window does not answer while it waits).
QString NombreCandado(const QString& base) { return QStringLiteral("moravi-envio:") + base; }
constexpr int kEsperaCandado = 5;
// A send never sits idle on the shop's connection this long between two statements.
constexpr int kSilencioSospechoso = 60;

// What the shop holds for the products from `desde` on (a few large reads), and the plan of
// their chunks.
PlanEnvio LeeTiendaYPlanifica(Conexion& cn, const QString& prefijo, std::vector<ProductoEnvio>& productos, int desde,
                              const LimitesLote& lote, const std::optional<WooCommerce>& woo,
                              const std::function<void()>& latido) {
    LecturaTienda::Enlaza(cn, prefijo, productos, desde, latido);
    LecturaTienda::LeeValores(cn, prefijo, productos, desde, latido);
    return PlanEnvio(productos, LecturaTienda::NombresOcupados(cn, prefijo, productos, desde, latido), lote,
                     woo ? woo->Reglas() : ReglasTienda{});
}

// The chunk bounds for this shop's server: no statement above what it accepts
// (max_allowed_packet, read once per connection), with room for the protocol's own bytes.
LimitesLote ParaElServidor(LimitesLote lote, Conexion& cn, int paquete = 0) {
    if (paquete == 0) paquete = TablasTienda::LimitePaquete(cn);
    if (paquete > 0) {
        lote.paquete = paquete;
        lote.bytes = std::min(lote.bytes, std::max(1024, paquete - 1024));
    }
    return lote;
}

// What the point of sale's products say that the user should know before anything is written.
void AnotaLectura(const LecturaPuntoDeVenta& l, const std::optional<WooCommerce>& woo, QStringList& avisos) {
    avisos << l.avisos;
    if (woo) avisos << ClavesParecidas(l.productos);
}

QString Omitido(const ProductoEnvio& p, int paquete) {
    return QStringLiteral("%1: no se envió: sus datos no caben en una sentencia de las que acepta el servidor de la "
                          "tienda (max_allowed_packet, %2 bytes)")
        .arg(QString::fromStdString(p.clave))
        .arg(paquete);
}

// The shop's database, as the settings name it, in the order the settings are assigned.
void ApuntaALaTienda(kesa5::BasesDD& web, const Configuracion& cfg) {
    web.cMiBase = cfg.BaseWeb;
    web.cRuta = cfg.DireccionIPWeb;
    web.cUsuario = cfg.UsuarioWeb;
    web.cPassword = cfg.ContrasenaWeb;
    web.cPuerto = cfg.PuertoWeb;
    web.cCifrado = cfg.CifradoWeb;
    web.cCertificadoCA = cfg.CertificadoCAWeb;
}

// Which database could not be opened, where, and why, for the texts that tell the user.
void AnotaSinAbrir(const kesa5::BasesDD& bd, bool puntoDeVenta, ResultadoEnvio& r) {
    r.sinAbrir = {puntoDeVenta, bd.cMiBase, bd.cRuta + QLatin1Char(':') + QString::number(bd.cPuerto), bd.cUltimoError};
}

// The point of sale's picture folder, with one final separator.
QString LeeCarpetaImagenes(kesa5::BasesDD& host, ConexionPtr& cn) {
    QString carpeta = host.LeeDato(QStringLiteral("CarpetaImgProds"), cn, QStringLiteral("configura"));
    // A folder already ending in either separator keeps it.
    if (!carpeta.isEmpty() && !carpeta.endsWith(QLatin1Char('\\')) && !carpeta.endsWith(QLatin1Char('/')))
        carpeta += QLatin1Char('\\');
    return carpeta;
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
    bool enPantalla = false;  // the walk was reported as begun: its end is reported too

    const auto finDelRecorrido = [&] { ventana_.envioTerminado(resultado_); };
    // Closing never fails, so it also runs on the way out of an error.
    const auto cierre = [&] {
        ventana_.setImagenesMarcada(false);
        // Whoever holds these connections after the send must not call back into it.
        for (const ConexionPtr& cn : {cnHost, cnWeb})
            if (cn) cn->MientrasEspera({});
        if (host) host->CierraBdD(cnHost);
        if (web) web->CierraBdD(cnWeb);
        web.reset();
    };

    try {
        if (!web || !host) throw ErrorServicio(91, QStringLiteral("Variable de objeto o bloque With no establecido"));
        const Configuracion& cfg = Config();
        ApuntaALaTienda(*web, cfg);

        if (!host->AbrirBdD(cnHost, host->cMiBase)) {
            AnotaSinAbrir(*host, true, resultado_);
            cierre();
            return resultado_;
        }
        // A selection that cannot be read never turns into "every line" (a point of sale that
        // is down is told first: it is why the lines could not be read).
        if (!cfg.SeleccionIlegible.isEmpty()) {
            resultado_.fin = ResultadoEnvio::Fin::SinSeleccion;
            resultado_.avisos << cfg.SeleccionIlegible;
            cierre();
            return resultado_;
        }
        try {
            Config().CarpetaImagenes = LeeCarpetaImagenes(*host, cnHost);
        } catch (const ErrorServicio& e) {
            if (e.numero() != 1146) throw;
            // The "configura" table only serves the picture step: without it the send goes on.
            Config().CarpetaImagenes.clear();
            resultado_.avisos << QStringLiteral("el punto de venta no tiene la tabla «configura»; "
                                                "la carpeta de imágenes queda vacía");
        }
        if (!web->AbrirBdD(cnWeb, web->cMiBase)) {
            AnotaSinAbrir(*web, false, resultado_);
            cierre();
            return resultado_;
        }
        // Two sends to one shop at once (the window's schedule and a scheduled "-enviar", two
        // computers) would both miss a new product's SKU and create it twice.
        if (!cnWeb->TomaCandado(NombreCandado(cfg.BaseWeb), kEsperaCandado)) {
            resultado_.fin = ResultadoEnvio::Fin::OtroEnvio;
            // A send whose network path died keeps its session, and the lock, until the server's
            // idle timeout (a few minutes) closes it.
            if (const int quieto = cnWeb->InactividadDelCandado(NombreCandado(cfg.BaseWeb)); quieto >= kSilencioSospechoso)
                resultado_.avisos << QStringLiteral("la sesión que tiene ocupada la tienda lleva %1 s sin actividad: si no "
                                                    "hay otro envío en marcha, su conexión se perdió y el servidor la "
                                                    "cerrará por sí solo en unos minutos")
                                         .arg(quieto);
            cierre();
            return resultado_;
        }

        // The shop's tables are there under the prefix, and can undo a chunk; nothing is
        // written otherwise (the error says why).
        const QString prefijo = cfg.PrefijoWeb;
        int paquete = 0;
        resultado_.avisos << TablasTienda::Comprueba(*cnWeb, prefijo, true, &paquete);
        LimitesLote limites = ParaElServidor(Lote, *cnWeb, paquete);
        // WooCommerce's lookup table, terms and caches are kept in step when the shop has them.
        std::optional<WooCommerce> woo = WooCommerce::Detecta(*cnWeb, prefijo);
        // The shop's object-cache helper, when it has one: its change rows; a cache without it is told.
        CacheTienda cache(prefijo);
        resultado_.avisos << cache.Detecta(*cnWeb);
        resultado_.avisos << cache.Poda(*cnWeb);

        ventana_.envioIniciado();
        enPantalla = true;
        ventana_.procesarEventos();
        const auto latido = [this] { ventana_.procesarEventos(); };
        // The window, its icon and its menu keep answering while the shop writes a chunk.
        cnWeb->MientrasEspera(latido);
        cnHost->MientrasEspera(latido);

        // Only the columns the send uses, held once; the point-of-sale connection then idles.
        LecturaPuntoDeVenta lectura = LeeProductosPuntoDeVenta(
            *cnHost, ConsultaProductos(ventana_, cfg.LineasMarcadas), cfg.NumeroPrecio, latido);
        AnotaLectura(lectura, woo, resultado_.avisos);
        resultado_.descartados += lectura.ilegibles;
        std::vector<ProductoEnvio>& productos = lectura.productos;
        const int m = static_cast<int>(productos.size());
        resultado_.total = m;
        resultado_.fin = ResultadoEnvio::Fin::Completo;
        const auto clave = [&](int i) { return QString::fromStdString(productos[size_t(i)].clave); };
        const auto descripcion = [&](int i) { return QString::fromStdString(productos[size_t(i)].descrip); };

        // What the shop holds for the products from `desde` on, read in a few large queries.
        // Read again after the shop's connection had to be dialled anew: another send may
        // have written in between.
        std::optional<PlanEnvio> plan;
        const auto leeTienda = [&](int desde) { plan.emplace(LeeTiendaYPlanifica(*cnWeb, prefijo, productos, desde, limites, woo, latido)); };
        if (m > 0 && !blInterruptus) leeTienda(0);

        bool comprobar = false;  // the shop's connection must be checked before the next chunk
        int redialado = -1;      // the chunk that was already retried on a new connection
        for (int desde = 0; desde < m && !blInterruptus;) {
            LotePlan lote = plan->Siguiente(desde);
            ventana_.loteIniciado(desde + 1, m, clave(desde), descripcion(desde));
            ventana_.procesarEventos();

            // The statements themselves tell when the shop's connection was lost between two
            // chunks (no ping of its own each time): it is then dialled anew and the chunk
            // planned again from the shop as it is, once.
            const Conexion* antes = cnWeb.get();
            if (comprobar && !web->AbrirBdD(cnWeb, web->cMiBase)) {
                resultado_.fin = ResultadoEnvio::Fin::ConexionPerdida;
                AnotaSinAbrir(*web, false, resultado_);
                break;
            }
            comprobar = false;
            if (cnWeb.get() != antes) {
                cnWeb->MientrasEspera(latido);
                // A redialled connection is a new session, which holds no lock yet.
                if (!cnWeb->TomaCandado(NombreCandado(cfg.BaseWeb), kEsperaCandado)) {
                    resultado_.fin = ResultadoEnvio::Fin::OtroEnvio;
                    break;
                }
                limites = ParaElServidor(Lote, *cnWeb);
                woo = WooCommerce::Detecta(*cnWeb, prefijo);
                leeTienda(desde);
                lote = plan->Siguiente(desde);  // planned anew from the shop as it is now
            }

            EscrituraLote escritura(cnWeb, FormatoFecha, limites.bytes, woo ? &*woo : nullptr, prefijo, limites.paquete);
            escritura.AnotaCambiosEn(&cache);
            std::vector<std::int64_t> ids;
            try {
                ids = escritura.Escribe(lote, productos, Reintentos);
            } catch (const ErrorServicio&) {
                // Only a connection found dead before the chunk began is dialled anew; one lost
                // in the middle of a chunk, or a statement the server refused, ends the send.
                if (redialado == desde || !escritura.FallaAlEmpezar() || cnWeb->Viva()) throw;
                redialado = desde;
                comprobar = true;
                continue;
            }
            for (size_t i = 0; i < ids.size(); ++i) productos[size_t(lote.nuevos[i].producto)].postId = ids[i];
            // The session keeps WordPress's lenient mode, so the server stores what it can and
            // warns: every value it cut is reported, never passed over in silence.
            for (const QString& recorte : escritura.Recortes())
                resultado_.avisos << QStringLiteral("la tienda recortó un valor: ") + recorte;
            resultado_.recortados += static_cast<int>(escritura.Recortes().size());
            resultado_.nuevos += static_cast<int>(lote.nuevos.size());
            resultado_.cambiados += static_cast<int>(lote.cambios.size()) + lote.faltantes;
            resultado_.enviados = lote.hasta;
            desde = lote.hasta;
            for (int i : lote.omitidos) resultado_.avisos << Omitido(productos[size_t(i)], limites.paquete);
            resultado_.descartados += static_cast<int>(lote.omitidos.size());

            std::vector<VentanaEnvio::Cambio> hecho(size_t(lote.cuenta()), VentanaEnvio::Cambio::AlDia);
            for (const LotePlan::Cambio& c : lote.cambios) hecho[size_t(c.producto - lote.desde)] = VentanaEnvio::Cambio::Cambiado;
            for (const LotePlan::Fila& f : lote.filas) hecho[size_t(f.producto - lote.desde)] = VentanaEnvio::Cambio::Cambiado;
            for (const LotePlan::Nuevo& n : lote.nuevos) hecho[size_t(n.producto - lote.desde)] = VentanaEnvio::Cambio::Nuevo;
            for (int i = lote.desde; i < lote.hasta; ++i)
                if (!lote.omitido(i))
                    ventana_.productoEnviado(i + 1, m, clave(i), descripcion(i), hecho[size_t(i - lote.desde)]);
            ventana_.loteEscrito(lote.hasta, m, clave(lote.hasta - 1), descripcion(lote.hasta - 1));
            ventana_.procesarEventos();
        }
        if (resultado_.fin == ResultadoEnvio::Fin::Completo && resultado_.enviados < m)
            resultado_.fin = ResultadoEnvio::Fin::Interrumpido;
        // Term counts and caches once, for whatever chunks were written (an interrupted run too).
        if (woo && resultado_.enviados > 0 && resultado_.fin != ResultadoEnvio::Fin::ConexionPerdida &&
            resultado_.fin != ResultadoEnvio::Fin::OtroEnvio) {
            const bool huboCambios = resultado_.nuevos > 0 || resultado_.cambiados > 0;
            resultado_.avisos << woo->Termina(
                *cnWeb, huboCambios,
                cache.Sentencias(CacheTienda::kTermino,
                                 {woo->TipoSimple(), woo->SinExistencias(), woo->CategoriaPredeterminada()}));
        }
    } catch (...) {
        resultado_.fin = ResultadoEnvio::Fin::Fallo;
        // A connection lost in the middle of the send is named like one that would not open:
        // the error alone ("Lost connection...") says neither which database nor where.
        if (cnWeb && web && !cnWeb->Viva()) {
            AnotaSinAbrir(*web, false, resultado_);
            resultado_.caida = true;
        } else if (cnHost && host && !cnHost->Viva()) {
            AnotaSinAbrir(*host, true, resultado_);
            resultado_.caida = true;
        }
        if (enPantalla) finDelRecorrido();
        cierre();
        throw;
    }
    finDelRecorrido();
    cierre();
    return resultado_;
}

VistaPreviaEnvio clsProcedimenti::VistaPrevia() {
    VistaPreviaEnvio vista;
    std::shared_ptr<kesa5::BasesDD> web;
    if (!CrearObjeto(web, QStringLiteral("BasesDD")) || !G().BasesDD) return vista;
    const std::shared_ptr<kesa5::BasesDD> host = G().BasesDD;
    const Configuracion& cfg = Config();
    ApuntaALaTienda(*web, cfg);
    ConexionPtr cnHost, cnWeb;
    struct Cierre {
        kesa5::BasesDD& host;
        kesa5::BasesDD& web;
        ConexionPtr& a;
        ConexionPtr& b;
        ~Cierre() {
            host.CierraBdD(a);
            web.CierraBdD(b);
        }
    } cierre{*host, *web, cnHost, cnWeb};
    if (!host->AbrirBdD(cnHost, host->cMiBase)) {
        vista.motivo = host->cUltimoError;
        return vista;
    }
    if (!web->AbrirBdD(cnWeb, web->cMiBase)) {
        vista.motivo = web->cUltimoError;
        return vista;
    }

    const QString prefijo = cfg.PrefijoWeb;
    int paquete = 0;
    vista.avisos << TablasTienda::Comprueba(*cnWeb, prefijo, false, &paquete);
    vista.avisos << CacheTienda(prefijo).Detecta(*cnWeb);
    const LimitesLote limites = ParaElServidor(Lote, *cnWeb, paquete);
    const std::optional<WooCommerce> woo = WooCommerce::Detecta(*cnWeb, prefijo);
    LecturaPuntoDeVenta lectura = LeeProductosPuntoDeVenta(
        *cnHost, ConsultaProductos(ventana_, cfg.LineasMarcadas), cfg.NumeroPrecio, {});
    AnotaLectura(lectura, woo, vista.avisos);
    std::vector<ProductoEnvio>& productos = lectura.productos;
    vista.total = static_cast<int>(productos.size());
    const ReglasTienda reglas = woo ? woo->Reglas() : ReglasTienda{};
    PlanEnvio plan = LeeTiendaYPlanifica(*cnWeb, prefijo, productos, 0, limites, woo, {});
    const auto texto = [](const std::string& s) { return QString::fromStdString(s); };
    const auto motivo = [&](int producto, Valor cual) { return texto(MotivoDe(productos[size_t(producto)], cual, reglas)); };
    for (int desde = 0; desde < vista.total;) {
        const LotePlan lote = plan.Siguiente(desde);
        std::vector<bool> cambia(size_t(lote.cuenta()), false);
        for (int i : lote.omitidos) vista.avisos << Omitido(productos[size_t(i)], limites.paquete);
        for (const LotePlan::Nuevo& n : lote.nuevos) {
            vista.nuevos.push_back({texto(productos[size_t(n.producto)].clave), texto(n.titulo), n.nombre});
            cambia[size_t(n.producto - lote.desde)] = true;
        }
        for (const LotePlan::Fila& f : lote.filas) {
            const ProductoEnvio& p = productos[size_t(f.producto)];
            if (p.postId == 0) continue;  // a new product's rows: shown as the product
            const auto cual = static_cast<Valor>(std::find_if(kClavesValor.begin(), kClavesValor.end(), [&](const char* k) {
                                                     return qstrcmp(k, f.clave) == 0;
                                                 }) - kClavesValor.begin());
            vista.cambios.push_back({texto(p.clave), QLatin1String(f.clave), QString(), texto(f.valor), true,
                                     motivo(f.producto, cual)});
            cambia[size_t(f.producto - lote.desde)] = true;
        }
        for (const LotePlan::Cambio& c : lote.cambios) {
            vista.cambios.push_back({texto(productos[size_t(c.producto)].clave),
                                     QLatin1String(kClavesValor[size_t(c.cual)]), texto(c.antes), texto(c.despues), false,
                                     motivo(c.producto, c.cual)});
            cambia[size_t(c.producto - lote.desde)] = true;
        }
        // Stock the owner does not manage in the shop: the point of sale's is not written.
        for (int i = lote.desde; i < lote.hasta; ++i) {
            const ProductoEnvio& p = productos[size_t(i)];
            const ValorTienda& suya = p.tienda[size_t(Valor::Existencia)];
            if (reglas.woocommerce && p.postId != 0 && p.ajustes.gestion == AjustesTienda::Gestion::No &&
                suya.valor != p.existencia.value_or("0"))
                vista.notas.push_back({texto(p.clave), QStringLiteral("_stock se queda en %1, no %2 (%3)")
                                                          .arg(suya.metaId == 0 ? QStringLiteral("(no está)") : texto(suya.valor),
                                                               texto(p.existencia.value_or("0")),
                                                               motivo(i, Valor::Existencia))});
        }
        vista.cambiarian += static_cast<int>(std::count(cambia.begin(), cambia.end(), true));
        desde = lote.hasta;
    }
    vista.leida = true;
    return vista;
}
