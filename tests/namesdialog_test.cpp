#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>

#include "formfixture.h"
#include "view/linestext.h"
#include "view/angledlabel.h"

using namespace corvane;

namespace {

// Opens the names dialog and runs `act` on it from inside its modal loop. A dialog that `act`
// leaves open is cancelled so the test cannot hang; that counts as a failure.
bool runDialog(TCorvane_Form& form, const std::function<void(TLineNames&)>& act) {
    bool opened = false;
    QTimer::singleShot(0, &form, [&] {
        auto* dialog = qobject_cast<TLineNames*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = true;
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog->reject();
        }
    });
    form.OpenNamesDialog();
    QCoreApplication::processEvents();  // a timer that found no dialog must not fire later
    return opened;
}

void type(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

// Counts the names dialogs that open while it lives and cancels each, after `onOpen`, so that a
// dialog opened where none should be cannot hang the test.
struct NamesDialogWatch {
    explicit NamesDialogWatch(QObject* context) {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, context, [this] {
            auto* d = qobject_cast<TLineNames*>(QApplication::activeModalWidget());
            if (!d || d->property("answered").toBool()) return;
            d->setProperty("answered", true);
            ++opened;
            if (onOpen) onOpen(*d);
            d->reject();
        });
        timer.start();
    }
    QTimer timer;
    int opened = 0;
    std::function<void(TLineNames&)> onOpen;
};

bool sameNames(const NameTable& a, const NameTable& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct NamesDialog : ::testing::Test {
    void SetUp() override {
        form = &f.open();
        form->names().setLineName(1, 4, "Studio A");
        form->names().setChannelName(1, 2, "Talkback");
        form->names().setChannelName(1, 4, "Off air");
    }
    FormFixture f;
    TCorvane_Form* form = nullptr;
};

}  // namespace

TEST_F(NamesDialog, ShowsTheSelectedUnitsNamesInTheDesignedPlaces) {
    form->state().SelectedUnit = 1;
    const bool opened = runDialog(*form, [&](TLineNames& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Edit Line Names"));
        EXPECT_EQ(d.size(), QSize(452, 404));
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(d.LineasEdit[k]->text().toStdString(), form->names().lineName(1, k)) << k;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(d.ColumnasEdit[k]->text().toStdString(), form->names().channelName(1, k)) << k;
        EXPECT_EQ(d.LineasEdit[4]->text(), QStringLiteral("Studio A"));
        EXPECT_EQ(d.LineasEdit[4]->geometry(), QRect(115, 113, 100, 21));
        EXPECT_EQ(d.LineasEdit[12]->geometry(), QRect(340, 115, 100, 21));
        EXPECT_EQ(d.ColumnasEdit[3]->geometry(), QRect(230, 314, 100, 21));
        EXPECT_EQ(d.BitBtn1->geometry(), QRect(115, 364, 75, 25));
        EXPECT_EQ(d.BitBtn2->geometry(), QRect(247, 364, 75, 25));
        EXPECT_TRUE(d.BitBtn1->isDefault());

        // Every label's caption fits its label in whichever family the machine offers.
        const auto labels = d.findChildren<AngledLabel*>();
        EXPECT_EQ(labels.size(), 20);
        for (const AngledLabel* label : labels)
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->caption()), label->width())
                << label->caption().toStdString();

        // Tab goes down the left column's first field, the channels, then up the lines from 16.
        std::vector<QWidget*> expected{d.LineasEdit[0]};
        for (QLineEdit* field : d.ColumnasEdit) expected.push_back(field);
        for (int k = 15; k >= 1; --k) expected.push_back(d.LineasEdit[k]);
        expected.push_back(d.BitBtn1);
        expected.push_back(d.BitBtn2);
        std::vector<QWidget*> order{d.LineasEdit[0]};
        for (QWidget* w = d.LineasEdit[0]->nextInFocusChain(); w != d.LineasEdit[0] && order.size() < 40;
             w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        EXPECT_EQ(order, expected);
        d.reject();
    });
    EXPECT_TRUE(opened);
}

TEST_F(NamesDialog, CancelAndEscapeChangeNoName) {
    form->state().SelectedUnit = 1;
    form->state().MatrixLayout = 1;
    const NameTable before = form->names();
    const std::function<void(TLineNames&)> leave[] = {
        [](TLineNames& d) { QTest::mouseClick(d.BitBtn2, Qt::LeftButton); },
        [](TLineNames& d) { QTest::keyClick(d.LineasEdit[4], Qt::Key_Escape); },
        // Enter on the focused Cancel button is Cancel.
        [](TLineNames& d) {
            d.BitBtn2->setFocus(Qt::TabFocusReason);
            QTest::keyClick(d.BitBtn2, Qt::Key_Return);
        },
        [](TLineNames& d) {
            d.BitBtn2->setFocus(Qt::TabFocusReason);
            QTest::keyClick(d.BitBtn2, Qt::Key_Enter, Qt::KeypadModifier);
        },
    };
    for (const auto& how : leave) {
        EXPECT_TRUE(runDialog(*form, [&](TLineNames& d) {
            d.LineasEdit[4]->clear();
            QTest::keyClicks(d.LineasEdit[4], QStringLiteral("Renamed"));
            how(d);
        }));
        EXPECT_TRUE(sameNames(form->names(), before));
        EXPECT_EQ(form->namesDialog(), nullptr);
    }
}

