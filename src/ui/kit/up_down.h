#pragma once
// A pair of arrows, up over down, that reports clicks and nothing else. The
// program's arrows (the receive timeout, the font size) step their own values
// with their own rules, so the control deliberately has no position and no
// limits that could swallow a click at an end of a range.
#include <QWidget>

class QToolButton;

namespace comtrax {

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void upClicked();
    void downClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace comtrax
