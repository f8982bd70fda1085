#pragma once
// The find bar of the log: Ctrl+F anywhere in the window opens it, floating
// over the log's top right corner so that no control moves. It searches the
// live log's own lines, which is what MainWindow holds even while the view is
// frozen.
#include <QFrame>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace comtrax {

class LogTextView;

class LogFindBar : public QFrame {
    Q_OBJECT
public:
    explicit LogFindBar(LogTextView* log);

    void open();
    void close();
    void findNext() { find(false, false); }
    void findPrevious() { find(true, false); }
    // The last search found nothing (the field is tinted).
    bool notFound() const { return notFound_; }
    QLineEdit* field() const { return field_; }
    QCheckBox* matchCase() const { return matchCase_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void find(bool backward, bool fromCurrent);
    // At the log's top right, or, while a match it found would lie under
    // it there, at the bottom right.
    void place();
    // The bar's place over the log's viewport, in the viewport's coordinates.
    QRect overViewport() const;
    void showFound(bool found);
    Qt::CaseSensitivity sensitivity() const;

    LogTextView* log_;
    QLineEdit* field_;
    QPushButton* next_;
    QPushButton* previous_;
    QCheckBox* matchCase_;
    bool notFound_ = false;
    bool atBottom_ = false;
};

}  // namespace comtrax
