#pragma once
// "Сохранить изменения  макросов?" with "Да", "Нет" and "Отмена". The prompt
// only asks; the caller saves the lists or refuses the close.
#include <QDialog>

class QLabel;
class QPushButton;

namespace comtrax {

class SaveMacrosPrompt : public QDialog {
    Q_OBJECT
public:
    enum class Result { Yes, No, Cancel };

    explicit SaveMacrosPrompt(QWidget* parent = nullptr);

    // Shows the prompt modally and returns the answer. Closing it with the
    // close box or Escape answers Cancel: a dismissed question must neither
    // save nor throw the changes away.
    Result ask();

    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    QLabel* text_;
    QPushButton* yes_;
    QPushButton* no_;
    QPushButton* cancel_;
    Result result_ = Result::Cancel;
};

}  // namespace comtrax
