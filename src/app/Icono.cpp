#include "app/Icono.h"

#include <QPainter>
#include <QPen>
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

QIcon IconoAviso() {
    const QIcon base = IconoPrograma();
    QIcon icono;
    for (int lado : {16, 24, 32, 48, 64}) {
        QPixmap p = base.pixmap(lado, lado);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        const double s = lado * 0.6, x = lado - s, y = lado - s;
        const QPointF triangulo[3] = {{x + s / 2, y}, {x + s, y + s}, {x, y + s}};
        g.setPen(QPen(Qt::black, std::max(1.0, lado / 32.0)));
        g.setBrush(QColor(0xff, 0xb0, 0x00));
        g.drawPolygon(triangulo, 3);
        g.setPen(QPen(Qt::black, std::max(1.5, lado / 12.0), Qt::SolidLine, Qt::RoundCap));
        g.drawLine(QPointF(x + s / 2, y + s * 0.35), QPointF(x + s / 2, y + s * 0.65));
        g.drawPoint(QPointF(x + s / 2, y + s * 0.82));
        icono.addPixmap(p);
    }
    return icono;
}
