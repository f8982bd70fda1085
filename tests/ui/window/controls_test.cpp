#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStyle>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QToolButton>

#include <gtest/gtest.h>

#include "presentation/window_layout.h"
#include "built_form.h"
#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/kit/up_down.h"
#include "ui/window/window_layout_apply.h"

namespace comtrax {
namespace {

using test::BuiltForm;

QWidget* find(QWidget& form, const char* name)
{
    return form.findChild<QWidget*>(QString::fromLatin1(name));
}

// Positions as designed, relative to the band or panel that holds the
// control; -1 where the design states no size.
TEST(BuildControls, ControlsSitWhereTheyAreDesigned)
{
    BuiltForm f(false);
    const struct {
        const char* name;
        const char* parent;
        int left, top, width, height;
    } table[] = {
        {"Panel1", "", 4, 0, 937, 25},
        {"MainWindow", "", 4, 28, 937, 375},
        {"SecondWindow", "", 4, 28, 937, 375},
        {"LogPanel", "", 4, 406, 937, 45},
        {"MainPanel", "", 4, 452, 937, 297},
        {"BTConnect", "Panel1", 0, 0, 65, -1},
        {"BTRescan", "Panel1", 64, 0, 65, -1},
        {"ComPort", "Panel1", 128, 0, 61, -1},
        {"BaudRate", "Panel1", 188, 0, 61, -1},
        {"ComBits", "Panel1", 248, 0, 37, -1},
        {"ComStopBits", "Panel1", 284, 0, 37, -1},
        {"AutoConnect", "Panel1", 324, 4, 89, -1},
        {"TimeOutRx", "Panel1", 408, 0, 17, -1},
        {"TimeOutAns", "Panel1", 428, 4, 89, -1},
        {"FiltrLog", "Panel1", 520, 4, 77, -1},
        {"Srift", "Panel1", 604, 0, 17, -1},
        {"BTLog", "Panel1", 636, 0, 61, -1},
        {"StartLog", "Panel1", 696, 0, 61, -1},
        {"StartStop", "Panel1", 756, 0, 61, -1},
        {"BTPalitra", "Panel1", 816, 0, 61, -1},
        {"BtInfo", "Panel1", 876, 0, 61, -1},
        {"TextTime", "LogPanel", 4, 16, 53, -1},
        {"OutMode", "LogPanel", 64, 0, 117, 45},
        {"VisTime", "OutMode", 4, 16, -1, -1},
        {"RBASCII", "OutMode", 64, 8, -1, -1},
        {"RBHEX", "OutMode", 64, 24, -1, -1},
        {"InputMode", "LogPanel", 184, 0, 477, 45},
        {"Label1", "InputMode", 4, 16, -1, -1},
        {"RBManual", "InputMode", 76, 8, -1, -1},
        {"RBAfterAns", "InputMode", 160, 8, -1, -1},
        {"RBSel", "InputMode", 76, 24, -1, -1},
        {"RBPeriod", "InputMode", 160, 24, -1, -1},
        {"PeriodTX", "InputMode", 244, 24, 33, -1},
        {"SendAsReconn", "InputMode", 284, 8, -1, -1},
        {"CiklSend", "InputMode", 284, 24, -1, -1},
        {"PStats", "LogPanel", 668, 1, 268, 43},
        {"MainStrCmd", "MainPanel", 8, 6, 641, -1},
        {"Str1", "MainPanel", 636, 8, -1, -1},
        {"LPlus", "MainPanel", 652, 4, -1, -1},
        {"AddStrCmd", "MainPanel", 668, 6, 261, -1},
        {"Str2", "MainPanel", 916, 8, -1, -1},
        {"FastOldCmd", "MainPanel", 8, 24, 641, 241},
        {"LBTail", "MainPanel", 668, 24, 261, 241},
        {"CBLists", "MainPanel", 8, 32, 289, -1},
        {"STListName", "MainPanel", 8, 32, 289, -1},
        {"ListNameEDT", "MainPanel", 8, 32, 289, -1},
        {"EditAllCmd", "MainPanel", 302, 32, 87, 33},
        {"DelList", "MainPanel", 388, 32, 93, 17},
        {"SaveF", "MainPanel", 388, 48, 93, 17},
        {"ListDec", "MainPanel", 480, 32, 85, 33},
        {"ButtonReadFile", "MainPanel", 564, 32, 85, 33},
        {"ListInc", "MainPanel", 564, 32, 85, 33},
        {"RBName", "MainPanel", 668, 32, -1, -1},
        {"RbData", "MainPanel", 668, 48, -1, -1},
        {"SendStart", "MainPanel", 668, 32, 129, 33},
        {"ButtonSend", "MainPanel", 800, 32, 129, 33},
        {"OldCmdList", "MainPanel", 8, 72, 877, 193},
        {"STLog", "MainPanel", 8, 272, 641, -1},
        {"StaticText1", "MainPanel", 8, 272, 641, -1},
        {"StaticText3", "MainPanel", 668, 272, 261, -1},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        QWidget* w = find(f.form, row.name);
        ASSERT_NE(w, nullptr);
        QWidget* parent = *row.parent ? find(f.form, row.parent) : &f.form;
        EXPECT_EQ(w->parentWidget(), parent);
        EXPECT_EQ(w->x(), row.left);
        EXPECT_EQ(w->y(), row.top);
        if (row.width >= 0) {
            EXPECT_EQ(w->width(), row.width);
        }
        if (row.height >= 0) {
            EXPECT_EQ(w->height(), row.height);
        }
    }
    for (int k = 1; k <= MacroCount; ++k) {
        const int column = (k - 1) / 8;
        const QRect r(8 + 88 * column, 72 + 24 * ((k - 1) % 8), column == 5 ? 201 : 89, 25);
        EXPECT_EQ(f.c.Button[k]->geometry(), r) << k;
        EXPECT_EQ(f.c.Edit[k]->geometry(), r) << k;
        EXPECT_EQ(f.c.Button[k]->objectName(), QStringLiteral("Button%1").arg(k));
        EXPECT_EQ(f.c.Edit[k]->objectName(), QStringLiteral("Edit%1").arg(k));
    }
    for (int k = 1; k <= HelpLineTotal; ++k) {
        EXPECT_EQ(f.c.STH[k]->geometry(), QRect(668, 72 + 16 * (k - 1), 261, 17)) << k;
        EXPECT_EQ(f.c.STH[k]->objectName(), QStringLiteral("STH%1").arg(k));
    }
}

// captureInitialLayout reads the built controls; it must find the design.
TEST(BuildControls, CapturedLayoutIsTheDesign)
{
    BuiltForm f(false);
    const InitialLayout got = captureInitialLayout(f.c);
    const InitialLayout want = designInitialLayout();
    const WindowLayout a = layoutWidth(got, 1100, 900, false, 641);
    const WindowLayout b = layoutWidth(want, 1100, 900, false, 641);
    EXPECT_EQ(got.sthLeft, want.sthLeft);
    EXPECT_EQ(got.buttons, want.buttons);
    EXPECT_EQ(got.mainWindowBottomGap, want.mainWindowBottomGap);
    EXPECT_EQ(got.mainPanelBottomGap, want.mainPanelBottomGap);
    EXPECT_EQ(a.bandWidth, b.bandWidth);
    EXPECT_EQ(a.addStrCmdLeft, b.addStrCmdLeft);
    EXPECT_EQ(a.staticText1, b.staticText1);
    EXPECT_EQ(a.oldCmdList, b.oldCmdList);
    EXPECT_EQ(a.stListNameWidth, b.stListNameWidth);
    EXPECT_EQ(a.btInfoLeft, b.btInfoLeft);
    EXPECT_EQ(a.mainWindowHeight, b.mainWindowHeight);
}

TEST(BuildControls, InitialTextsHintsAndStates)
{
    BuiltForm f(false);
    comtrax::Controls& c = f.c;
    // The texts whose exact spacing, quotes or letters are easily lost.
    const struct {
        QWidget* w;
        QString text;
        QString hint;
    } texts[] = {
        {c.TimeOutAns, "TimeRX: 10000",
         "Если данные не поступают дольше указанного времени (мс), то приём данных завершён. Следует "
         "учитывать возможность переполнения приёмного буфера, если установлен большой таймаут."},
        {c.StartStop, "||", "Остановить/продолжить вывод лога"},
        {c.VisTime, "TIME + ", ""},
        {c.RBASCII, "ASCII", "Пример: \"command\""},
        {c.RBHEX, "HEX", "Пример: \"00 01 02 03 0D 0E 12 13\""},
        {c.RBPeriod, "Период, мс:", ""},
        {c.PeriodTX, "1000", ""},
        {c.MinTimeWait, "MIN_T_W:  NA", "Минимальное время между принятыми пакетами"},
        {c.MaxTimeWait, "MAX_T_W: NA", "Максимальное время между принятыми пакетами"},
        {c.BTClrStat, "0", "Обнулить статистику"},
        {c.AddStrCmd, "$0D", ""},
        {c.ListDec, "<<<<<", "Предыдущий список"},
        {c.ListInc, ">>>>>", "Следующий список"},
        {c.DelList, "Очистить", "Очистить весь список команд"},
        {c.STLog, "Запись в файл не ведётся", ""},
        {c.StaticText3, "TX: 0, RX: 0", ""},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.w->objectName().toStdString());
        QString shown;
        if (auto* b = qobject_cast<QAbstractButton*>(t.w))
            shown = b->text();
        else if (auto* l = qobject_cast<QLabel*>(t.w))
            shown = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(t.w))
            shown = e->text();
        EXPECT_EQ(shown, t.text);
        EXPECT_EQ(t.w->toolTip(), t.hint);
    }
    const struct {
        QWidget* w;
        QString hint;
    } hints[] = {
        {c.ComPort, "Port"},
        {c.BaudRate, "BaudRate"},
        {c.ComBits, "Bits"},
        {c.ComStopBits, "StopBit"},
        {c.TimeOutRx, "Временнй интервал разделения пакетов, мс"},
        {c.FiltrLog, "Фильтр сообщений"},
        {c.Srift, "Размер шрифта"},
        {c.CBLists, "Можно дважды кликнуть мышкой"},
    };
    for (const auto& h : hints)
        EXPECT_EQ(h.w->toolTip(), h.hint) << h.w->objectName().toStdString();

