#include "ui/panels/command_band.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/kit/text_codec.h"

namespace comtrax {

CommandBand::CommandBand(CommandControls& c, Terminal& terminal, QObject* parent)
    : QObject(parent), c_(c), terminal_(terminal)
{
    for (QWidget* w : {static_cast<QWidget*>(c_.MainStrCmd), static_cast<QWidget*>(c_.AddStrCmd),
                       static_cast<QWidget*>(c_.FastOldCmd), static_cast<QWidget*>(c_.LBTail)})
        setBackgroundColour(w, clBtnFace);
    terminal_.setCommandText(toCp1251(c_.MainStrCmd->text()));
    terminal_.setSuffix(toCp1251(c_.AddStrCmd->text()));
    connect(c_.MainStrCmd, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_.setCommandText(toCp1251(t)); });
    connect(c_.AddStrCmd, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_.setSuffix(toCp1251(t)); });
    connect(c_.ButtonSend, &QPushButton::clicked, this, &CommandBand::sendCommandLine);

    connect(c_.Str1, &ClickLabel::clicked, this, [this] {
        refillHistory();
        toggleDropDown(c_.FastOldCmd);
    });
    connect(c_.Str2, &ClickLabel::clicked, this, [this] { toggleDropDown(c_.LBTail); });
    for (QObject* watched : {static_cast<QObject*>(c_.MainStrCmd), static_cast<QObject*>(c_.AddStrCmd),
                             static_cast<QObject*>(c_.FastOldCmd), static_cast<QObject*>(c_.LBTail)})
        watched->installEventFilter(this);
}

bool CommandBand::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool escape = key->key() == Qt::Key_Escape;
        const bool press = type == QEvent::KeyPress;

        if (watched == c_.MainStrCmd) {
            if (press && enter) {
                sendCommandLine();
                return true;
            }
            if (press && escape) {
                c_.MainStrCmd->clear();
                return true;
            }
            if (!press && key->key() == Qt::Key_Down) {
                refillHistory();
                showDropDown(c_.FastOldCmd);
                return true;
            }
        } else if (watched == c_.AddStrCmd) {
            if (press && enter)
                return true;  // the suffix field never sends
            if (press && escape) {
                c_.AddStrCmd->clear();
                return true;
            }
            if (!press && key->key() == Qt::Key_Down) {
                showDropDown(c_.LBTail);
                return true;
            }
        } else if ((watched == c_.FastOldCmd || watched == c_.LBTail) && press) {
            // The two drop-downs: Enter takes the selected entry into their field
            // (nothing is sent), Escape closes them; both return to the field.
            auto* list = static_cast<QListWidget*>(watched);
            QLineEdit* field = list == c_.FastOldCmd ? c_.MainStrCmd : c_.AddStrCmd;
            // A list that gains the focus makes its first entry current without
            // selecting it, so Qt's own Down would skip to the second one.
            if (key->key() == Qt::Key_Down && list->selectedItems().isEmpty() && list->count() > 0) {
                list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
                return true;
            }
            if (enter) {
                if (QListWidgetItem* item = list->currentItem(); item && item->isSelected()) {
                    field->setText(item->text());
                    list->hide();
                    field->setFocus();
                }
                return true;
            }
            if (escape) {
                list->hide();
                field->setFocus();
                return true;
            }
        }
    } else if (type == QEvent::FocusOut) {
        if (watched == c_.FastOldCmd)
            c_.FastOldCmd->hide();
        else if (watched == c_.LBTail)
            c_.LBTail->hide();
    }
    return QObject::eventFilter(watched, event);
}

// The drop-downs lie over the macro panel, so they come to the front when opened.
void CommandBand::showDropDown(QListWidget* list)
{
    list->show();
    list->raise();
    list->setFocus();
}

void CommandBand::toggleDropDown(QListWidget* list)
{
    if (list->isVisible())
        list->hide();
    else
        showDropDown(list);
}

void CommandBand::refillHistory()
{
    c_.FastOldCmd->clear();
    for (const std::string& line : terminal_.historyLines())
        c_.FastOldCmd->addItem(fromCp1251(line));
    c_.FastOldCmd->setCurrentRow(-1);
}

bool CommandBand::historyFitsLine() const
{
    return c_.FastOldCmd->width() == c_.MainStrCmd->width();
}

void CommandBand::fitHistoryToLine()
{
    c_.FastOldCmd->resize(c_.MainStrCmd->width(), c_.FastOldCmd->height());
}

void CommandBand::sendCommandLine()
{
    terminal_.send(toCp1251(c_.MainStrCmd->text()));
}

void CommandBand::setCommandLine(const std::string& line)
{
    c_.MainStrCmd->setText(fromCp1251(line));
}

void CommandBand::focusCommandLine()
{
    c_.MainStrCmd->setFocus(Qt::OtherFocusReason);
}

void CommandBand::focusSendButton()
{
    c_.ButtonSend->setFocus(Qt::OtherFocusReason);
}

void CommandBand::encodingChanged(bool hex)
{
    if (hex)
        c_.AddStrCmd->clear();
    else
        c_.AddStrCmd->setText(QStringLiteral("$0D"));
}

void CommandBand::setColours(uint32_t back, uint32_t text)
{
    QWidget* scheme[] = {c_.MainStrCmd, c_.FastOldCmd, c_.AddStrCmd, c_.LBTail};
    for (QWidget* w : scheme)
        setBackgroundColour(w, back);
    for (QWidget* w : scheme)
        setTextColour(w, text);
}

void CommandBand::load(const WindowSettings& s)
{
    c_.MainStrCmd->setText(fromCp1251(s.commandText));
    c_.AddStrCmd->setText(fromCp1251(s.suffixText));
}

void CommandBand::store(WindowSettings& s) const
{
    s.commandText = toCp1251(c_.MainStrCmd->text());
    s.suffixText = toCp1251(c_.AddStrCmd->text());
}

}  // namespace comtrax
