#include "ui/panels/command_band.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

#include "ui/kit/click_label.h"
#include "ui/kit/text_codec.h"

namespace comtrax {

CommandBand::CommandBand(Controls& c, Hooks hooks, QObject* parent)
    : QObject(parent), c_(c), hooks_(std::move(hooks))
{
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
                hooks_.send(toCp1251(c_.MainStrCmd->text()));
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
    if (hooks_.history)
        for (const std::string& line : hooks_.history())
            c_.FastOldCmd->addItem(fromCp1251(line));
    c_.FastOldCmd->setCurrentRow(-1);
}

}  // namespace comtrax
