#pragma once
// The about window ("Info").
#include <QDialog>

class QLabel;
class QLineEdit;
class QFrame;
class QPushButton;

namespace comtrax {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 335;
    static constexpr int ClientHeight = 225;
    static constexpr int PictureWidth = 111;
    static constexpr int PictureHeight = 75;

    explicit AboutDialog(QWidget* parent = nullptr);

    // The picture of the window: a serial connector with its cable.
    static QPixmap drawPicture();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Parks the keyboard focus on the hidden button, so that neither contact
    // line shows a caret or a selection.
    void parkFocus();

    QLabel* title_;
    QLabel* product_;
    QLineEdit* contact1_;
    QFrame* panel_;
    QLabel* image_;
    QLineEdit* contact2_;
    QLabel* date_;
    QPushButton* focusSink_;
};

}  // namespace comtrax
