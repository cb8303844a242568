#pragma once

#include <QProxyStyle>

namespace corvane {

// The look of the window's menu bar and tool bar on top of the application's style: menu titles
// on the button face, centred in the bar's height, black on white for the highlighted one, and
// one line along the bar's bottom edge; the tool bar on the button face with an edge all round.
class BarStyle : public QProxyStyle {
    Q_OBJECT
  public:
    // On a fresh instance of the application's style, for a menu bar menuBarHeight pixels high.
    explicit BarStyle(int menuBarHeight);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override;

  private:
    int m_menuBarHeight;
};

}  // namespace corvane
