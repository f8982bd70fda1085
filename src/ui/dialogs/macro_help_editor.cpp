#include "ui/dialogs/macro_help_editor.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QWindow>
#include <algorithm>

#include "ui/kit/dialog_placement.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

constexpr int Margin = 8;
constexpr int LabelGap = 2;  // between a label and its field
constexpr int GroupGap = 8;  // between a field and the next label
constexpr int LineGap = 3;   // between two help lines

// The length limit of a field holds back typing, not loading: a stored help
// line may hold up to 151 characters and a command line 251, and cutting them
// to the field's limit merely because the editor was opened would lose them
// (the cut text would flow straight back into the macro). So the limit is
// widened to the loaded text's length while that text is longer.
void loadField(QLineEdit* field, int limit, const QString& text)
{
    {
        // Lowering the limit may shorten the previous macro's text; that
        // text must not reach the host.
        const QSignalBlocker quiet(field);
        field->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    }
    field->setText(text);
}

bool isPlainKey(const QKeyEvent& key)
{
    // Ctrl+Enter and Ctrl+Backspace are other characters (LF, DEL), not these keys.
    return !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

}  // namespace

MacroHelpEditor::MacroHelpEditor(MacroEditorHost* host, QWidget* parent)
    : QDialog(parent, CloseBoxOnly), host_(host)
{
    setObjectName("MacroHelpEditor");
    setWindowTitle(uiText("Редактор макроса"));
    setModal(true);

    QFont bold = font();
    bold.setBold(true);

    auto makeLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        return label;
    };
    auto makeField = [this](const QString& name, int maxLength, const QFont* fieldFont) {
        auto* field = new QLineEdit(this);
        field->setObjectName(name);
        field->setMaxLength(maxLength);
        if (fieldFont)
            field->setFont(*fieldFont);
        field->installEventFilter(this);
        return field;
    };

    nameLabel_ = makeLabel("Label1", uiText("Имя команды"));
    cmdName_ = makeField("CmdName", NameMaxLength, &bold);
    dataLabel_ = makeLabel("Label2", uiText("Командная строка"));
    cmdData_ = makeField("CmdData", LineMaxLength, nullptr);
    helpLabel_ = makeLabel("Label3", uiText("Описание команды"));
    for (int i = 1; i <= HelpLineCount; ++i)
        edits_[static_cast<size_t>(i - 1)] = makeField(QString("Edit%1").arg(i), HelpMaxLength, &bold);

    // Fixed places as designed; only the widths follow the window (fitFieldsToWidth).
    const int fieldWidth = DesignWidth - 2 * Margin;
    const int fieldHeight = cmdName_->sizeHint().height();
    const int labelHeight = nameLabel_->sizeHint().height();
    int y = Margin;
    auto placeLabel = [&](QLabel* label) {
        label->setGeometry(Margin, y, fieldWidth, labelHeight);
        y += labelHeight + LabelGap;
    };
    auto placeField = [&](QLineEdit* field, int gapAfter) {
        field->setGeometry(Margin, y, fieldWidth, fieldHeight);
        y += fieldHeight + gapAfter;
    };
    placeLabel(nameLabel_);
    placeField(cmdName_, GroupGap);
    placeLabel(dataLabel_);
    placeField(cmdData_, GroupGap);
    placeLabel(helpLabel_);
    for (QLineEdit* edit : edits_)
        placeField(edit, LineGap);
    y += Margin - LineGap;

    nameDesignWidth_ = cmdName_->width();
    dataDesignWidth_ = cmdData_->width();
    editDesignWidth_ = edits_[0]->width();
    resize(DesignWidth, y);
    setMinimumHeight(y);

    connect(cmdName_, &QLineEdit::textChanged, this, &MacroHelpEditor::commandNameEdited);
    connect(cmdData_, &QLineEdit::textChanged, this, &MacroHelpEditor::commandLineEdited);
    for (int i = 1; i <= HelpLineCount; ++i)
        connect(helpEdit(i), &QLineEdit::textChanged, this, [this, i] { helpLineEdited(i); });

    // A return to this window from another program is not an activation of
    // the form; a return from another window of this program is.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) {
        if (!now || now == windowHandle())
            return;
        const Qt::WindowType type = now->type();
        if (type == Qt::Window || type == Qt::Dialog)
            active_ = false;
    });
}

