#pragma once
#include <QWidget>

namespace comtrax {

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

}  // namespace comtrax
