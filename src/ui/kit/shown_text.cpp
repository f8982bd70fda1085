#include "ui/kit/shown_text.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QVariant>
#include <QWidget>

namespace comtrax {

namespace {

// The label property that keeps the text a caption was given by showText.
constexpr char ShownFrom[] = "shownFrom";

bool hasNoGlyph(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

}  // namespace

QString shownText(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && !hasNoGlyph(text.at(i)))
        ++i;
    if (i == text.size())
        return text;
    QString out = text.left(i);
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!hasNoGlyph(c)) {
            out += c;
            continue;
        }
        const int width = c.unicode() < 0x100 ? 2 : 4;
        out += QLatin1Char('<')
            + QString::number(c.unicode(), 16).toUpper().rightJustified(width, QLatin1Char('0'))
            + QLatin1Char('>');
    }
    return out;
}

QString shownCaption(const QString& text)
{
    QString caption = shownText(text);
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

void showText(QLabel* label, const QString& text)
{
    const QString shown = shownText(text);
    label->setText(shown);
    label->setProperty(ShownFrom, shown == text ? QVariant() : QVariant(text));
}

QString textOf(const QLabel* label)
{
    const QVariant from = label->property(ShownFrom);
    if (from.isValid()) {
        QString text = from.toString();
        if (shownText(text) == label->text())
            return text;
    }
    return label->text();
}

QString PlainToolTips::html(const QString& text)
{
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shownText(text).toHtmlEscaped()
        + QStringLiteral("</p>");
}

bool PlainToolTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    const QString tip = widget->toolTip();
    // Without a tip of its own the widget passes the event on to its parent,
    // which comes through here in turn.
    if (tip.isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), html(tip), widget, QRect(),
                       widget->toolTipDuration());
    return true;
}

}  // namespace comtrax
