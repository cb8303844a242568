#pragma once

#include <QImage>

#include "view/bevelpanel.h"

namespace corvane {

// A unit's panel: a bevelled panel whose inside is the unit's picture, stretched. Mouse presses,
// moves and releases are reported in the coordinates of the picture area inside the bevel, with
// the panel's Tag (the unit) attached; a press captures the mouse until the release. The panel is
// no tab stop and a click does not focus it, but the arrow keys of the grid panel give it the
// focus, which it shows with a dotted rectangle inside the bevel; Space or Enter then selects it.
class UnitPanel : public BevelPanel {
    Q_OBJECT
  public:
    explicit UnitPanel(int tag, QWidget* parent = nullptr);

    int tag() const { return m_tag; }
    // The picture's bitmap. It keeps its own size and is stretched over the picture area.
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // The picture area, inside the bevel.
    int pictureWidth() const { return insideRect().width(); }
    int pictureHeight() const { return insideRect().height(); }
    // The selected unit's panel takes no click.
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    // The keyboard's click: chooses the unit unless it is selected already.
    void activate();

  Q_SIGNALS:
    void pressed(int tag);
    void moved(int tag, int x, int y, bool buttonHeld);
    void released(int tag, int x, int y);
    // Pressed and released over the picture while not selected: the operator chose this unit.
    void clicked(int tag);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPoint toPicture(const QMouseEvent* event) const;
    bool insidePicture(QPoint p) const;

    int m_tag;
    QImage m_picture;
    bool m_selected = false;
    bool m_pressed = false;
};

}  // namespace corvane
