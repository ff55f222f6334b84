#include "app/Icono.h"

#include <QPainter>
#include <QPixmap>

QIcon IconoPrograma() {
    QIcon icono;
    for (int lado : {16, 24, 32, 48, 64}) {
        QPixmap p(lado, lado);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        g.setBrush(QColor(0x1f, 0x4e, 0x79));
        g.setPen(Qt::NoPen);
        g.drawRoundedRect(QRectF(0, 0, lado, lado), lado / 5.0, lado / 5.0);
        g.setPen(Qt::white);
        QFont f = g.font();
        f.setBold(true);
        f.setPixelSize(lado * 3 / 4);
        g.setFont(f);
        g.drawText(QRect(0, 0, lado, lado), Qt::AlignCenter, QStringLiteral("M"));
        icono.addPixmap(p);
    }
    return icono;
}
