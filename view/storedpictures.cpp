#include "view/storedpictures.h"

#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>

#include "view/jpegdecoder.h"

// The pictures are compiled into this static library; they are registered before the first read.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

namespace corvane {

namespace {

QString ResourcePath(const char* name) {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    return QStringLiteral(":/") + QString::fromLatin1(name);
}

// "lamp-on.png" drawn at twice the size: "lamp-on@2x.png".
QByteArray SharpName(const char* name) {
    QByteArray sharp(name);
    const qsizetype dot = sharp.lastIndexOf('.');
    return sharp.insert(dot < 0 ? sharp.size() : dot, "@2x");
}

// Delegates to an icon of the stored picture, and above ratio 1 to one of its @2x drawing, which
// scales it down smoothly for ratios between 1 and 2 (a picture drawn for 2x and made smaller keeps
// sharper edges than one drawn for 1x and made larger).
class StoredIconEngine final : public QIconEngine {
  public:
    explicit StoredIconEngine(const char* name) : m_name(name), m_normal(StoredPixmap(name)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_normal.pixmap(size, 1.0, mode, state);
    }
    // `size` is in device pixels, `scale` the ratio.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        if (scale <= 1.0) return pixmap(size, mode, state);
        if (m_sharp.isNull()) m_sharp = QIcon(QPixmap::fromImage(StoredImage(SharpName(m_name).constData())));
        return m_sharp.isNull() ? pixmap(size, mode, state) : m_sharp.pixmap(size, 1.0, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatio();
        if (ratio <= 1.0) return m_normal.paint(painter, rect, Qt::AlignCenter, mode, state);
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_normal.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return m_normal.availableSizes(mode, state);
    }
    bool isNull() override { return m_normal.isNull(); }
    QIconEngine* clone() const override { return new StoredIconEngine(*this); }

  private:
    const char* m_name;
    QIcon m_normal;
    QIcon m_sharp;
};

// The first column of a picture whose rows are each one colour.
QImage FirstColumn(const QImage& picture) {
    return picture.isNull() ? QImage() : picture.copy(0, 0, 1, picture.height());
}

}  // namespace

// Every stored picture but the panel background is a PNG. Without guessing, the reader goes
// straight to the built-in PNG reader instead of asking every image plug-in first whether it reads
// the picture better.
QImage StoredImage(const char* name) {
    QImageReader reader(ResourcePath(name), "PNG");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap StoredPixmap(const char* name) {
    return QPixmap::fromImage(StoredImage(name));
}

QImage StoredImage(const char* name, qreal ratio) {
    if (ratio <= 1.0) return StoredImage(name);
    QImage sharp = StoredImage(SharpName(name).constData());
    if (sharp.isNull()) return sharp;
    if (ratio != 2.0) {
        const QSize size = sharp.size() / 2;
        sharp = sharp.scaled(qRound(size.width() * ratio), qRound(size.height() * ratio),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    sharp.setDevicePixelRatio(ratio);
    return sharp;
}

QIcon StoredIcon(const char* name) {
    return QIcon(new StoredIconEngine(name));
}

QImage StoredBackground(const char* name) {
    return FirstColumn(StoredImage(name));
}

QImage PanelBackground() {
    QFile file(ResourcePath("panel-background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::optional<QImage> picture = DecodeJpeg(file.readAll(), nullptr, JpegColumns::FirstOnly);
    return picture ? FirstColumn(*picture) : QImage();
}

}  // namespace corvane
