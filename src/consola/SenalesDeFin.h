#pragma once
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

// TERM and INT (a timeout, systemd stopping the service, the end of the session, Ctrl-C) are
// taken as the user's "Interrumpir" instead of ending the process on the spot: the send then
// finishes the chunk in flight, records itself and the program ends as it always does.
//
// The signal handler only writes the signal's number into a pipe (nothing else is safe inside
// a handler); the pipe's notifier calls `alRecibir` from the event loop, so it runs wherever
// the program lets events through (the send does between chunks and during its reads). A
// second signal of the same kind ends the process at once, for whoever will not wait.
// One object at a time.
//
// On Windows (SenalesDeFinWindows.cpp) the console's events take their place: Ctrl+C and
// Ctrl+Break are "INT"; closing the console is "TERM", and for it the system's handler thread
// holds the process (up to the few seconds Windows grants) until this object goes away, so the
// send can record itself first. Logging off and shutting down reach a program that shows
// windows as a question to its windows (WM_QUERYENDSESSION), not as a console event: a hidden
// window of this object's takes it as "TERM" and, while `ocupado` says work is under way,
// refuses the end of the session with a reason Windows shows, until the program has ended.
class SenalesDeFin : public QObject {
public:
    // `ocupado`: whether the end of the session must wait (by default, while this object lives).
    explicit SenalesDeFin(
        std::function<void(const QString& senal)> alRecibir, std::function<bool()> ocupado = [] { return true; });
    ~SenalesDeFin() override;
    SenalesDeFin(const SenalesDeFin&) = delete;
    SenalesDeFin& operator=(const SenalesDeFin&) = delete;

    // Takes TERM and INT (Windows: the console's events) from here on, before the object
    // exists: one that comes while the program is still starting waits for the object, which
    // hands it on once the event loop runs, instead of ending the process by default. Called
    // first thing in main; the constructor calls it too.
    static void Anticipa();

    // The signal received, "TERM" or "INT"; empty while none has come.
    const QString& Recibida() const { return recibida_; }
    // Hands a received signal to `alRecibir`, on this object's thread.
    void Entrega(const QString& senal);
    // Whether the end of the session must wait for the program now.
    bool Ocupado() const { return ocupado_ && ocupado_(); }

private:
    void lee();

    std::function<void(const QString&)> alRecibir_;
    std::function<bool()> ocupado_;
    QSocketNotifier* notificador_ = nullptr;  // Linux: the pipe's reading end
    QString recibida_;
};
