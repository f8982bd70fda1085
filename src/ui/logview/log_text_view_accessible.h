#pragma once
// The log view as screen readers see it: a read-only text, its lines joined
// by line breaks, with the selection and the caret, and the lines that come
// told once per display frame. Offsets are counted over the lines kept from a
// table of where each line starts, made again only after the lines changed,
// so a reader's many questions cost a search each, not the whole text.
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

#include <vector>

#include "ui/logview/log_search.h"

namespace comtrax {

class LogTextView;

// Makes QAccessible give LogTextView's interface (once per program).
void installLogTextViewAccessibility();

class LogTextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LogTextViewAccessible(LogTextView* view);

    // The most characters one announcement carries: a stream's frame tells
    // its newest lines up to this much; more than a reader could speak only
    // loads the bus. Removed text is announced only up to this much too.
    static constexpr int MaxAnnounced = 16384;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // A place as an offset into the text and back (clamped).
    int offsetOf(LogPlace place) const;
    LogPlace placeOf(int offset) const;
    // Where line i starts.
    int lineStart(int line) const;

private:
    LogTextView* view() const;
    // The table of line starts, made again when the lines changed.
    const std::vector<int>& starts() const;
    // Line i's text with the line break after it (none after the last).
    QString lineWithBreak(int line) const;
    enum class Side { At, Before, After };
    QString boundaryText(int offset, QAccessible::TextBoundaryType type, Side side, int* startOffset,
                         int* endOffset) const;

    mutable std::vector<int> starts_;  // n + 1 entries: starts_[n] is the length plus one
    mutable quint64 startsRevision_ = ~quint64{0};
};

}  // namespace comtrax
