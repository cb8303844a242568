#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPalette>
#include <QString>
#include <QStyle>
#include <QToolButton>
#include <cstdlib>

#include "formfixture.h"
#include "tools/makepictures/palette.h"
#include "view/applicationstyle.h"
#include "view/crosspointbutton.h"
#include "view/jpegdecoder.h"
#include "view/picturetooltips.h"
#include "view/recallpanel.h"
#include "view/storedpictures.h"
#include "view/unitpanel.h"

using namespace corvane;

// The pictures are compiled into the widgets library; the program registers them the same way.
static void initPictures() {
    Q_INIT_RESOURCE(resources);
}

namespace {

class Pictures : public testing::Test {
  protected:
    static void SetUpTestSuite() { initPictures(); }

    static QImage load(const char* name) {
        QImage image(QStringLiteral(":/") + QString::fromLatin1(name));
        EXPECT_FALSE(image.isNull()) << name;
        return image;
    }
};

bool near(QRgb pixel, palette::Rgb want, int tolerance) {
    return std::abs(qRed(pixel) - want.r) <= tolerance && std::abs(qGreen(pixel) - want.g) <= tolerance &&
           std::abs(qBlue(pixel) - want.b) <= tolerance;
}

}  // namespace

TEST_F(Pictures, EveryPictureIsListedWithItsSize) {
    struct Case {
        const char* name;
        int width, height;
        bool transparent;
    };
    const Case cases[] = {
        {"panel-background.jpg", 781, 406, false},
        {"recall-background.png", 1, 86, false},
        {"unit-normal.png", 126, 40, false},
        {"unit-selected.png", 126, 40, false},
        {"lamp-on.png", 20, 20, true},
        {"lamp-off.png", 20, 20, true},
        {"digit-1.png", 16, 16, false},
        {"digit-2.png", 16, 16, false},
        {"digit-3.png", 16, 16, false},
        {"digit-4.png", 16, 16, false},
        {"digit-5.png", 16, 16, false},
        {"hint.png", 32, 32, false},
        {"open.png", 16, 16, true},
        {"save.png", 16, 16, true},
        {"exit.png", 16, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = load(c.name);
        EXPECT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(image.hasAlphaChannel(), c.transparent);
        if (c.transparent) {
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        }
        // Every picture the window paints at its own size has a drawing at twice the size, which
        // screens above ratio 1 paint; the backgrounds are filled row by row at any ratio.
        if (QByteArray(c.name).endsWith("background.png") || QByteArray(c.name).endsWith(".jpg")) continue;
        const QByteArray sharpName = QByteArray(c.name).replace(".png", "@2x.png");
        const QImage sharp = load(sharpName.constData());
        EXPECT_EQ(sharp.size(), image.size() * 2);
        EXPECT_EQ(sharp.hasAlphaChannel(), c.transparent);
        // The same picture: made small again it stays close to the stored one.
        const QImage small = sharp.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(image.format());
        const QPoint middle(image.width() / 2, image.height() / 2);
        EXPECT_NEAR(qGray(small.pixel(middle)), qGray(image.pixel(middle)), 40);
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon =
            load(qPrintable(QStringLiteral("icons/hicolor/%1x%1/apps/corvane.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/corvane.svg")));
}

TEST_F(Pictures, GradientsRunTheWayTheWindowsExpect) {
    const QImage normal = load("unit-normal.png");
    EXPECT_TRUE(near(normal.pixel(0, 20), palette::kUnitNormalLeft, 2));
    EXPECT_TRUE(near(normal.pixel(125, 20), palette::kUnitNormalRight, 2));
    const QImage selected = load("unit-selected.png");
    EXPECT_TRUE(near(selected.pixel(0, 0), palette::kUnitSelectedLeft, 2));
    EXPECT_TRUE(near(selected.pixel(125, 39), palette::kUnitSelectedRight, 2));
    const QImage recall = load("recall-background.png");
    EXPECT_TRUE(near(recall.pixel(0, 0), palette::kRecallTop, 2));
    EXPECT_TRUE(near(recall.pixel(0, 85), palette::kRecallBottom, 2));
}

TEST_F(Pictures, HintPictureKeysOutOnlyItsBorder) {
    const QImage hint = load("hint.png");
    const QRgb key = hint.pixel(0, hint.height() - 1);
    EXPECT_TRUE(near(key, palette::kHintKey, 0));
    // The key colour must not appear inside the dot matrix, or holes would show through it.
    for (int y = 1; y < 31; ++y)
        for (int x = 1; x < 31; ++x) ASSERT_NE(hint.pixel(x, y), key) << x << "," << y;
}

TEST_F(Pictures, GridBackgroundDecodesFromTheResources) {
    QFile file(QStringLiteral(":/panel-background.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::string error;
    const auto image = DecodeJpeg(file.readAll(), &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->size(), QSize(palette::kPanelWidth, palette::kPanelHeight));
    EXPECT_EQ(image->format(), QImage::Format_RGB32);
}

namespace {

bool ImagePluginLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

}  // namespace

// The whole window, grabbed offscreen, against the grabs kept in tests/data: any change to what the
// window paints (pictures, fonts, widgets, their order) shows here pixel for pixel. After a change
// meant to alter the screen, CORVANE_WRITE_GRABS=1 makes the test write the grabs anew instead;
// look at them before committing them.
TEST_F(Pictures, WindowLooksAsStored) {
    QApplication::setStyle(new ApplicationStyle);         // as the program starts
    const bool pluginLoadedBefore = ImagePluginLoaded();  // by an earlier test in this process
    for (const bool reverse : {false, true}) {
        const QString name = QStringLiteral(CORVANE_SOURCE_DIR "/tests/data/window-%1.png")
                                 .arg(reverse ? QStringLiteral("reverse") : QStringLiteral("normal"));
        SCOPED_TRACE(name.toStdString());
        FormFixture f;
        corvane::MatrixState& s = f.firmware().state();
        for (int u = 0; u < kUnits; ++u)
            for (int slot = 0; slot < kSlots; ++slot) {
                for (int l = 0; l < kLines; ++l)
                    s.LineRoute[u][slot][l] = static_cast<std::uint8_t>((l + u + slot) % 5);
                for (int c = 0; c < kChannels; ++c)
                    s.ChannelRoute[u][slot][c] = static_cast<std::uint8_t>((4 * c + u + slot) % 17);
            }
        s.ReverseMode = reverse ? 1 : 0;
        corvane::MainWindow& window = f.open();
        // All four unit panels in view, as the 2x2 arrangement shows them.
        window.controller().setArrangement(7);
        ShowOnScreen(window);
        QCoreApplication::processEvents();
        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (qEnvironmentVariableIsSet("CORVANE_WRITE_GRABS")) {
            ASSERT_TRUE(shot.save(name));
            continue;
        }
        // Every picture is read by its known format: no image plug-in was loaded to guess one.
        EXPECT_TRUE(pluginLoadedBefore || !ImagePluginLoaded());
        QImageReader storedGrab(name, "PNG");
        storedGrab.setAutoDetectImageFormat(false);
        const QImage stored = storedGrab.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.size(), stored.size());
        int differing = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) != stored.pixel(x, y) && differing++ == 0) first = QPoint(x, y);
        EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y();
    }
}

// The grid's buttons copy their looks from pictures the style drew once. In every state a button
// can show, over a background that changes from row to row as the panel's does, the copy must
// give the pixels the style gives when it paints the button on the spot.
TEST_F(Pictures, CrosspointButtonsLookAsTheStylePaintsThem) {
    QApplication::setStyle(new ApplicationStyle);  // as the program starts
    struct StockButton : CrosspointButton {
        using CrosspointButton::CrosspointButton;
        void paintEvent(QPaintEvent* event) override { QPushButton::paintEvent(event); }
    };
    QWidget window;
    window.resize(90, 40);
    QLinearGradient rows(0, 0, 0, 40);
    rows.setColorAt(0, QColor(40, 90, 60));
    rows.setColorAt(1, QColor(220, 235, 200));
    QPalette background = window.palette();
    background.setBrush(QPalette::Window, rows);
    window.setPalette(background);
    window.setAutoFillBackground(true);
    CrosspointButton copied(0, &window);
    StockButton painted(1, &window);
    copied.setGeometry(5, 7, 30, 26);  // the size of the grid's buttons
    painted.setGeometry(50, 7, 30, 26);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.setAttribute(Qt::WA_KeyboardFocusChange);

    const auto look = [&](CrosspointButton& b, bool connected, bool down, bool focus, bool hover) {
        b.setConnected(connected);
        b.setDown(down);
        b.setAttribute(Qt::WA_UnderMouse, hover);
        if (focus)
            b.setFocus(Qt::TabFocusReason);
        else
            b.clearFocus();  // showing the window gave the first button the focus
        b.repaint();
        const QImage shot = window.grab(b.geometry()).toImage();
        b.clearFocus();
        return shot;
    };
    for (const bool connected : {false, true})
        for (const bool down : {false, true})
            for (const bool focus : {false, true})
                for (const bool hover : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "connected " << connected << " down " << down
                                                    << " focus " << focus << " hover " << hover);
                    EXPECT_EQ(look(copied, connected, down, focus, hover),
                              look(painted, connected, down, focus, hover));
                }
}