void MacroHelpEditor::reloadFromHost()
{
    active_ = true;
    if (host_) {
        const int list = host_->currentList();
        const int k = host_->editedCmd();
        loadField(cmdName_, NameMaxLength, host_->commandName(list, k));
        loadField(cmdData_, LineMaxLength, host_->commandLine(list, k));
        for (int i = 1; i <= HelpLineCount; ++i)
            loadField(helpEdit(i), HelpMaxLength, host_->helpLine(i));
    }
    // Entering a field selects its text, so typing replaces the old name.
    cmdName_->setFocus(Qt::OtherFocusReason);
    cmdName_->selectAll();
}

void MacroHelpEditor::fitFieldsToWidth(int width)
{
    const int delta = width - DesignWidth;
    auto fit = [delta](QLineEdit* field, int designWidth) {
        field->resize(std::max(0, designWidth + delta), field->height());
    };
    fit(cmdName_, nameDesignWidth_);
    fit(cmdData_, dataDesignWidth_);
    for (QLineEdit* edit : edits_)
        fit(edit, editDesignWidth_);
}

void MacroHelpEditor::commandNameEdited()
{
    if (host_)
        host_->setCommandName(host_->currentList(), host_->editedCmd(), cmdName_->text());
}

void MacroHelpEditor::commandLineEdited()
{
    if (host_)
        host_->setCommandLine(host_->currentList(), host_->editedCmd(), cmdData_->text());
}

void MacroHelpEditor::helpLineEdited(int i)
{
    // The main window's help area shows the lines as they are typed and
    // collects them from there when the editor closes.
    if (host_)
        host_->setHelpLine(i, helpEdit(i)->text());
}

bool MacroHelpEditor::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && !active_)
        reloadFromHost();
    return QDialog::event(e);
}

void MacroHelpEditor::showEvent(QShowEvent* e)
{
    if (!e->spontaneous()) {
        centreOnScreen(*this);
        // Opening is an activation; doing it here, before the window system
        // reports the activation, means the fields never show stale text.
        if (!active_)
            reloadFromHost();
    }
    QDialog::showEvent(e);
}

void MacroHelpEditor::hideEvent(QHideEvent* e)
{
    if (!e->spontaneous())
        active_ = false;
    QDialog::hideEvent(e);
}

void MacroHelpEditor::resizeEvent(QResizeEvent* e)
{
    // The fields follow the width being applied; the first layout (no old
    // size) keeps the design widths.
    if (e->oldSize().isValid())
        fitFieldsToWidth(e->size().width());
    QDialog::resizeEvent(e);
}

void MacroHelpEditor::keyPressEvent(QKeyEvent* e)
{
    // No cancel: Escape does not close the editor (QDialog would).
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool MacroHelpEditor::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            if (fieldKeyPress(field, *static_cast<QKeyEvent*>(e)))
                return true;
    }
    return QDialog::eventFilter(watched, e);
}

bool MacroHelpEditor::fieldKeyPress(QLineEdit* field, const QKeyEvent& key)
{
    if (!isPlainKey(key))
        return false;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QLineEdit* next = nextField(field))
            next->setFocus(Qt::TabFocusReason);
        else
            accept();
        return true;
    case Qt::Key_Backspace:
        // Swallowing the key keeps it from deleting in the field that now
        // has the focus.
        if (field->text().isEmpty()) {
            if (QLineEdit* previous = previousField(field)) {
                previous->setFocus(Qt::BacktabFocusReason);
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

QLineEdit* MacroHelpEditor::nextField(QLineEdit* field) const
{
    if (field == cmdName_)
        return cmdData_;
    if (field == cmdData_)
        return edits_.front();
    const auto it = std::find(edits_.begin(), edits_.end(), field);
    if (it == edits_.end() || it + 1 == edits_.end())
        return nullptr;
    return *(it + 1);
}

QLineEdit* MacroHelpEditor::previousField(QLineEdit* field) const
{
    if (field == cmdData_)
        return cmdName_;
    if (field == edits_.front())
        return cmdData_;
    const auto it = std::find(edits_.begin(), edits_.end(), field);
    if (it == edits_.end())
        return nullptr;  // CmdName: nothing before it
    return *(it - 1);
}

}  // namespace comtrax
