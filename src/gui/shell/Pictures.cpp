#include "gui/shell/Pictures.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <algorithm>

namespace Pictures {

namespace {

const QColor kGrey(96, 96, 96);
const QColor kOrange(0xFF, 0x80, 0x00);
const QColor kBlue(40, 110, 190);
const QColor kGreen(40, 150, 70);
const QColor kRed(200, 50, 40);

void drawGear(QPainter& p, double s) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    p.translate(s / 2, s / 2);
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-s * 0.07, -s * 0.42, s * 0.14, s * 0.2));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), s * 0.3, s * 0.3);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), s * 0.12, s * 0.12);
}

void drawPage(QPainter& p, double s, const QColor& mark) {
    p.setPen(QPen(kGrey, s / 16));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.2, s * 0.1, s * 0.5, s * 0.75));
    p.setPen(QPen(mark, s / 8));
    p.drawLine(QPointF(s * 0.62, s * 0.72), QPointF(s * 0.92, s * 0.72));
    p.drawLine(QPointF(s * 0.77, s * 0.57), QPointF(s * 0.77, s * 0.87));
}

void drawFolder(QPainter& p, double s) {
    p.setPen(QPen(kGrey, s / 16));
    p.setBrush(QColor(250, 205, 90));
    QPainterPath path;
    path.moveTo(s * 0.1, s * 0.25);
    path.lineTo(s * 0.4, s * 0.25);
    path.lineTo(s * 0.48, s * 0.35);
    path.lineTo(s * 0.9, s * 0.35);
    path.lineTo(s * 0.9, s * 0.82);
    path.lineTo(s * 0.1, s * 0.82);
    path.closeSubpath();
    p.drawPath(path);
}

void drawNetwork(QPainter& p, double s) {
    p.setPen(QPen(kGrey, s / 14));
    p.setBrush(kBlue);
    p.drawRect(QRectF(s * 0.38, s * 0.1, s * 0.24, s * 0.2));
    p.drawRect(QRectF(s * 0.08, s * 0.68, s * 0.24, s * 0.2));
    p.drawRect(QRectF(s * 0.68, s * 0.68, s * 0.24, s * 0.2));
    p.drawLine(QPointF(s * 0.5, s * 0.3), QPointF(s * 0.5, s * 0.5));
    p.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.8, s * 0.5));
    p.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.2, s * 0.68));
    p.drawLine(QPointF(s * 0.8, s * 0.5), QPointF(s * 0.8, s * 0.68));
}

void drawWave(QPainter& p, double s) {
    p.setPen(QPen(kBlue, s / 10, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 2; ++row) {
        QPainterPath path;
        const double y = s * (0.38 + row * 0.28);
        path.moveTo(s * 0.08, y);
        path.cubicTo(s * 0.3, y - s * 0.2, s * 0.4, y + s * 0.2, s * 0.6, y);
        path.cubicTo(s * 0.75, y - s * 0.15, s * 0.85, y + s * 0.1, s * 0.92, y);
        p.drawPath(path);
    }
}

void drawDownload(QPainter& p, double s, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPainterPath path;
    path.moveTo(s * 0.38, s * 0.1);
    path.lineTo(s * 0.62, s * 0.1);
    path.lineTo(s * 0.62, s * 0.45);
    path.lineTo(s * 0.82, s * 0.45);
    path.lineTo(s * 0.5, s * 0.78);
    path.lineTo(s * 0.18, s * 0.45);
    path.lineTo(s * 0.38, s * 0.45);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(kGrey);
    p.drawRect(QRectF(s * 0.12, s * 0.84, s * 0.76, s * 0.08));
}

void drawCheck(QPainter& p, double s) {
    p.setPen(QPen(kGreen, s / 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(
        QPolygonF({QPointF(s * 0.18, s * 0.52), QPointF(s * 0.42, s * 0.76), QPointF(s * 0.84, s * 0.24)}));
}

void drawCross(QPainter& p, double s, const QColor& colour) {
    p.setPen(QPen(colour, s / 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.22, s * 0.22), QPointF(s * 0.78, s * 0.78));
    p.drawLine(QPointF(s * 0.78, s * 0.22), QPointF(s * 0.22, s * 0.78));
}

void drawInfo(QPainter& p, double s) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(s * 0.5, s * 0.3), s * 0.07, s * 0.07);
    p.drawRoundedRect(QRectF(s * 0.43, s * 0.42, s * 0.14, s * 0.34), s * 0.04, s * 0.04);
}

// A white exclamation mark on a red disc or an orange triangle.
void drawAlert(QPainter& p, double s, bool error) {
    p.setPen(Qt::NoPen);
    if (error) {
        p.setBrush(kRed);
        p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    } else {
        p.setBrush(kOrange);
        p.drawPolygon(QPolygonF(
            {QPointF(s * 0.5, s * 0.04), QPointF(s * 0.97, s * 0.92), QPointF(s * 0.03, s * 0.92)}));
    }
    p.setBrush(Qt::white);
    const double top = error ? 0.2 : 0.3;
    p.drawRoundedRect(QRectF(s * 0.42, s * top, s * 0.16, s * (0.58 - top)), s * 0.05, s * 0.05);
    p.drawEllipse(QPointF(s * 0.5, s * 0.73), s * 0.085, s * 0.085);
}

void drawTriangle(QPainter& p, double s, bool down) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    if (down)
        p.drawPolygon(
            QPolygonF({QPointF(s * 0.15, s * 0.3), QPointF(s * 0.85, s * 0.3), QPointF(s * 0.5, s * 0.75)}));
    else
        p.drawPolygon(
            QPolygonF({QPointF(s * 0.3, s * 0.15), QPointF(s * 0.75, s * 0.5), QPointF(s * 0.3, s * 0.85)}));
}

