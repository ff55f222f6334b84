#pragma once
#include <QString>
#include <functional>

// The one seam every message box of the program goes through. The window installs a
// QMessageBox-based answerer; the headless send and the tests install their own, so
// that nothing modal can block an unattended run.
namespace Dialogos {

// Button and icon flags and results, with the values of the classic message box.
enum : int {
    OkOnly = 0, YesNo = 4,
    Critical = 16, Question = 32, Exclamation = 48, Information = 64,
    DefaultButton2 = 256,
};
enum : int { ResultOk = 1, ResultYes = 6, ResultNo = 7 };

using Respondedor = std::function<int(const QString& prompt, int buttons, const QString& title)>;

// Installs the answerer and returns the one it replaces. It also answers the questions asked
// without waiting (below) until a deferred answerer is installed after it.
Respondedor instalar(Respondedor r);

// An answerer that shows its box and returns at once, calling `alResponder` with the result
// when the user answers: a question asked during a send must not stop it.
using AlResponder = std::function<void(int resultado)>;
// A box asked without waiting, while it is open: its question can outlive what it was about
// (a send that ended), so it can be closed unanswered (answered No) or its text changed.
// Both are empty when the question was answered at once.
struct CajaAbierta {
    std::function<void()> cerrar;
    std::function<void(const QString& prompt)> cambiaTexto;
};
using RespondedorDiferido =
    std::function<CajaAbierta(const QString& prompt, int buttons, const QString& title, AlResponder alResponder)>;
RespondedorDiferido instalarDiferido(RespondedorDiferido r);

// Asks without waiting: through the deferred answerer when there is one, otherwise through
// MsgBox, `alResponder` being called before it returns.
CajaAbierta MsgBoxSinEsperar(const QString& prompt, int buttons, const QString& title, AlResponder alResponder);

// Shows (or hands to the installed answerer) one message box; returns its result code.
// With no answerer installed it writes to standard error and answers No (or OK).
int MsgBox(const QString& prompt, int buttons, const QString& title);

// The plain title used where the program gives none.
QString tituloPrograma();

// The answer given where nobody can be asked: OK for a message, No for a question.
int respuestaPorDefecto(int buttons);

}
