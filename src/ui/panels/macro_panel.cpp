#include "ui/panels/macro_panel.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringList>

#include <algorithm>

#include "macros/cmd_lists.h"
#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/panels/controls.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

void setBold(QWidget* w, bool bold)
{
    QFont f = w->font();
    if (f.bold() == bold)
        return;
    f.setBold(bold);
    w->setFont(f);
}

}  // namespace

MacroPanel::MacroPanel(MacroControls& c, CmdLists& lists, MacroPanelHooks hooks, QObject* parent)
    : QObject(parent), c_(c), lists_(lists), hooks_(std::move(hooks)), help_(c, lists, model_)
{
    setBackgroundColour(c_.CBLists, clBtnFace);
}

// A field's length limit holds back typing, not loading. The lists hold one
// character more than the fields accept (51 for a name, 251 for a command
// line, 151 for a list name), and a field that cut a loaded text to its limit
// would hand the cut text straight back to the list through its change
// handler. So while a loaded text is longer, the limit grows to fit it.
void MacroPanel::loadField(QLineEdit* field, int limit, const QString& text)
{
    {
        const QSignalBlocker quiet(field);
        field->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    }
    // Not blocked: a changed text runs storeEditedField, which stores the same
    // value back.
    field->setText(text);
}

void MacroPanel::showFirstList()
{
    model_.chooseList(1);
    showList(1);
}

void MacroPanel::wire()
{
    for (int k = 1; k <= MacroCount; ++k) {
        QPushButton* button = c_.Button[k];
        QLineEdit* edit = c_.Edit[k];
        button->setProperty("Tag", k);
        edit->setProperty("Tag", k);
        connect(button, &QPushButton::clicked, this, [this, k] { macroClicked(k); });
        connect(edit, &QLineEdit::textChanged, this, [this, k] { storeEditedField(k); });
        // Double click and focus-in have no signals of their own.
        edit->installEventFilter(this);
    }

    // Only a user's pick of an item switches lists: `activated` is not sent
    // when showList selects the item in code.
    connect(c_.CBLists, &QComboBox::activated, this, [this](int) { listChosen(); });
    c_.CBLists->installEventFilter(this);
    if (QLineEdit* typed = c_.CBLists->lineEdit()) {
        typed->installEventFilter(this);
        // An editable combo box selects the item whose name was typed when its
        // edit part loses the focus, and reports that as a pick. Text typed
        // there must change nothing.
        QObject::disconnect(typed, SIGNAL(editingFinished()), c_.CBLists, nullptr);
    }
    connect(c_.STListName, &ClickLabel::doubleClicked, this, &MacroPanel::showListChooser);

    connect(c_.ListInc, &QPushButton::clicked, this, &MacroPanel::nextList);
    connect(c_.ListDec, &QPushButton::clicked, this, &MacroPanel::previousList);
    connect(c_.DelList, &QPushButton::clicked, this, &MacroPanel::clearShownList);
    connect(c_.EditAllCmd, &QPushButton::clicked, this, &MacroPanel::toggleEditor);
    connect(c_.SaveF, &QPushButton::clicked, this, &MacroPanel::saveClicked);

    // Checking a radio button from code runs its handler as a click does;
    // restoring the settings relies on that.
    connect(c_.RBName, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showNames();
    });
    connect(c_.RbData, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showLines();
    });
}

// --- Showing a list and reading it back ---------------------------------------

void MacroPanel::showList(int n)
{
    if (n < 1 || n > CmdLists::Lists)
        return;
    const bool names = c_.RBName->isChecked();
    const bool lines = c_.RbData->isChecked();
    for (int k = 1; k <= MacroCount; ++k) {
        QPushButton* button = c_.Button[k];
        QLineEdit* edit = c_.Edit[k];
        const QString name = fromCp1251(lists_.commandName(n, k));
        const QString line = fromCp1251(lists_.commandLine(n, k));
        if (names) {
            setBold(button, true);
            setBold(edit, true);
            button->setText(shownCaption(name));
            loadField(edit, NameMaxLength, name);
            button->setToolTip(line);
            edit->setToolTip(line);
        } else if (lines) {
            setBold(button, false);
            setBold(edit, false);
            button->setText(shownCaption(line));
            loadField(edit, LineMaxLength, line);
            button->setToolTip(name);
            edit->setToolTip(name);
        }
    }

    const QString listName = fromCp1251(model_.shownListName(n));
    showText(c_.STListName, listName);
    loadField(c_.ListNameEDT, ListNameMaxLength, listName);

    const QSignalBlocker quiet(c_.CBLists);
    c_.CBLists->clear();
    QStringList items;
    items.reserve(CmdLists::Lists);
    for (int i = 1; i <= CmdLists::Lists; ++i)
        items << shownText(fromCp1251(lists_.listName(i)));
    c_.CBLists->addItems(items);
    c_.CBLists->setCurrentIndex(n - 1);
}

void MacroPanel::storeShownList(int /*n*/)
{
    // Always the list on the panel: the fields show nothing else.
    model_.storeListName(toCp1251(c_.ListNameEDT->text()));
    const MacroPanelModel::Display display = shownDisplay();
    for (int k = 1; k <= MacroCount; ++k)
        model_.storeField(k, toCp1251(c_.Edit[k]->text()), display);
}

