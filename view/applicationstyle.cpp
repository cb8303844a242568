#include "view/applicationstyle.h"

#include <QIconEngine>
#include <QPointer>
#include <QStyleFactory>

#include <optional>

namespace corvane {

namespace {

// An icon that asks its style for the picture on first use.
class DeferredIconEngine : public QIconEngine {
  public:
    DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap icon) : m_style(style), m_icon(icon) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        picture().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return picture().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return picture().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return picture().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("deferred"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

  private:
    const QIcon& picture() {
        if (!m_picture) m_picture = m_style ? m_style->standardIcon(m_icon) : QIcon();
        return *m_picture;
    }

    QPointer<const QStyle> m_style;
    QStyle::StandardPixmap m_icon;
    std::optional<QIcon> m_picture;
};

}  // namespace

ApplicationStyle::ApplicationStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QIcon ApplicationStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new DeferredIconEngine(baseStyle(), icon));
    return QProxyStyle::standardIcon(icon, option, widget);
}

}  // namespace corvane