TEST_F(NamesDialog, OkStoresTheFieldsAsTypedIntoTheSelectedUnit) {
    form->state().SelectedUnit = 1;
    EXPECT_TRUE(runDialog(*form, [&](TLineNames& d) {
        d.LineasEdit[4]->clear();
        QTest::keyClicks(d.LineasEdit[4], QStringLiteral(" Studio B "));
        d.ColumnasEdit[0]->clear();
        QTest::keyClicks(d.ColumnasEdit[0], QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        EXPECT_EQ(d.ColumnasEdit[0]->text(), QStringLiteral("ABCDEFGHIJKLMNO"));  // 15 at most
        d.LineasEdit[15]->clear();
        type(d.LineasEdit[15], QStringLiteral("Caf"));
        type(d.LineasEdit[15], QString(QChar(0xE9)));                 // é has a byte of its own
        type(d.LineasEdit[15], QString(QChar(0x20AC)));               // € has none
        type(d.LineasEdit[15], QString::fromUcs4(U"\U0001F3A4", 1));  // one character, two UTF-16 units
        d.LineasEdit[7]->clear();
        QTest::keyClick(d.LineasEdit[7], Qt::Key_Return);  // Enter is OK
    }));
    NameTable& names = form->names();
    EXPECT_EQ(names.lineName(1, 4), " Studio B ");
    EXPECT_EQ(names.channelName(1, 0), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(names.lineName(1, 15), "Caf\xE9??");
    EXPECT_EQ(names.lineName(1, 7), "");
    EXPECT_EQ(names.channelName(1, 2), "Talkback");
    EXPECT_EQ(names.channelName(1, 4), "Off air");  // no field for the Disconnected row
    EXPECT_EQ(names.lineName(0, 4), "Line 05");     // 1x1 shares nothing
}

TEST_F(NamesDialog, OkWithNothingChangedStillShares) {
    // 2x1 with unit 1 selected: unit 0 takes unit 1's channel names, the Disconnected row's too.
    form->state().MatrixLayout = 1;
    form->state().SelectedUnit = 1;
    EXPECT_TRUE(runDialog(*form, [](TLineNames& d) { QTest::mouseClick(d.BitBtn1, Qt::LeftButton); }));
    EXPECT_EQ(form->names().channelName(0, 2), "Talkback");
    EXPECT_EQ(form->names().channelName(0, 4), "Off air");
    EXPECT_EQ(form->names().lineName(0, 4), "Line 05");  // side by side: lines stay apart
}

// The columns in which two pictures of a widget differ.
int differingColumns(const QImage& a, const QImage& b) {
    int columns = 0;
    for (int x = 0; x < a.width(); ++x)
        for (int y = 0; y < a.height(); ++y)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++columns;
                break;
            }
    return columns;
}

TEST_F(NamesDialog, InsertInTheFieldsTogglesOverwriteWithABlockCaret) {
    QStyleHints* hints = QGuiApplication::styleHints();
    const int flashTime = hints->cursorFlashTime();
    hints->setCursorFlashTime(0);  // a steady caret for the pictures
    EXPECT_TRUE(runDialog(*form, [](TLineNames& d) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        QLineEdit* field = d.LineasEdit[0];
        field->setFocus();
        field->setCursorPosition(0);
        const QImage lineCaret = field->grab().toImage();
        QTest::keyClick(field, Qt::Key_Insert);
        const QImage blockCaret = field->grab().toImage();
        // The block covers the "L" under the caret.
        EXPECT_GE(differingColumns(lineCaret, blockCaret),
                  field->fontMetrics().horizontalAdvance(QLatin1Char('L')) - 1);
        QTest::keyClick(field, Qt::Key_Insert, Qt::KeypadModifier);  // the keypad's Insert too
        EXPECT_EQ(field->grab().toImage(), lineCaret);

        QTest::keyClick(field, Qt::Key_X);
        EXPECT_EQ(field->text(), QStringLiteral("xLine 01"));
        QTest::keyClick(field, Qt::Key_Insert);
        QTest::keyClicks(field, QStringLiteral("YZ"));
        EXPECT_EQ(field->text(), QStringLiteral("xYZne 01"));  // "Li" overwritten
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, QStringLiteral("!"));  // past the end overwrite appends
        EXPECT_EQ(field->text(), QStringLiteral("xYZne 01!"));
        QTest::keyClick(field, Qt::Key_Insert);
        field->setCursorPosition(0);
        QTest::keyClick(field, Qt::Key_W);
        EXPECT_EQ(field->text(), QStringLiteral("wxYZne 01!"));
        d.reject();
    }));
    hints->setCursorFlashTime(flashTime);
}

