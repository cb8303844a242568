// A Qt "generic" plugin for running the unchanged program headless: loaded by Qt itself through
// QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS=dismissboxes, it writes every message box that
// appears to stderr and presses the box's default button, as an operator would.

#include <QAbstractButton>
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
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible()) continue;
            std::fprintf(stderr, "message box \"%s\": %s\n", box->windowTitle().toLatin1().constData(),
                         box->text().toLatin1().constData());
            std::fflush(stderr);
            QAbstractButton* button = box->defaultButton();
            if (button == nullptr && !box->buttons().isEmpty()) button = box->buttons().first();
            if (button != nullptr)
                button->click();
            else
                box->reject();
        }
    }

    QTimer m_timer;
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
