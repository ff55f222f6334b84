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

// Installs the answerer and returns the one it replaces.
Respondedor instalar(Respondedor r);

// Shows (or hands to the installed answerer) one message box; returns its result code.
// With no answerer installed it writes to standard error and answers No (or OK).
int MsgBox(const QString& prompt, int buttons, const QString& title);

// The plain title used where the program gives none.
QString tituloPrograma();

// The answer given where nobody can be asked: OK for a message, No for a question.
int respuestaPorDefecto(int buttons);

}
