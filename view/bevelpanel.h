#pragma once

#include <QPixmap>
#include <QWidget>

class QPainter;

namespace corvane {

enum class Bevel { None, Raised, Lowered };

// A panel with a raised or lowered bevel and an optional picture over its inside (or over the whole
// panel, bevel included): a picture as large as that, or a strip repeated sideways over it.
class BevelPanel : public QWidget {
    Q_OBJECT
  public:
    explicit BevelPanel(QWidget* parent = nullptr);

    Bevel bevel() const { return m_bevel; }
    void setBevel(Bevel bevel);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    void setBackground(const QPixmap& picture, bool coverBevel = false);
    // A picture as large as the area, kept as an image: painted without a copy into a pixmap.
    void setBackground(const QImage& picture, bool coverBevel = false);
    const QPixmap& background() const { return m_background; }
    // The rectangle inside the bevel.
    QRect insideRect() const {
        return rect().adjusted(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintPart(QPainter& p);

    Bevel m_bevel = Bevel::Raised;
    int m_bevelWidth = 2;
    QPixmap m_background;
    QImage m_backgroundImage;
    bool m_coverBevel = false;
};

}  // namespace corvane
