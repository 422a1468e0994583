#include "meeting/reuniao_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace reuniao {

namespace {

constexpr int kSize = 16;

QPixmap blank(const QColor& background = Qt::transparent) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(background);
    return pixmap;
}

void drawBox(QPainter& p) {
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
}

void drawTick(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(4.5, 8);
    path.lineTo(7, 10.5);
    path.lineTo(11.5, 5);
    p.drawPath(path);
}

// A page of a day calendar with a coloured header band.
void drawCalendar(QPainter& p, const QColor& band) {
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, band);
    p.setPen(QColor(120, 120, 120));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 11; x += 3)
            p.drawPoint(x, y);
}

void drawDisc(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
}

void drawCross(QPainter& p, const QColor& colour, qreal from, qreal to) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(from, from), QPointF(to, to));
    p.drawLine(QPointF(from, to), QPointF(to, from));
}

void drawPerson(QPainter& p, qreal x, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(x + 1.5, 2, 4, 4));
    p.drawRoundedRect(QRectF(x, 7, 7, 7), 2, 2);
}

QPixmap draw(ReuniaoImage image) {
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
        case imgMeeting:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(150, 100, 50));
            p.drawRoundedRect(QRectF(3, 6, 10, 4), 1, 1);
            p.setBrush(QColor(40, 90, 160));
            for (qreal x : {1.0, 12.0})
                p.drawEllipse(QRectF(x, 6.5, 3, 3));
            for (qreal x : {5.0, 9.0})
                p.drawEllipse(QRectF(x, 2, 3, 3));
            p.drawEllipse(QRectF(6.5, 11, 3, 3));
            break;
        case imgGoToDay:
            drawCalendar(p, QColor(40, 90, 160));
            p.setPen(QPen(QColor(200, 60, 0), 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 10), QPointF(12, 10));
            p.drawLine(QPointF(10, 8), QPointF(12, 10));
            p.drawLine(QPointF(10, 12), QPointF(12, 10));
            break;
        case imgToday:
            drawCalendar(p, QColor(200, 40, 40));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(200, 40, 40));
            p.drawEllipse(QRectF(5.5, 7.5, 5, 5));
            break;
        case imgConcluded:
            drawDisc(p, QColor(160, 160, 160));
            drawTick(p, Qt::white);
            break;
        case imgPending:
            drawDisc(p, QColor(0, 0, 128));
            p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
            p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
            break;
        case imgCancelled:
            drawDisc(p, QColor(128, 0, 0));
            drawCross(p, Qt::white, 5.5, 10.5);
            break;
        case imgInProgress:
            drawDisc(p, QColor(0, 128, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF({QPointF(6.5, 5), QPointF(11.5, 8), QPointF(6.5, 11)}));
            break;
        case imgFilter:
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(230, 190, 60));
            p.drawPolygon(QPolygonF({QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8),
                                     QPointF(9.5, 14), QPointF(6.5, 12), QPointF(6.5, 8)}));
            break;
        case imgImport:
            p.setPen(QPen(QColor(70, 70, 70), 1));
            p.setBrush(QColor(250, 250, 235));
            p.drawRect(QRectF(5.5, 1.5, 9, 12));
            p.setPen(QPen(QColor(0, 120, 0), 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(1, 9), QPointF(8, 9));
            p.drawLine(QPointF(5.5, 6.5), QPointF(8, 9));
            p.drawLine(QPointF(5.5, 11.5), QPointF(8, 9));
            break;
        case imgParticipants:
            drawPerson(p, 0.5, QColor(40, 90, 160));
            drawPerson(p, 8.5, QColor(40, 130, 90));
            break;
        case imgCancelMeeting:
            drawCalendar(p, QColor(40, 90, 160));
            drawCross(p, QColor(200, 0, 0), 5, 12);
            break;
        case imgReuniaoCount:
            break;
    }
    p.end();
    return pixmap;
}

}  // namespace

// The caches live until the process ends and are never destroyed: a QPixmap must not be
// released after the application object is gone.
QPixmap CheckedPicture() {
    static const QPixmap& pixmap = *new QPixmap([] {
        QPixmap pm = blank(TransparentColor());
        QPainter p(&pm);
        drawBox(p);
        drawTick(p, Qt::black);
        p.end();
        return pm;
    }());
    return pixmap;
}

QPixmap UncheckedPicture() {
    static const QPixmap& pixmap = *new QPixmap([] {
        QPixmap pm = blank(TransparentColor());
        QPainter p(&pm);
        drawBox(p);
        p.end();
        return pm;
    }());
    return pixmap;
}

QPixmap ReuniaoPicture(ReuniaoImage image) {
    static auto& cache = *new std::array<QPixmap, imgReuniaoCount>();
    if (image < 0 || image >= imgReuniaoCount) return blank();
    QPixmap& slot = cache[image];
    if (slot.isNull()) slot = draw(image);
    return slot;
}

QIcon ReuniaoIcon(ReuniaoImage image) {
    return QIcon(ReuniaoPicture(image));
}

}  // namespace reuniao
