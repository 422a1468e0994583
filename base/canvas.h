// TCanvas: what a grid's OnDrawColumnCell handler draws with: brush and font colours,
// FillRect, TextRect, and pictures copied with a transparent colour. It paints on the grid's
// QPainter for the duration of one cell.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <string>

class QPainter;

class TCanvas {
  public:
    explicit TCanvas(QPainter& painter) : m_painter(painter) {}

    struct TBrush {
        QColor Color = Qt::white;
    } Brush;
    struct TFont {
        QColor Color = Qt::black;
        bool Bold = false;
    } Font;

    QPainter& Painter() { return m_painter; }
    // Fills `rect` with Brush.Color.
    void FillRect(const QRect& rect);
    // Fills `rect` with the brush and writes `text` with its left top corner at (x, y), clipped
    // to `rect`.
    void TextRect(const QRect& rect, int x, int y, const std::string& text);
    // Copies `picture` with its left top corner at (x, y); pixels of `transparent` are not
    // drawn (the platform's transparent bitmap copy).
    void Draw(int x, int y, const QPixmap& picture, const QColor& transparent);
    void Draw(int x, int y, const QPixmap& picture);

  private:
    QPainter& m_painter;
};
