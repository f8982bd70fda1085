#pragma once
// A static text that can be clicked: the drop-down arrows beside the command
// line and the suffix, and the list-name caption that is double-clicked.
#include <QLabel>

namespace comtrax {

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr) : QLabel(parent) {}

signals:
    // On release of the left button over the label, as a click is.
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace comtrax
