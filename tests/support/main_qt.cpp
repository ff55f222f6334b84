// GoogleTest main for every test program: an offscreen QApplication, so widgets work with
// no display, and a message-box answerer that fails the test instead of blocking it.
#include <QApplication>
#include <gtest/gtest.h>

#include "servicelib/Dialogos.h"
#include "platform/Registrar.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    RegistrarPlataforma();
    Dialogos::instalar([](const QString& prompt, int buttons, const QString& title) {
        ADD_FAILURE() << "unexpected message box [" << title.toStdString() << "] " << prompt.toStdString();
        return Dialogos::respuestaPorDefecto(buttons);
    });
    return RUN_ALL_TESTS();
}
