#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QTextLayout>
#include <QWidget>

namespace corvane {

// A transparent label that draws its caption from an origin point at an angle (degrees,
// counter-clockwise), clipped to its own rectangle, optionally with a shadow: first in the
// button-shadow colour 2 pixels right and 1 lower, then in its own colour. With `centred` set the
// caption is drawn horizontally in the middle of the label instead.
class AngledLabel : public QWidget {
    Q_OBJECT
  public:
    explicit AngledLabel(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    int angle() const { return m_angle; }
    void setAngle(int degrees);
    QPoint origin() const { return m_origin; }
    void setOrigin(QPoint origin);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    void setShadowed(bool shadowed);
    void setCentred(bool centred);
    void setLabelFont(const QFont& font);

  protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void captionOrFontChanged();
    void layOutCaption();

    QString m_caption;
    int m_angle = 0;
    QPoint m_origin;
    QColor m_color = Qt::black;
    bool m_shadowed = true;
    bool m_centred = false;
    // The caption shaped once for every paint (each paints it twice, with its shadow); laid out
    // again when the caption or the font changes, and only once the label is painted.
    QTextLayout m_layout;
    int m_ascent = 0;
    bool m_laidOut = false;
};

}  // namespace corvane