    const struct {
        QComboBox* box;
        QStringList items;
        QString current;
    } boxes[] = {
        {c.ComPort, {}, ""},
        {c.BaudRate,
         {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800", "500000",
          "576000", "921600", "1000000", "1500000", "2000000", "3000000"},
         "1200"},
        {c.ComBits, {"5", "6", "7", "8"}, "8"},
        {c.ComStopBits, {"1", "1,5", "2"}, "1"},
    };
    for (const auto& b : boxes) {
        QStringList items;
        for (int i = 0; i < b.box->count(); ++i)
            items << b.box->itemText(i);
        EXPECT_EQ(items, b.items) << b.box->objectName().toStdString();
        EXPECT_EQ(b.box->currentText(), b.current);
        EXPECT_TRUE(b.box->isEditable());
    }
    QStringList tags;
    for (int i = 0; i < c.LBTail->count(); ++i)
        tags << c.LBTail->item(i)->text();
    ASSERT_EQ(tags.size(), 36);
    EXPECT_EQ(tags[9], "[CRC16_MODBUS LO-HI(0..n)]");
    EXPECT_EQ(tags[35], "[LRC_8(2..n)]");
    EXPECT_EQ(
        tags.mid(0, 9),
        (QStringList{"[SUM_8(0..n)]", "[SUM_8(1..n)]", "[SUM_8(2..n)]", "[XOR_8 (0..n)]", "[XOR_8 (1..n)]",
                     "[XOR_8 (2..n)]", "[FF - SUM_8(0..n)]", "[FF - SUM_8(1..n)]", "[FF - SUM_8(2..n)]"}));

