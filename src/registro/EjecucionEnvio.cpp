#include "registro/EjecucionEnvio.h"

#include "config/Estrucs.h"
#include "registro/BaseSinAbrir.h"
#include "registro/RegistroSoporte.h"
#include "registro/ResumenEnvio.h"
#include "sync/MotivoDeFin.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <exception>

namespace {

const QString kNoTermino = QStringLiteral("el envío no terminó: ");

// The face's window, watched on the way: the run keeps the key of the chunk under way, so an
// error that ends it names the product, without the face having to remember it.
class Testigo : public VentanaEnvio {
public:
    explicit Testigo(VentanaEnvio& cara) : cara_(cara) {}
    QString claveEnCurso;

    void envioIniciado() override { cara_.envioIniciado(); }
    void loteIniciado(int n, int m, const QString& clave, const QString& descripcion) override {
        claveEnCurso = clave;
        cara_.loteIniciado(n, m, clave, descripcion);
    }
    void loteEscrito(int n, int m, const QString& clave, const QString& descripcion) override {
        claveEnCurso.clear();
        cara_.loteEscrito(n, m, clave, descripcion);
    }
    void productoEnviado(int n, int m, const QString& clave, const QString& descripcion, Cambio cambio) override {
        cara_.productoEnviado(n, m, clave, descripcion, cambio);
    }
    void envioTerminado(const ResultadoEnvio& r) override { cara_.envioTerminado(r); }
    void setPorcenVisible(bool visible) override { cara_.setPorcenVisible(visible); }
    QObject* pctPorcen() override { return cara_.pctPorcen(); }
    void procesarEventos() override { cara_.procesarEventos(); }

    QString dato(int indice) const override { return cara_.dato(indice); }
    void setDato(int indice, const QString& texto) override { cara_.setDato(indice, texto); }
    void setTemporizador(bool activo) override { cara_.setTemporizador(activo); }
    void setInfo(const QString& texto) override { cara_.setInfo(texto); }
    void setImagenesVisible(bool visible) override { cara_.setImagenesVisible(visible); }
    void setImagenesMarcada(bool marcada) override { cara_.setImagenesMarcada(marcada); }
    int lineasCuenta() const override { return cara_.lineasCuenta(); }
    qint64 lineaId(int indice) const override { return cara_.lineaId(indice); }
    bool lineaMarcada(int indice) const override { return cara_.lineaMarcada(indice); }
    void setLineaMarcada(int indice, bool marcada) override { cara_.setLineaMarcada(indice, marcada); }
    void agregaLinea(qint64 id, const QString& nombre) override { cara_.agregaLinea(id, nombre); }
    void setLabel4(const QString& texto) override { cara_.setLabel4(texto); }

private:
    VentanaEnvio& cara_;
};

}

int EnvioTerminado::estadoSalida() const { return resultado.limpio() ? 0 : 1; }

QString EnvioTerminado::aviso() const {
    QStringList partes;
    if (!registrado.mensaje.isEmpty()) partes << registrado.mensaje;
    partes << resultado.avisos;
    if (!errorHistorial.isEmpty()) partes << errorHistorial;
    return partes.join(QStringLiteral("; "));
}

EjecucionEnvio::EjecucionEnvio(VentanaEnvio& cara, HistorialEnvios& historial, const RegistroSoporte& registro)
    : cara_(cara), historial_(historial), registro_(registro) {}

EnvioTerminado EjecucionEnvio::Ejecuta(bool& interrumpir, clsFTP* ftp) {
    EnvioTerminado t;
    Testigo testigo(cara_);
    clsProcedimenti proc(testigo);
    proc.Lote = Lote;
    ColeccionCampos campos;  // the send's signature takes the field relations; nothing fills them
    QElapsedTimer reloj;
    reloj.start();
    try {
        proc.EnviarProductos(campos, interrumpir, ftp);
    } catch (const std::exception& e) {
        t.error = QString::fromUtf8(e.what());
    } catch (...) {
        // Nothing may end the program from inside a send; what it was cannot be told.
        t.error = QStringLiteral("error desconocido");
    }
    const qint64 ms = reloj.elapsed();
    t.resultado = proc.Resultado();
    if (!t.error.isEmpty()) t.claveDelFallo = testigo.claveEnCurso;
    // Named like every other failure, wherever the error is shown.
    if (!t.error.isEmpty() && t.resultado.caida) t.error = BaseSinAbrir::TextoCaida(t.resultado.sinAbrir, t.error);
    QString motivo = t.error.isEmpty() ? MotivoDeFin(t.resultado) : kNoTermino + t.error;
    // A database that could not be opened is named, with where it is, why, and what to check.
    if (t.error.isEmpty() && t.resultado.fin == ResultadoEnvio::Fin::SinBaseDeDatos)
        motivo = BaseSinAbrir::Texto(t.resultado.sinAbrir) + QStringLiteral("; no se envió nada");
    else if (t.error.isEmpty() && t.resultado.fin == ResultadoEnvio::Fin::ConexionPerdida)
        motivo += QStringLiteral(" (") + BaseSinAbrir::Texto(t.resultado.sinAbrir) + QLatin1Char(')');
    t.registrado = EnvioRegistrado::De(t.resultado, QDateTime::currentDateTime(), ms, motivo);

    // The log: each warning once, the reason once, then the send (its warnings counted, not repeated).
    for (const QString& aviso : t.resultado.avisos) registro_.Escribe(QStringLiteral("aviso"), aviso);
    if (!motivo.isEmpty()) {
        const QString clave =
            t.claveDelFallo.isEmpty() ? QString() : QStringLiteral("clave ") + t.claveDelFallo + QStringLiteral(": ");
        registro_.Escribe(t.registrado.fallido() ? QStringLiteral("error") : QStringLiteral("aviso"), clave + motivo);
    }
    registro_.Escribe(QStringLiteral("envío"), ResumenEnvio::Linea(t.registrado, ResumenEnvio::Avisos::Contados));
    if (const QString error = historial_.Agrega(t.registrado); !error.isEmpty())
        t.errorHistorial = error + QStringLiteral("; el historial de envíos anterior se conserva");
    t.historialEscrito = t.errorHistorial.isEmpty();
    if (!t.historialEscrito) registro_.Escribe(QStringLiteral("aviso"), t.errorHistorial);
    return t;
}