void drawProduct(QPainter& p, double s) {
    p.setPen(QPen(kGrey, s / 40));
    p.setBrush(QColor(70, 80, 95));
    p.drawRoundedRect(QRectF(s * 0.1, s * 0.15, s * 0.8, s * 0.7), s * 0.06, s * 0.06);
    p.setBrush(kOrange);
    p.drawRect(QRectF(s * 0.1, s * 0.15, s * 0.8, s * 0.12));
    p.setPen(Qt::white);
    QFont f;
    f.setPixelSize(int(s * 0.14));
    f.setBold(true);
    const QString lines[] = {QStringLiteral("EtherNet/IP"), QStringLiteral("NMEA 0183")};
    // The texts stay inside the face whatever font stands in for the default one.
    const double face = s * 0.74;
    const double widest =
        std::max(QFontMetricsF(f).horizontalAdvance(lines[0]), QFontMetricsF(f).horizontalAdvance(lines[1]));
    if (widest > face)
        f.setPixelSize(std::max(1, int(f.pixelSize() * face / widest)));
    p.setFont(f);
    p.drawText(QRectF(s * 0.1, s * 0.32, s * 0.8, s * 0.2), Qt::AlignCenter, lines[0]);
    p.drawText(QRectF(s * 0.1, s * 0.55, s * 0.8, s * 0.2), Qt::AlignCenter, lines[1]);
}

QPixmap draw(Kind kind, int size) {
    QPixmap result(size, size);
    result.fill(Qt::transparent);
    QPainter p(&result);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (kind) {
    case Kind::Info:
        drawInfo(p, s);
        break;
    case Kind::Options:
        drawGear(p, s);
        break;
    case Kind::Close:
        drawCross(p, s, kRed);
        break;
    case Kind::NewConfiguration:
        drawPage(p, s, kGreen);
        break;
    case Kind::OpenConfiguration:
        drawFolder(p, s);
        break;
    case Kind::Communication:
        drawNetwork(p, s);
        break;
    case Kind::NmeaAccess:
        drawWave(p, s);
        break;
    case Kind::UpdateDevice:
        drawDownload(p, s, kOrange);
        break;
    case Kind::Ok:
        drawCheck(p, s);
        break;
    case Kind::Cancel:
        drawCross(p, s, kRed);
        break;
    case Kind::Execute:
        drawDownload(p, s, kGreen);
        break;
    case Kind::PanelExpanded:
        drawTriangle(p, s, true);
        break;
    case Kind::PanelCollapsed:
        drawTriangle(p, s, false);
        break;
    case Kind::Product:
        drawProduct(p, s);
        break;
    case Kind::ReviewError:
        drawAlert(p, s, true);
        break;
    case Kind::ReviewWarning:
        drawAlert(p, s, false);
        break;
    case Kind::ReviewNote:
        drawInfo(p, s);
        break;
    }
    return result;
}

} // namespace

QPixmap picture(Kind kind, int size) {
    // Several buttons show the same picture; it is drawn once.
    const QString key = QStringLiteral("tessellor/picture/%1/%2").arg(int(kind)).arg(size);
    QPixmap result;
    if (!QPixmapCache::find(key, &result)) {
        result = draw(kind, size);
        QPixmapCache::insert(key, result);
    }
    return result;
}

} // namespace Pictures