TEST_F(NamesDialog, OneDialogAtATimeAndNoneWhileAColumnMoves) {
    EXPECT_TRUE(runDialog(*form, [&](TLineNames& d) {
        EXPECT_EQ(form->namesDialog(), &d);
        form->OpenNamesDialog();  // Insert again: returns at once
        EXPECT_EQ(QApplication::activeModalWidget(), &d);
        EXPECT_EQ(form->findChildren<TLineNames*>().size(), 1);
        d.reject();
    }));
    EXPECT_TRUE(form->findChildren<TLineNames*>().isEmpty());

    form->ColumnMoveFlag = 1;
    EXPECT_FALSE(runDialog(*form, [](TLineNames& d) { d.reject(); }));
    EXPECT_EQ(form->namesDialog(), nullptr);
    form->ColumnMoveFlag = 0;
    EXPECT_TRUE(runDialog(*form, [](TLineNames& d) { d.reject(); }));
}

// The grid's labels show the names; they are checked once the grid is built.
TEST_F(NamesDialog, OkRedrawsTheGridAndCancelDoesNot) {
    if (!form->columnLabel(4)) GTEST_SKIP() << "the window has no grid yet";
    form->state().SelectedUnit = 1;
    // A name changed behind the grid's back shows only after a redraw.
    form->names().setLineName(1, 5, "Hidden");
    const QString shown = form->columnLabel(5)->caption();
    EXPECT_TRUE(runDialog(*form, [](TLineNames& d) { d.reject(); }));
    EXPECT_EQ(form->columnLabel(5)->caption(), shown);

    EXPECT_TRUE(runDialog(*form, [](TLineNames& d) {
        d.LineasEdit[4]->setText(QStringLiteral("Renamed"));
        QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    }));
    EXPECT_TRUE(form->columnLabel(4)->caption().startsWith(QStringLiteral("Renamed - ")));
    EXPECT_TRUE(form->columnLabel(5)->caption().startsWith(QStringLiteral("Hidden - ")));
}

TEST_F(NamesDialog, TheInsertKeyOpensOneDialogWhateverTheModifiers) {
    ShowOnScreen(*form);
    NamesDialogWatch watch(form);
    bool insertInside = false;
    watch.onOpen = [&](TLineNames& d) {
        if (insertInside) QTest::keyClick(d.LineasEdit[0], Qt::Key_Insert);
    };
    const auto pressInsert = [&](Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(form->crosspoint(1, 3), Qt::Key_Insert, modifiers);
        QCoreApplication::processEvents();
    };
    pressInsert();
    EXPECT_EQ(watch.opened, 1);
    EXPECT_EQ(form->namesDialog(), nullptr);
    // Every press opens it again, although each key event may live where the last one did, and
    // Insert pressed inside the dialog does not open another once it closes.
    insertInside = true;
    pressInsert();
    EXPECT_EQ(watch.opened, 2);
    insertInside = false;
    pressInsert();
    EXPECT_EQ(watch.opened, 3);

    pressInsert(Qt::ShiftModifier);
    EXPECT_EQ(watch.opened, 4);
    pressInsert(Qt::KeypadModifier);  // the keypad's Insert with NumLock off
    EXPECT_EQ(watch.opened, 5);
}

TEST_F(NamesDialog, InsertOverAnotherWindowOrAnOpenMenuOpensNothing) {
    ShowOnScreen(*form);
    NamesDialogWatch watch(form);
    QStringList pressedIn;
    // Presses Insert in whatever modal window is open once its loop runs, then closes it.
    const auto insertInModal = [&] {
        QTimer::singleShot(0, form, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!window) return;
            pressedIn << window->windowTitle();
            QWidget* focused = window->focusWidget();
            QTest::keyClick(focused ? focused : window, Qt::Key_Insert);
            QTest::keyClick(focused ? focused : window, Qt::Key_Insert, Qt::ShiftModifier);
            window->reject();
        });
    };

    insertInModal();
    form->FileOpen1->trigger();  // the program's own file dialog
    insertInModal();
    QMessageBox box(QMessageBox::Information, QStringLiteral("File New"),
                    QStringLiteral(" Are you sure to clear the memory? "),
                    QMessageBox::Ok | QMessageBox::Cancel, form);
    box.exec();
    EXPECT_EQ(pressedIn, (QStringList{QStringLiteral("Opens a matrix file"), QStringLiteral("File New")}));

    form->FileMenu->popup(form->mapToGlobal(QPoint(10, 10)));
    ASSERT_EQ(QApplication::activePopupWidget(), form->FileMenu);
    QTest::keyClick(form->FileMenu, Qt::Key_Insert);
    form->FileMenu->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.opened, 0);

    // The window itself still opens it.
    QTest::keyClick(form->crosspoint(0, 0), Qt::Key_Insert);
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.opened, 1);
}
