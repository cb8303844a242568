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

class PictureToolTipWindow;

enum class ToolTipBevel { Raised, Lowered, None, EdgeBump, EdgeEtched };

// Called before a hint pops up, with the hint window, the text (which it may change) and the
// control the hint belongs to.
using ToolTipHook = std::function<void(PictureToolTipWindow& sender, QString& hint, QWidget* control)>;

// The hint component of a window: once activated, every pop-up hint of the application is shown
// in a PictureToolTipWindow with this component's colour, font, bevel and picture. A window holds at
// most one; a second one is refused when it is created.
class PictureToolTips : public QObject {
    Q_OBJECT
  public:
    explicit PictureToolTips(QObject* owner);
    ~PictureToolTips() override;

    // The background of the tips; unless set, the desktop's tool-tip colour as it is at the time.
    QColor color() const;
    void setColor(const QColor& color) { m_color = color; }
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }
    // The widest a tip may be; -1 for the screen's width.
    int maxSize() const { return m_maxSize; }
    void setMaxSize(int pixels) { m_maxSize = pixels; }
    ToolTipBevel bevel() const { return m_bevel; }
    void setBevel(ToolTipBevel bevel) { m_bevel = bevel; }
    const ToolTipHook& hook() const { return m_hook; }
    void setHook(ToolTipHook hook) { m_hook = std::move(hook); }

    const QPixmap& picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    // One of the stored pictures (view/storedpictures), which also has a drawing for screens of
    // more device pixels than pixels.
    void setStoredPicture(const char* name);
    // The picture with the colour of its lower-left pixel made transparent.
    const QPixmap& transparentPicture() const { return m_transparentPicture; }
    // The same for a screen of `ratio` device pixels to the pixel, from the stored picture's sharper
    // drawing when it has one, made when first asked for.
    const QPixmap& transparentPicture(qreal ratio) const;

    // Makes the picture hint window the application's hint window; later calls do nothing.
    void activate();
    bool installed() const { return m_installed; }
    // The one hint window, once a hint has needed it.
    PictureToolTipWindow* hintWindow() const { return m_window.get(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showHint(QWidget* control, const QString& text, QPoint globalPos);
    void hideHint();

    QColor m_color;  // invalid: the palette's tool-tip colour
    QFont m_font;
    int m_maxSize = -1;
    ToolTipBevel m_bevel = ToolTipBevel::None;
    ToolTipHook m_hook;
    int m_borderWidth = 1;
    bool m_installed = false;
    QPixmap m_picture;
    QPixmap m_transparentPicture;
    const char* m_storedName = nullptr;
    mutable QPixmap m_sharpPicture;
    std::unique_ptr<PictureToolTipWindow> m_window;
    QTimer m_hideTimer;

    friend class PictureToolTipWindow;
};

// The pop-up hint window: the component's picture at the left, the text beside it, word-wrapped,
// inside the component's bevel.
class PictureToolTipWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PictureToolTipWindow(const PictureToolTips& component);

    // The size the window takes for a text when at most maxWidth pixels are available.
    QSize hintRect(int maxWidth, const QString& text) const;
    // Shows the text for the pointer at the given screen position: below it, on its screen.
    void showAt(QPoint pointer, QString text, QWidget* control);
    QString text() const { return m_text; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPointer<const PictureToolTips> m_component;
    QColor m_color;  // invalid: the palette's tool-tip colour
    QFont m_font;
    ToolTipHook m_onActivateHint;
    int m_borderWidth;
    QString m_text;
};

}  // namespace corvane
