#pragma once
#include <QDateTime>
#include <QList>
#include <QString>

struct ResultadoEnvio;

// One send as the history keeps it: what the main tab, the icon, the log and
// "moravi -historial" tell about it.
struct EnvioRegistrado {
    QDateTime fin;          // when it ended (local time)
    qint64 duracionMs = 0;  // how long it took
    int enviados = 0, total = 0, nuevos = 0, cambiados = 0;
    // "completo", "interrumpido", "otro-envio", "sin-base", "conexion-perdida" or "fallo".
    QString resultado;
    QString mensaje;       // why it did not finish (empty when it did)
    QString avisos;        // what it noted without stopping (a value the shop cut...), joined by "; "
    int cuentaAvisos = 0;  // how many there were

    bool completo() const { return resultado == QLatin1String("completo"); }
    // A send that a fault ended (not the user, not another send's turn): the icon warns until
    // a send succeeds.
    bool fallido() const {
        return resultado == QLatin1String("fallo") || resultado == QLatin1String("sin-base") ||
               resultado == QLatin1String("conexion-perdida");
    }

    // The record of a run: `mensaje` is the reason of a send that did not finish, empty
    // otherwise; the warnings come from the run's result.
    static EnvioRegistrado De(const ResultadoEnvio& r, const QDateTime& fin, qint64 duracionMs, const QString& mensaje);
};

// The last sends, newest first, in a small file of the program's own beside its settings
// (`<program>-historial.json`). Every change rereads the file under a lock and writes it whole
// through a checked and synced temporary file renamed into place (EscrituraSegura), so the
// window and a scheduled "-enviar" can both add to it, and neither a crash nor a full disk
// leaves half a file.
class HistorialEnvios {
public:
    static constexpr int kMaximo = 50;
    // Longest reason kept per send, and the largest file read back (anything larger is no
    // file of ours).
    static constexpr int kMaximoMensaje = 500;
    static constexpr qint64 kMaximoBytes = 256 * 1024;

    explicit HistorialEnvios(const QString& ruta) : ruta_(ruta) {}
    // The history file beside the settings file `archivoIni` (moravi.ini -> moravi-historial.json).
    static QString RutaJunto(const QString& archivoIni);

    // Reads the file. One that cannot be read as a history is renamed aside
    // (`...json.danado`, keeping the one before) and the history starts empty; the text
    // returned then says so, otherwise it is empty.
    QString Cargar();
    // Puts `envio` first, keeps the newest kMaximo and saves. Returns "" when saved, otherwise
    // why not, in words for the user: the file then stays as it was (the history in memory
    // still holds the send).
    QString Agrega(const EnvioRegistrado& envio);

    // Newest first: the last kMaximo sends, then the last complete one when it is older.
    const QList<EnvioRegistrado>& Envios() const { return envios_; }
    // The newest complete send, or nullptr when there is none.
    const EnvioRegistrado* UltimoCompleto() const;
    const QString& Ruta() const { return ruta_; }

private:
    QString ruta_;
    QList<EnvioRegistrado> envios_;
};
