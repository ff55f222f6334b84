// The schedule's counting as a table of cases, without a window: the main window's tests
// keep only its wiring (the timer, the label, the button).
#include "registro/Programacion.h"

#include <gtest/gtest.h>

namespace {

TEST(Programacion, TicksCountDownAndFallDueOnTheTickThatReachesTheInterval) {
    struct Caso {
        const char* que;
        int intervalo, minutos, segundos;  // before the tick
        QString texto;                     // the label after it
        bool vence;
    };
    const Caso casos[] = {
        {"first tick of one minute", 1, 0, 0, QStringLiteral("0 hors. 0 min. 59 segs."), false},
        {"last tick before it", 1, 0, 58, QStringLiteral("0 hors. 0 min. 1 segs."), false},
        {"the 60th tick: zero shown, then due", 1, 0, 59, QStringLiteral("0 hors. 0 min. 0 segs."), true},
        {"ninety minutes", 90, 0, 0, QStringLiteral("1 hors. 29 min. 59 segs."), false},
        {"more seconds than 16 bits hold", 600, 0, 1, QStringLiteral("9 hors. 59 min. 58 segs."), false},
        {"interval lowered below the minutes counted: no negative time, due", 2, 5, 0,
         QStringLiteral("0 hors. 0 min. 0 segs."), true},
        {"minute boundary", 10, 3, 59, QStringLiteral("0 hors. 6 min. 0 segs."), false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Programacion p;
        p.Minutos = c.minutos;
        p.Segundos = c.segundos;
        p.Avanza();
        EXPECT_EQ(p.TextoRestante(c.intervalo), c.texto);
        EXPECT_EQ(p.Vence(c.intervalo), c.vence);
        if (c.vence) {
            EXPECT_EQ(p.Minutos * 60 + p.Segundos, 0) << "counts again from zero";
        }
    }
}

TEST(Programacion, ASendByHandKeepsTheMinutesAndADueSendWaitsForTheRunningOne) {
    Programacion p;
    for (int i = 0; i < 200; ++i) p.Avanza();
    EXPECT_EQ(p.TextoRestante(10), QStringLiteral("0 hors. 6 min. 40 segs."));
    p.EnvioEmpieza();  // "Enviar ahora" 3 min 20 s into a 10-minute interval
    EXPECT_EQ(p.Minutos, 3);
    EXPECT_EQ(p.Segundos, 0);
    p.Avanza();
    EXPECT_EQ(p.TextoRestante(10), QStringLiteral("0 hors. 6 min. 59 segs."));

    EXPECT_FALSE(p.TomaPendiente());
    p.Aplaza();
    EXPECT_TRUE(p.TomaPendiente());
    EXPECT_FALSE(p.TomaPendiente()) << "asked once, it runs once";
}

}
