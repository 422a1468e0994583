#include "base/canvas.h"

#include <QBitmap>
#include <QPainter>

void TCanvas::FillRect(const QRect& rect) {
    m_painter.fillRect(rect, Brush.Color);
}

void TCanvas::TextRect(const QRect& rect, int x, int y, const std::string& text) {
    FillRect(rect);
    m_painter.save();
    m_painter.setClipRect(rect);
    QFont font = m_painter.font();
    font.setBold(Font.Bold);
    m_painter.setFont(font);
    m_painter.setPen(Font.Color);
    const QFontMetrics metrics(font);
    m_painter.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
    m_painter.restore();
}

void TCanvas::Draw(int x, int y, const QPixmap& picture, const QColor& transparent) {
    QPixmap copy = picture;
    copy.setMask(picture.createMaskFromColor(transparent, Qt::MaskInColor));
    m_painter.drawPixmap(x, y, copy);
}

void TCanvas::Draw(int x, int y, const QPixmap& picture) {
    m_painter.drawPixmap(x, y, picture);
}
