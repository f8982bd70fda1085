#include "ui/panels/command_file_view.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>

#include "ui/kit/colours.h"
#include "ui/panels/command_band.h"
#include "ui/panels/macro_panel.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"

namespace comtrax {

CommandFileView::CommandFileView(FileViewControls& c, Terminal& terminal, MacroPanel& macros,
                                 CommandBand& command, std::function<QString()> askFileName, QObject* parent)
    : QObject(parent),
      c_(c),
      terminal_(terminal),
      macros_(macros),
      command_(command),
      askFileName_(std::move(askFileName))
{
    connect(c_.ButtonReadFile, &QPushButton::clicked, this, &CommandFileView::toggle);
    connect(c_.SendStart, &QPushButton::clicked, this, &CommandFileView::startSending);
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
    // The file's name stretches up to this button.
    macros_.showFileCaption(name, c_.ButtonReadFile->x());
    c_.OldCmdList->clear();
    c_.OldCmdList->show();
    c_.OldCmdList->raise();
    c_.OldCmdList->setEnabled(true);
    c_.SendStart->show();
    terminal_.loadCommandFile(QFile::encodeName(name).toStdString());
    for (const std::string& line : terminal_.fileLines())
        c_.OldCmdList->addItem(shownText(fromCp1251(line)));
}

void CommandFileView::close()
{
    open_ = false;
    c_.ButtonReadFile->setText(uiText("Из файла"));
    terminal_.leaveCommandFile();
    c_.OldCmdList->clear();
    c_.OldCmdList->hide();
    c_.SendStart->hide();
    macros_.hideFileCaption();
}

void CommandFileView::lineClicked(int row)
{
    const auto& lines = terminal_.fileLines();
    if (row < 0 || static_cast<std::size_t>(row) >= lines.size())
        return;
    c_.OldCmdList->setEnabled(false);
    macros_.setSelectedCommand(lines[static_cast<std::size_t>(row)]);
    if (terminal_.sendMode() == SendMode::OnSelect)
        terminal_.send(macros_.selectedCommand());
    else
        command_.setCommandLine(macros_.selectedCommand());
    c_.OldCmdList->setEnabled(true);
    command_.focusCommandLine();
}

void CommandFileView::startSending()
{
    terminal_.startFileSending();
    emit sendingStarted();
}

void CommandFileView::modeChanged()
{
    c_.SendStart->setEnabled(terminal_.sendStartEnabled());
    c_.OldCmdList->setEnabled(true);
}

void CommandFileView::setButtonShown(bool shown)
{
    c_.ButtonReadFile->setVisible(shown);
}

void CommandFileView::setColours(uint32_t back, uint32_t text)
{
    setBackgroundColour(c_.OldCmdList, back);
    setTextColour(c_.OldCmdList, text);
}

}  // namespace comtrax
