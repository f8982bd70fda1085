#include "ui/main_window.h"

namespace comtrax {

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("Comtrax v1.06");
}

}  // namespace comtrax