// What the fields show, by the display switch.
MacroPanelModel::Display MacroPanel::shownDisplay() const
{
    if (c_.RBName->isChecked())
        return MacroPanelModel::Display::Names;
    if (c_.RbData->isChecked())
        return MacroPanelModel::Display::Lines;
    return MacroPanelModel::Display::Neither;
}

// --- Macro buttons and the display switch -------------------------------------

void MacroPanel::macroClicked(int k)
{
    if (k < 1 || k > MacroCount)
        return;
    const MacroPanelModel::Click click = model_.macroClicked(k, hooks_.onSelectMode && hooks_.onSelectMode());
    if (click.send) {
        if (hooks_.send)
            hooks_.send(click.line);
    } else if (hooks_.load) {
        hooks_.load(click.line);
    }
}

void MacroPanel::setEditLimits(int limit)
{
    for (int k = 1; k <= MacroCount; ++k) {
        // A lower limit cuts the text the field holds; that text belongs to
        // the other display mode and must not be stored into this one.
        // showList refills every field right after.
        const QSignalBlocker quiet(c_.Edit[k]);
        c_.Edit[k]->setMaxLength(limit);
    }
}

void MacroPanel::showNames()
{
    keepTypedListName();
    setEditLimits(NameMaxLength);
    showList(model_.currentList());
}

void MacroPanel::showLines()
{
    keepTypedListName();
    setEditLimits(LineMaxLength);
    showList(model_.currentList());
}

// --- List navigation ------------------------------------------------------------

void MacroPanel::updateStepButtons()
{
    c_.ListDec->setEnabled(model_.canStepBack());
    c_.ListInc->setEnabled(model_.canStepForward());
}

void MacroPanel::listChosen()
{
    if (!model_.chooseList(c_.CBLists->currentIndex() + 1))
        return;
    showList(model_.currentList());
    updateStepButtons();
}

void MacroPanel::nextList()
{
    c_.ListDec->setEnabled(true);
    if (editorMode())
        storeShownList(model_.currentList());
    if (!model_.stepForward())
        return;
    showList(model_.currentList());
    if (!model_.canStepForward())
        c_.ListInc->setEnabled(false);
}

void MacroPanel::previousList()
{
    c_.ListInc->setEnabled(true);
    if (editorMode())
        storeShownList(model_.currentList());
    if (!model_.stepBack())
        return;
    showList(model_.currentList());
    if (!model_.canStepBack())
        c_.ListDec->setEnabled(false);
}

void MacroPanel::clearShownList()
{
    lists_.clearList(model_.currentList());
    showList(model_.currentList());
}

void MacroPanel::showListCaption()
{
    c_.CBLists->hide();
    showText(c_.STListName, fromCp1251(lists_.listName(model_.currentList())));
    c_.STListName->show();
}

void MacroPanel::showListChooser()
{
    // In the file view the caption shows the file's name and stays.
    if (hooks_.fileMode && hooks_.fileMode())
        return;
    c_.CBLists->show();
    c_.STListName->hide();
}

void MacroPanel::showFileCaption(const QString& name, int right)
{
    c_.CBLists->hide();
    c_.STListName->setToolTip(QString());
    c_.STListName->resize(c_.STListName->x() + right - 20, c_.STListName->height());
    showText(c_.STListName, name);
    c_.STListName->show();
    c_.EditAllCmd->hide();
    c_.RBName->hide();
    c_.RbData->hide();
}

void MacroPanel::hideFileCaption()
{
    showText(c_.STListName, fromCp1251(lists_.listName(model_.currentList())));
    c_.STListName->setToolTip(uiText("Список откроется по двойному клику"));
    c_.STListName->hide();
    c_.EditAllCmd->show();
    c_.CBLists->show();
    c_.RBName->show();
    c_.RbData->show();
}

void MacroPanel::load(const WindowSettings& s)
{
    // Checking a radio button from code shows the list as a click does.
    (s.showNames ? c_.RBName : c_.RbData)->setChecked(true);
}

void MacroPanel::store(WindowSettings& s) const
{
    s.showNames = c_.RBName->isChecked();
}

void MacroPanel::showMacroHelp(int k)
{
    help_.showMacroHelp(k);
}

// --- Events without signals ---------------------------------------------------------

int MacroPanel::editIndex(const QObject* o) const
{
    for (int k = 1; k <= MacroCount; ++k)
        if (c_.Edit[k] == o)
            return k;
    return 0;
}

bool MacroPanel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick: {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            break;
        if (const int k = editIndex(watched)) {
            openHelpEditor(k);
            return true;
        }
        if (watched == c_.CBLists || watched == c_.CBLists->lineEdit()) {
            showListCaption();
            return true;
        }
        break;
    }
    case QEvent::FocusIn: {
        // A field is entered when the focus moves to it inside the window, not
        // when the window itself becomes active again (for example when the
        // help editor closes): that return must not replace the help lines
        // just typed in the editor.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (const int k = editIndex(watched))
            showMacroHelp(k);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace comtrax
