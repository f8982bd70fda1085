#pragma once
// The window shown when a line is to be sent while no port is open: one
// picture that tells the user to pick a port and connect.
#include <QDialog>

class QLabel;

namespace comtrax {

class NoPortDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 600;
    static constexpr int ClientHeight = 500;

    explicit NoPortDialog(QWidget* parent = nullptr);

    static QPixmap drawPicture();

protected:
    void showEvent(QShowEvent* e) override;

private:
    QLabel* image_;  // Image1
};

}  // namespace comtrax
