#include "ui/logview/log_find_bar.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>

#include "ui/logview/log_text_view.h"
#include "ui/kit/translation.h"

namespace comtrax {

LogFindBar::LogFindBar(LogTextView* log)
    : QFrame(log->parentWidget() ? log->parentWidget() : log),
      log_(log),
      field_(new QLineEdit(this)),
      next_(new QPushButton(uiText("Далее"), this)),
      previous_(new QPushButton(uiText("Назад"), this)),
      matchCase_(new QCheckBox(uiText("Учитывать регистр"), this))
{
    setObjectName(QStringLiteral("LogFindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    row->addWidget(new QLabel(uiText("Найти:"), this));
    field_->setObjectName(QStringLiteral("FindText"));
    field_->setMinimumWidth(160);
    row->addWidget(field_);
    for (QPushButton* button : {next_, previous_}) {
        // The buttons leave the focus in the field, where the user types.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    matchCase_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(matchCase_);
    hide();

    connect(next_, &QPushButton::clicked, this, &LogFindBar::findNext);
    connect(previous_, &QPushButton::clicked, this, &LogFindBar::findPrevious);
    // Each keystroke looks again from the match the user is at, so a match
    // that still fits stays the current one.
    connect(field_, &QLineEdit::textEdited, this, [this] { find(false, true); });
    connect(matchCase_, &QCheckBox::toggled, this, [this] { find(false, true); });
    field_->installEventFilter(this);
    log_->installEventFilter(this);

    // Ctrl+F means nothing else anywhere in the window, the command line included.
    auto* shortcut = new QShortcut(QKeySequence::Find, log_->window());
    connect(shortcut, &QShortcut::activated, this, &LogFindBar::open);
}

Qt::CaseSensitivity LogFindBar::sensitivity() const
{
    return matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

void LogFindBar::open()
{
    atBottom_ = false;
    place();
    show();
    raise();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
    log_->setHighlight(field_->text(), sensitivity());
}

void LogFindBar::close()
{
    hide();
    log_->setHighlight(QString(), sensitivity());
    showFound(true);
    log_->setFocus(Qt::OtherFocusReason);
}

void LogFindBar::find(bool backward, bool fromCurrent)
{
    const QString text = field_->text();
    log_->setHighlight(text, sensitivity());
    if (text.isEmpty()) {
        showFound(true);
        return;
    }
    // From the current match, else from the top (or, going back, the
    // bottom) of what is in view. Typing more of the text keeps the match the
    // user is at; next and previous leave it.
    LogPlace start;
    if (const std::optional<LogPlace> current = log_->selectionStart()) {
        start = *current;
        if (backward == fromCurrent)
            ++start.column;
    } else if (backward && log_->lineCount() > 0) {
        const int last =
            std::min(log_->lineCount(), log_->firstVisibleLine() + log_->verticalScrollBar()->pageStep()) - 1;
        start = LogPlace{last, static_cast<int>(log_->line(last).size())};
    } else {
        start = LogPlace{log_->firstVisibleLine(), 0};
    }
    const std::optional<LogPlace> found = findInLines(log_->lines(), text, sensitivity(), start, backward);
    if (found) {
        // The match must not lie under the bar: the log scrolls it out from
        // under the bar's usual place, and where it cannot (a match on the
        // log's first rows, on a line too short to scroll sideways), the bar
        // goes to the bottom.
        if (atBottom_) {
            atBottom_ = false;
            place();
        }
        const QRect covered = isVisible() ? overViewport() : QRect();
        if (!log_->selectMatch(*found, static_cast<int>(text.size()), covered)) {
            atBottom_ = true;
            place();
        }
    } else {
        log_->clearSelection();
    }
    showFound(found.has_value());
}

void LogFindBar::showFound(bool found)
{
    notFound_ = !found;
    QPalette p = field_->palette();
    const QColor normal = palette().color(QPalette::Base);
    p.setColor(QPalette::Base, found ? normal : QColor(255, 190, 190));
    p.setColor(QPalette::Text, found ? palette().color(QPalette::Text) : QColor(Qt::black));
    field_->setPalette(p);
}

void LogFindBar::place()
{
    adjustSize();
    const QRect area = parentWidget() == log_ ? log_->rect() : log_->geometry();
    // Clear of the scroll bars, so they stay in reach.
    const int x = std::max(area.left(), area.right() - width() - 18);
    if (!atBottom_) {
        move(x, area.top() + 1);
        return;
    }
    const QScrollBar* side = log_->horizontalScrollBar();
    const int below = side->isVisible() ? side->height() : 0;
    move(x, std::max(area.top() + 1, area.bottom() - height() - below - 1));
}

QRect LogFindBar::overViewport() const
{
    const QWidget* viewport = log_->viewport();
    return QRect(viewport->mapFromGlobal(mapToGlobal(QPoint(0, 0))), size());
}

bool LogFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == log_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move) && isVisible())
        place();
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers() & Qt::ShiftModifier, false);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void LogFindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

}  // namespace comtrax