namespace {

// Whether every pixel repeats the one before it, across (at even x) or down (at even y): the
// mark of a picture drawn for 1x and stretched to twice its size.
bool PixelDoubled(const QImage& image, Qt::Orientation along) {
    for (int y = 0; y + 1 < image.height(); ++y)
        for (int x = 0; x + 1 < image.width(); ++x) {
            const bool pairStart = along == Qt::Horizontal ? x % 2 == 0 : y % 2 == 0;
            const QPoint next = along == Qt::Horizontal ? QPoint(x + 1, y) : QPoint(x, y + 1);
            if (pairStart && image.pixel(x, y) != image.pixel(next)) return false;
        }
    return true;
}

}  // namespace

// Run with QT_SCALE_FACTOR=2 (ctest does, offscreen and under Xvfb): every picture of the window
// then holds detail of its own rather than each of its pixels twice, in the same logical place.
TEST_F(Pictures, SharpAtRatioTwo) {
    if (qApp->devicePixelRatio() != 2.0) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    QApplication::setStyle(new ApplicationStyle);
    FormFixture f;
    corvane::MainWindow& window = f.open();
    window.controller().setArrangement(7);
    ShowOnScreen(window);
    QCoreApplication::processEvents();

    const auto shot = [&window](const QWidget* widget, const QRect& part) {
        const QPixmap grab = window.grab(QRect(widget->mapTo(&window, part.topLeft()), part.size()));
        EXPECT_EQ(grab.devicePixelRatio(), 2.0);
        return grab.toImage().convertToFormat(QImage::Format_RGB32);
    };
    QToolButton* open = nullptr;
    for (QToolButton* b : window.findChildren<QToolButton*>())
        if (b->defaultAction() && b->defaultAction()->text() == QStringLiteral("&Open...")) open = b;
    ASSERT_NE(open, nullptr);
    const CrosspointButton* lamp = window.grid().button(0, 0);
    const QWidget* digit = window.recallPanel()->key(0);
    struct Case {
        const char* what;
        QImage image;
        Qt::Orientation along;
    };
    const Case cases[] = {
        {"lamp of a grid button", shot(lamp, QRect(5, 3, 20, 20)), Qt::Horizontal},
        {"digit of a memory key", shot(digit, QRect(10, 5, 16, 16)), Qt::Horizontal},
        {"tool-bar icon", shot(open, QRect(open->rect().center() - QPoint(7, 7), QSize(14, 14))),
         Qt::Horizontal},
        {"unit picture and its dots", shot(window.unitPanel(0), QRect(2, 2, 126, 40)), Qt::Horizontal},
        {"grid background", shot(window.gridPanel(), QRect(2, 120, 3, 150)), Qt::Vertical},
        {"recall background", shot(window.recallPanel(), QRect(2, 56, 8, 28)), Qt::Vertical},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(PixelDoubled(c.image, c.along));
    }

    // The hint picture, keyed out before it is scaled, so no edge keeps a trace of the key colour.
    PictureToolTips tips(nullptr);
    tips.setStoredPicture("hint.png");
    for (const qreal ratio : {1.5, 2.0}) {
        const QPixmap& picture = tips.transparentPicture(ratio);
        EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(32, 32));
        const QImage image = picture.toImage();
        EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)), 0);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_LT(qRed(image.pixel(x, y)) - qGreen(image.pixel(x, y)), 96) << x << "," << y;
    }
    EXPECT_FALSE(PixelDoubled(tips.transparentPicture(2.0).toImage(), Qt::Horizontal));
}
