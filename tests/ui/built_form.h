#pragma once
// A bare 951 × 763 widget with the main window's controls built on it, shown
// offscreen so that pointer moves travel the real delivery path.
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "ui/window/build_controls.h"

namespace comtrax::test {

struct BuiltForm {
    QWidget form;
    Controls c;

    explicit BuiltForm(bool show = true)
    {
        form.resize(DesignWidth, DesignHeight);
        buildMainWindowControls(&form, c);
        if (show)
            form.show();
    }

    // A pointer move with no button pressed, at a point local to w, delivered
    // to the window the way the platform delivers it.
    void hover(QWidget* w, QPoint local) { QTest::mouseMove(form.windowHandle(), w->mapTo(&form, local)); }
    void hover(QWidget* w) { hover(w, w->rect().center()); }

    void fillHelp(const QString& marker)
    {
        for (int k = 1; k <= HelpLineTotal; ++k)
            c.STH[k]->setText(marker + QString::number(k));
    }
    bool helpIs(const QString& marker) const
    {
        for (int k = 1; k <= HelpLineTotal; ++k)
            if (c.STH[k]->text() != marker + QString::number(k))
                return false;
        return true;
    }
    bool helpEmpty() const
    {
        for (int k = 1; k <= HelpLineTotal; ++k)
            if (!c.STH[k]->text().isEmpty())
                return false;
        return true;
    }

    static constexpr int DesignWidth = 951;
    static constexpr int DesignHeight = 763;
};

}  // namespace comtrax::test
