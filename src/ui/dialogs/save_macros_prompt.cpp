#include "ui/dialogs/save_macros_prompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ui/kit/dialog_placement.h"
#include "ui/kit/translation.h"

namespace comtrax {

SaveMacrosPrompt::SaveMacrosPrompt(QWidget* parent) : QDialog(parent, CloseBoxOnly)
{
    setObjectName("SaveMacrosPrompt");
    setWindowTitle(QStringLiteral("Comtrax v1.06"));
    setModal(true);

    text_ = new QLabel(uiText("Сохранить изменения  макросов?"), this);
    text_->setObjectName("Label1");
    text_->setAlignment(Qt::AlignCenter);

    auto makeButton = [this](const char* name, const QString& caption, Result answer) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, answer] {
            result_ = answer;
            accept();
        });
        return button;
    };
    yes_ = makeButton("ButtonYes", uiText("Да"), Result::Yes);
    no_ = makeButton("ButtonNo", uiText("Нет"), Result::No);
    cancel_ = makeButton("ButtonCancel", uiText("Отмена"), Result::Cancel);
    yes_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes_);
    buttons->addWidget(no_);
    buttons->addWidget(cancel_);
    buttons->addStretch();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 12);
    column->setSpacing(14);
    column->addWidget(text_);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

SaveMacrosPrompt::Result SaveMacrosPrompt::ask()
{
    result_ = Result::Cancel;
    exec();
    return result_;
}

void SaveMacrosPrompt::showEvent(QShowEvent* e)
{
    if (!e->spontaneous()) {
        centreOnScreen(*this);
        yes_->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(e);
}

}  // namespace comtrax
