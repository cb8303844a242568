#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace corvane {

class PictureHintWindow;

enum THintBevel { hbRaised, hbLowered, hbNone, hbEdgeBump, hbEdgeEtChed };

// Called before a hint pops up, with the hint window, the text (which it may change) and the
// control the hint belongs to.
using TActivateHintEvent = std::function<void(PictureHintWindow& sender, QString& hint, QWidget* control)>;

// The hint component of a window: once activated, every pop-up hint of the application is shown
// in a PictureHintWindow with this component's colour, font, bevel and picture. A window holds at
// most one; a second one is refused when it is created.
class THintComponent : public QObject {
    Q_OBJECT
  public:
    explicit THintComponent(QObject* owner);
    ~THintComponent() override;

    QColor Color;
    QFont Font;
    int MaxSize = -1;
    THintBevel Bevel = hbNone;
    TActivateHintEvent OnActivateHint;

    const QPixmap& Picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    // The picture with the colour of its lower-left pixel made transparent.
    const QPixmap& transparentPicture() const { return m_transparentPicture; }

    // Makes the picture hint window the application's hint window; later calls do nothing.
    void Activate();
    bool installed() const { return m_installed; }
    // The one hint window, once a hint has needed it.
    PictureHintWindow* hintWindow() const { return m_window.get(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showHint(QWidget* control, const QString& text, QPoint globalPos);
    void hideHint();

    int m_borderWidth = 1;
    bool m_installed = false;
    QPixmap m_picture;
    QPixmap m_transparentPicture;
    std::unique_ptr<PictureHintWindow> m_window;
    QTimer m_hideTimer;

    friend class PictureHintWindow;
};

// The pop-up hint window: the component's picture at the left, the text beside it, word-wrapped,
// inside the component's bevel.
class PictureHintWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PictureHintWindow(const THintComponent& component);

    // The size the window takes for a text when at most maxWidth pixels are available.
    QSize CalcHintRect(int maxWidth, const QString& text) const;
    // Shows the text for the pointer at the given screen position: below it, on its screen.
    void ActivateHint(QPoint pointer, QString text, QWidget* control);
    QString text() const { return m_text; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPointer<const THintComponent> m_component;
    QColor m_color;
    QFont m_font;
    TActivateHintEvent m_onActivateHint;
    int m_borderWidth;
    QString m_text;
};

}  // namespace corvane
