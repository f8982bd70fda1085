#include "ui/panels/command_file_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "macros/cmd_lists.h"
#include "ui/kit/click_label.h"
#include "ui/panels/macro_panel.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"

namespace comtrax {

CommandFileView::CommandFileView(Controls& c, Terminal& terminal, CmdLists& lists, MacroPanel& macros,
                                 std::function<QString()> askFileName, QObject* parent)
    : QObject(parent),
      c_(c),
      terminal_(terminal),
      lists_(lists),
      macros_(macros),
      askFileName_(std::move(askFileName))
{
    connect(c_.ButtonReadFile, &QPushButton::clicked, this, &CommandFileView::toggle);
    connect(c_.OldCmdList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { lineClicked(c_.OldCmdList->row(item)); });
}

void CommandFileView::toggle()
{
    if (open_) {
        close();
    } else {
        const QString name = askFileName_();
        if (name.isEmpty())
            return;
        open(name);
    }
    emit shownOrHidden();
}

void CommandFileView::open(const QString& name)
{
    open_ = true;
    c_.ButtonReadFile->setText(uiText("Назад"));
    c_.CBLists->hide();
    c_.STListName->setToolTip(QString());
    c_.STListName->resize(c_.STListName->x() + c_.ButtonReadFile->x() - 20, c_.STListName->height());
    c_.CiklSend->show();
    const SendMode mode = terminal_.options().sendMode;
    c_.CiklSend->setEnabled(mode == SendMode::AfterAnswer || mode == SendMode::Period);
    showText(c_.STListName, name);
    c_.STListName->show();
    c_.OldCmdList->clear();
    c_.OldCmdList->show();
    c_.OldCmdList->raise();
    c_.OldCmdList->setEnabled(true);
    c_.EditAllCmd->hide();
    c_.SendStart->show();
    c_.RBName->hide();
    c_.RbData->hide();
    terminal_.loadCommandFile(QFile::encodeName(name).toStdString());
    for (const std::string& line : terminal_.fileLines())
        c_.OldCmdList->addItem(shownText(fromCp1251(line)));
}

void CommandFileView::close()
{
    open_ = false;
    c_.ButtonReadFile->setText(uiText("Из файла"));
    terminal_.leaveCommandFile();
    showText(c_.STListName, fromCp1251(lists_.listName(macros_.currentList())));
    c_.STListName->setToolTip(uiText("Список откроется по двойному клику"));
    c_.OldCmdList->clear();
    c_.CiklSend->hide();
    c_.OldCmdList->hide();
    c_.STListName->hide();
    c_.SendStart->hide();
    c_.EditAllCmd->show();
    c_.CBLists->show();
    c_.RBName->show();
    c_.RbData->show();
}

void CommandFileView::lineClicked(int row)
{
    const auto& lines = terminal_.fileLines();
    if (row < 0 || static_cast<std::size_t>(row) >= lines.size())
        return;
    c_.OldCmdList->setEnabled(false);
    macros_.setSelectedCommand(lines[static_cast<std::size_t>(row)]);
    if (terminal_.options().sendMode == SendMode::OnSelect)
        terminal_.send(macros_.selectedCommand());
    else
        c_.MainStrCmd->setText(fromCp1251(macros_.selectedCommand()));
    c_.OldCmdList->setEnabled(true);
    c_.MainStrCmd->setFocus();
}

}  // namespace comtrax