    const struct {
        QWidget* w;
        int maxLength;
    } limits[] = {
        {c.FiltrLog, 250}, {c.PeriodTX, 5}, {c.ListNameEDT, 150}, {c.Edit[1], 50}, {c.Edit[48], 50}};
    for (const auto& l : limits)
        EXPECT_EQ(static_cast<QLineEdit*>(l.w)->maxLength(), l.maxLength) << l.w->objectName().toStdString();

    EXPECT_TRUE(c.MainWindow->isReadOnly());
    EXPECT_FALSE(c.SecondWindow->isReadOnly());
    EXPECT_EQ(c.MainWindow->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(backgroundColour(c.SecondWindow), clInfoBk);
    EXPECT_EQ(backgroundColour(c.STH[5]), clCream);
    EXPECT_EQ(backgroundColour(c.StaticText1), clYellow);
    EXPECT_TRUE(c.RBASCII->isChecked());
    EXPECT_TRUE(c.RBManual->isChecked());
    EXPECT_TRUE(c.RBName->isChecked());
    EXPECT_FALSE(c.ListDec->isEnabled());
    EXPECT_TRUE(c.ListInc->isEnabled());
    EXPECT_TRUE(c.STH[1]->font().bold());
    EXPECT_TRUE(c.STH[1]->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(c.STH[2]->font().bold());
    EXPECT_TRUE(c.FiltrLog->font().bold());
    // Designed at 32 pixels; as large as the 25-pixel button can show whole.
    EXPECT_LE(c.StartStop->font().pixelSize(), 32);
    EXPECT_GE(c.StartStop->font().pixelSize(), 16);
    EXPECT_EQ(c.CBLists->font().pixelSize(), 20);
    EXPECT_EQ(f.form.font().pointSize(), 8);
}

TEST(BuildControls, HiddenAtStartAreExactlyTheDesignedOnes)
{
    BuiltForm f;
    comtrax::Controls& c = f.c;
    QSet<QWidget*> hidden;
    for (QWidget* w : std::initializer_list<QWidget*>{
             c.SecondWindow, c.CiklSend, c.FastOldCmd, c.LBTail, c.STListName, c.ListNameEDT, c.DelList,
             c.SaveF, c.ListDec, c.ListInc, c.SendStart, c.OldCmdList, c.StaticText1})
        hidden.insert(w);
    for (int k = 1; k <= MacroCount; ++k)
        hidden.insert(c.Edit[k]);
    int named = 0;
    for (QWidget* w : f.form.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;  // inner parts of composite widgets
        ++named;
        EXPECT_EQ(w->isHidden(), hidden.contains(w)) << w->objectName().toStdString();
    }
    EXPECT_GT(named, 150);
}

TEST(BuildControls, EveryControlIsNamedOnceAndTracksThePointer)
{
    BuiltForm f(false);
    QSet<QString> names;
    for (QWidget* w : f.form.findChildren<QWidget*>()) {
        EXPECT_TRUE(w->hasMouseTracking()) << w->metaObject()->className();
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        EXPECT_FALSE(names.contains(w->objectName())) << w->objectName().toStdString();
        names.insert(w->objectName());
    }
    for (const char* n : {"BTConnect", "TimeOutAns", "Button17", "Edit48", "STH3", "PStats", "LBTail"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(n))) << n;
}

TEST(BuildControls, TheThreeRadioChoicesDoNotInterfere)
{
    BuiltForm f(false);
    comtrax::Controls& c = f.c;
    c.RBHEX->click();
    c.RBPeriod->click();
    c.RbData->click();
    EXPECT_TRUE(c.RBHEX->isChecked());
    EXPECT_FALSE(c.RBASCII->isChecked());
    EXPECT_TRUE(c.RBPeriod->isChecked());
    EXPECT_FALSE(c.RBManual->isChecked());
    EXPECT_TRUE(c.RbData->isChecked());
    EXPECT_FALSE(c.RBName->isChecked());
    EXPECT_EQ(c.EncodingGroup->checkedId(), 2);
    EXPECT_EQ(c.SendModeGroup->checkedId(), 4);
    EXPECT_EQ(c.DisplayGroup->checkedId(), 2);
    c.RBSel->click();
    EXPECT_EQ(c.SendModeGroup->checkedId(), 2);
    c.RBAfterAns->click();
    EXPECT_EQ(c.SendModeGroup->checkedId(), 3);
    EXPECT_TRUE(c.RBHEX->isChecked());
    EXPECT_TRUE(c.RbData->isChecked());
}

// Typing a name into an editable drop-down must not grow its list.
TEST(BuildControls, TypedTextAddsNoItems)
{
    BuiltForm f(false);
    for (QComboBox* box : {f.c.CBLists, f.c.ComPort, f.c.BaudRate}) {
        const int before = box->count();
        box->lineEdit()->setText("typed");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box->count(), before) << box->objectName().toStdString();
    }
}

// The arrows report each click, also where a range-bound control would stop.
TEST(BuildControls, UpDownArrowsReportEveryClick)
{
    BuiltForm f;
    for (UpDown* u : {f.c.TimeOutRx, f.c.Srift}) {
        QSignalSpy up(u, &UpDown::upClicked);
        QSignalSpy down(u, &UpDown::downClicked);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(u->upButton(), Qt::LeftButton);
        for (int i = 0; i < 25; ++i)
            QTest::mouseClick(u->downButton(), Qt::LeftButton);
        EXPECT_EQ(up.count(), 3);
        EXPECT_EQ(down.count(), 25);
    }
}

// Plain text only: a help line or a file name that looks like markup is shown
// as typed.
TEST(BuildControls, LabelsShowMarkupAsTyped)
{
    BuiltForm f(false);
    for (QLabel* l : std::initializer_list<QLabel*>{f.c.STH[2], f.c.STLog, f.c.STListName, f.c.TimeOutAns})
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->objectName().toStdString();
}

}  // namespace
}  // namespace comtrax

// Captions the user reads whole: the freeze glyphs inside their button and the
// last letter of the cyclic-send box, without moving or resizing either.
TEST(BuildControls, CaptionsFitTheirControls)
{
    comtrax::test::BuiltForm f(false);
    comtrax::Controls& c = f.c;
    const QFontMetrics glyphs(c.StartStop->font());
    for (const QString& caption : {QStringLiteral("||"), QStringLiteral(">")}) {
        SCOPED_TRACE(caption.toStdString());
        EXPECT_LE(glyphs.tightBoundingRect(caption).height(), c.StartStop->height() - 6);
        EXPECT_TRUE(c.StartStop->font().bold());
    }
    EXPECT_EQ(c.StartStop->size(), QSize(61, 25));

    const QStyle* style = c.CiklSend->style();
    const int caption = QFontMetrics(c.CiklSend->font()).horizontalAdvance(c.CiklSend->text());
    EXPECT_LE(caption + style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, c.CiklSend)
                  + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, c.CiklSend),
              c.CiklSend->width());
    EXPECT_EQ(c.CiklSend->width(), 190);
}
