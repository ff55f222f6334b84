// Takes the README's pictures of the real window: the main tab (after a send and during one)
// and the configuration tab.
// Run by scripts/capturas under Xvfb, in a program folder laid out like the demo's.
//   moravi_capturas <program folder> <output folder>
#include "app/Mensajes.h"
#include "app/PestanaConfiguracion.h"
#include "app/PestanaPrincipal.h"
#include "app/PestanaRelacion.h"
#include "app/frmInicial.h"
#include "platform/Registrar.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QProgressBar>
#include <QThread>
#include <cstdio>

namespace {
void espera(int ms) {
    for (int i = 0; i < ms / 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: moravi_capturas <carpeta del programa> <carpeta de salida>\n");
        return 2;
    }
    RegistrarPlataforma();
    // Absolute now: start-up makes the program folder the current one.
    const QString salida = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(salida);
    frmInicial w;
    InstalarRespondedorVentana(&w);
    if (!w.Cargar({QStringLiteral("moravi"), QStringLiteral("-torva")}, QString::fromLocal8Bit(argv[1]))) return 1;
    w.move(0, 0);
    w.show();
    w.activateWindow();
    espera(800);
    // One send from the window, so the main tab shows its last send and the history; taken
    // once in the middle too, with its progress bar (small chunks so there is a middle).
    w.LoteEnvio.productos = 4;
    bool enMedio = false;
    // Queued: taken at the send's next pause for pending input, once the bar shows its text.
    QObject::connect(w.principal->barEnvio, &QProgressBar::valueChanged, &w, [&](int valor) {
        if (enMedio || valor <= 0 || valor >= w.principal->barEnvio->maximum() || !w.principal->barEnvio->isVisible()) return;
        enMedio = w.grab().save(salida + QStringLiteral("/enviando.png"));
    }, Qt::QueuedConnection);
    w.principal->cmdLeerAhora->click();
    espera(300);
    w.principal->lblInfo->setText(QStringLiteral("0 hors. 4 min. 59 segs."));
    espera(300);
    bool ok = w.grab().save(salida + QStringLiteral("/ventana-principal.png"));
    w.principal->cmdConfigurar->click();
    espera(500);
    ok = w.grab().save(salida + QStringLiteral("/configuracion.png")) && ok && enMedio;
    w.Descargar();
    return ok ? 0 : 1;
}
