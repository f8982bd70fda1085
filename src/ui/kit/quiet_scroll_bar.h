#pragma once
// A scroll bar that costs little to keep up to date. A log that grows by a
// few lines every display frame moves the range of its bar every frame, while
// the handle mostly keeps its pixels: such a change is not painted, and the
// changes the view makes while it follows its newest lines are painted a few
// times a second (the value itself is always current; only its picture waits).
// And a styled bar is painted in short bands: the raster engine hands every
// long fill (a line or gradient over the bar's whole length) to a pool of
// threads and waits for them, which woke the window's thread dozens of times a
// frame.
#include <QElapsedTimer>
#include <QRect>
#include <QScrollBar>
#include <QStyle>

#include <optional>

class QStyleOptionSlider;
class QTimer;

namespace comtrax {

class QuietScrollBar : public QScrollBar {
public:
    explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // What a paint of the bar depends on beyond its size, style and state:
    // where the handle is and which ends the value touches.
    struct Look {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const;
    // Whether the last paint showed the bar as it stands (for tests).
    bool showsCurrentState() const { return painted_ && *painted_ == look(); }

    // The longest stretch painted in one go.
    static constexpr int Band = 32;
    // The shortest time between two paints of changes made in a Paced scope.
    static constexpr int PaceMs = 200;

    // Changes made while one lives (on bar, when it is a QuietScrollBar) are
    // the view's own: painted at most once per PaceMs.
    class Paced {
    public:
        explicit Paced(QScrollBar* bar);
        ~Paced();
        Paced(const Paced&) = delete;
        Paced& operator=(const Paced&) = delete;

    private:
        QuietScrollBar* bar_;
    };

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QStyle::SubControl hitTest(const QPoint& at) const;
    void showState(QStyleOptionSlider& option) const;

    std::optional<Look> painted_;
    QElapsedTimer sincePaint_;
    QTimer* pacedPaint_ = nullptr;
    int pacedDepth_ = 0;
    QStyle::SubControl hovered_ = QStyle::SC_None;
    QStyle::SubControl pressed_ = QStyle::SC_None;
    bool pointerOutside_ = false;
};

}  // namespace comtrax
