#include "ui/logview/log_view.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

#include "presentation/appearance.h"
#include "ui/kit/colours.h"
#include "ui/logview/display_frame.h"
#include "ui/logview/log_find_bar.h"
#include "ui/logview/log_text_view.h"
#include "ui/kit/text_codec.h"

namespace comtrax {

LogView::LogView(LogTextView* live, QPlainTextEdit* frozen, QPushButton* freezeButton, DisplayFrame& frame,
                 std::function<void()> overCap, QObject* parent)
    : QObject(parent),
      live_(live),
      frozenView_(frozen),
      freezeButton_(freezeButton),
      frame_(frame),
      overCap_(std::move(overCap))
{
    frame_.addShower([this] { flush(); });
    new LogFindBar(live_);
    connect(freezeButton_, &QPushButton::clicked, this, &LogView::toggleFreeze);
}

void LogView::addLine(const QString& text, LogDirection direction)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = line.split(QLatin1Char('\n'));
    for (const QString& l : lines) {
        pending_.pushLine(l, direction);
        pendingWidest_ = std::max(pendingWidest_, live_->lineWidth(l));
    }
    // Lines that follow the last frame within a frame's time wait for the next.
    frame_.request();
}

void LogView::addCp1251Line(const std::string& bytes, LogDirection direction)
{
    // Most lines a device sends are plain ASCII with no line break inside,
    // the same bytes in Windows-1251 and in Latin-1: they are kept as they
    // are, with no trip through a QString.
    const bool plain = std::none_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 || c == '\r' || c == '\n';
    });
    if (!plain) {
        addLine(fromCp1251(bytes), direction);
        return;
    }
    pending_.pushLatin1(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), direction);
    pendingWidest_ = std::max(pendingWidest_, live_->lineWidth(QByteArrayView(bytes.data(), bytes.size())));
    frame_.request();
}

// Appending lines one by one makes the text box lay out, scroll and paint each
// at once. When the device sends faster than that, it becomes most of the
// program's work and the port falls behind; so a line that comes within 40 ms
// of the last one waits, and the lines of a frame are added in one go, at
// most 25 times a second, which the eye cannot tell from line by line. The
// log file gets every line as it is built.
void LogView::flush()
{
    if (pending_.empty())
        return;
    const int shown = static_cast<int>(pending_.size());
    const int64_t now = frame_.nowMs();
    const int64_t since = lastFlushMs_ ? now - *lastFlushMs_ : DisplayFrame::FrameMs;
    lastFlushMs_ = now;
    // Each line was measured as it came: a frame of thousands of lines does
    // not measure them all at once and hold the window up for it.
    live_->appendLines(std::move(pending_), pendingWidest_);
    // Screen readers hear of the frame's lines once, not of each line.
    live_->announceNewLines();
    pendingWidest_ = 0;
    frame_.setIntervalMs(frameIntervalMs(shown, since, live_->pageLines()));
    pending_.clear();
    if (overCap() && overCap_)
        overCap_();
}

void LogView::clear()
{
    flush();
    live_->clear();
    live_->announceNewLines();
}

void LogView::toggleFreeze()
{
    flush();
    frozenView_->clear();
    frozen_ = !frozen_;
    if (frozen_) {
        freezeButton_->setText(QStringLiteral(">"));
        live_->hide();
        frozenView_->show();
        // The frozen copy is taken directly: the user's clipboard stays as it was.
        frozenView_->setPlainText(live_->toPlainText());
        frozenView_->appendPlainText(QString());
        frozenView_->appendPlainText(QStringLiteral(">>>>>>>>>> STOP <<<<<<<<<<"));
    } else {
        freezeButton_->setText(QStringLiteral("||"));
        frozenView_->hide();
        live_->show();
    }
}

void LogView::setFontSize(int points)
{
    // Waiting lines were measured in the old font; shown first, they are
    // measured again with every kept line when the font changes.
    flush();
    for (QWidget* w : {static_cast<QWidget*>(live_), static_cast<QWidget*>(frozenView_)}) {
        QFont f = w->font();
        f.setPointSize(points);
        w->setFont(f);
    }
}

void LogView::setBackgroundColour(uint32_t value)
{
    comtrax::setBackgroundColour(live_, value);
}

void LogView::setTextColour(uint32_t value)
{
    comtrax::setTextColour(live_, value);
}

bool LogView::overCap() const
{
    // An empty log still counts as one (empty) line, as a text document does.
    return logNeedsClearing(std::max(1, live_->lineCount()));
}

void LogView::clearIfOverCap()
{
    if (overCap()) {
        live_->clear();
        live_->announceNewLines();
    }
}

}  // namespace comtrax
