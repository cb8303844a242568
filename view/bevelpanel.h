#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

namespace corvane {

enum class Bevel { None, Raised, Lowered };

// A panel with a raised or lowered bevel and an optional background over its inside (or over the
// whole panel, bevel included): a picture as large as that, or rows each of one colour.
class BevelPanel : public QWidget {
    Q_OBJECT
  public:
    explicit BevelPanel(QWidget* parent = nullptr);

    Bevel bevel() const { return m_bevel; }
    void setBevel(Bevel bevel);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    // A picture as large as the area, kept as an image: painted without a copy into a pixmap.
    void setBackground(const QImage& picture, bool coverBevel = false);
    // Rows each of one colour, given as a column one pixel wide (repeated downwards if the area is
    // taller): each row is filled, the same pixels as a picture as wide as the panel, without one.
    void setRowColours(const QImage& column, bool coverBevel = false);
    const QImage& rowColours() const { return m_rowColours; }
    // The rectangle inside the bevel.
    QRect insideRect() const {
        return rect().adjusted(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintPart(QPainter& p, const QRect& part);

    Bevel m_bevel = Bevel::Raised;
    int m_bevelWidth = 2;
    QImage m_backgroundImage;
    QImage m_rowColours;
    bool m_coverBevel = false;
};

}  // namespace corvane
