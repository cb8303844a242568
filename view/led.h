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
    QSize sizeHint() const override { return {20, 20}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool m_lit = false;
};

}  // namespace corvane
