// A Qt "generic" plugin for running the unchanged program headless: loaded by Qt itself through
// QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS=dismissboxes, it writes every message box that
// appears to stderr and presses the box's default button, as an operator would.
// DISMISSBOXES_LEAVE_OPEN=1 writes each box once and leaves it open, for a test that ends the
// program while one is open. DISMISSBOXES_TRIGGER=CAPTION triggers the command of that caption
// ("2x2") once, as the operator's choice a test needs, and writes "triggered CAPTION".

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class BoxDismisser : public QObject {
  public:
    BoxDismisser() {
        m_timer.setInterval(50);
        connect(&m_timer, &QTimer::timeout, this, &BoxDismisser::dismiss);
        m_timer.start();
    }

  private:
    void dismiss() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!m_trigger.isEmpty() && widget->isVisible()) trigger(*widget);
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible() || box->property(kReported).toBool()) continue;
            std::fprintf(stderr, "message box \"%s\": %s\n", box->windowTitle().toLatin1().constData(),
                         box->text().toLatin1().constData());
            std::fflush(stderr);
            if (m_leaveOpen) {
                box->setProperty(kReported, true);
                continue;
            }
            QAbstractButton* button = box->defaultButton();
            if (button == nullptr && !box->buttons().isEmpty()) button = box->buttons().first();
            if (button != nullptr)
                button->click();
            else
                box->reject();
        }
    }

    void trigger(QWidget& window) {
        for (QAction* action : window.findChildren<QAction*>()) {
            if (action->text().remove(QLatin1Char('&')) != m_trigger || !action->isEnabled()) continue;
            action->trigger();
            std::fprintf(stderr, "triggered %s\n", m_trigger.toLatin1().constData());
            std::fflush(stderr);
            m_trigger.clear();
            return;
        }
    }

    static constexpr char kReported[] = "dismissboxesReported";
    QTimer m_timer;
    bool m_leaveOpen = qEnvironmentVariableIntValue("DISMISSBOXES_LEAVE_OPEN") != 0;
    QString m_trigger = qEnvironmentVariable("DISMISSBOXES_TRIGGER");
};

}  // namespace

class DismissBoxesPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "dismissboxes.json")

  public:
    QObject* create(const QString& name, const QString&) override {
        return name == QLatin1String("dismissboxes") ? new BoxDismisser : nullptr;
    }
};

#include "dismissboxes.moc"
