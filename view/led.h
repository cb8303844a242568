#pragma once

#include <QWidget>

namespace corvane {

// A circular indicator with a thin black outline: lime when lit, white when dark.
class Led : public QWidget {
    Q_OBJECT
  public:
    explicit Led(QWidget* parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    // What the lamp belongs to, for screen readers; its accessible name adds whether it is lit.
    void setLampName(const QString& name);
    QSize sizeHint() const override { return {20, 20}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void updateAccessibleName();

    bool m_lit = false;
    QString m_lampName;
};

}  // namespace corvane
