#include "ui/window/build_controls.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QStyle>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <initializer_list>

#include "transmit/codec.h"
#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/kit/up_down.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

// Heights the designer gives controls of the window font when none is stated.
constexpr int ButtonHeight = 25;
constexpr int EditHeight = 21;
constexpr int CheckHeight = 17;
constexpr int TextHeight = 17;

template <class T> T* place(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    T* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    return w;
}

QFrame* panel(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    QFrame* f = place<QFrame>(parent, name, left, top, width, height);
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    f->setLineWidth(1);
    // Panels are opaque, also where a narrowed window makes them overlap.
    f->setAutoFillBackground(true);
    return f;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                    int height = ButtonHeight)
{
    QPushButton* b = place<QPushButton>(parent, name, left, top, width, height);
    b->setText(caption);
    return b;
}

template <class T = QLabel>
T* text(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
        int height = TextHeight, bool sunken = false)
{
    T* l = place<T>(parent, name, left, top, width, height);
    // Help lines, file names and list names come from the user: never
    // interpret them as markup.
    l->setTextFormat(Qt::PlainText);
    l->setText(caption);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (sunken) {
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setLineWidth(1);
        l->setIndent(2);
    }
    return l;
}

QComboBox* dropDown(QWidget* parent, const char* name, int left, int top, int width, const QStringList& items,
                    int current, const QString& hint)
{
    QComboBox* c = place<QComboBox>(parent, name, left, top, width, EditHeight);
    c->setEditable(true);
    // Typing into the edit part chooses a value; it never adds an item.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setCurrentIndex(current);
    c->setToolTip(hint);
    return c;
}

template <class T>
T* check(QWidget* parent, const char* name, const QString& caption, int left, int top, int width)
{
    T* b = place<T>(parent, name, left, top, width, CheckHeight);
    b->setText(caption);
    return b;
}

QLineEdit* edit(QWidget* parent, const char* name, int left, int top, int width, int height = EditHeight)
{
    return place<QLineEdit>(parent, name, left, top, width, height);
}

UpDown* upDown(QWidget* parent, const char* name, int left, const QString& hint)
{
    UpDown* u = place<UpDown>(parent, name, left, 0, 17, ButtonHeight);
    u->setToolTip(hint);
    u->upButton()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Up"));
    u->downButton()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Down"));
    return u;
}

QFont windowFont(const QWidget* form)
{
    // The designed font does not exist outside Windows. DejaVu Sans stands in
    // for it at the same size, in its condensed cut where installed: the plain
    // cut is about a tenth wider, and the help lines, justified by hand for
    // the designed font, would no longer fit their 261 pixels.
    QFont f = form->font();
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    return f;
}

QFont bold(QFont f)
{
    f.setBold(true);
    return f;
}

QFont boldPixels(QFont f, int pixels)
{
    f.setBold(true);
    f.setPixelSize(pixels);
    return f;
}

// The designed bold size where the button's face can hold every caption, or
// the largest smaller one that can: a glyph taller than the button is cut off.
QFont fittingBoldPixels(const QPushButton* b, int designed, std::initializer_list<QString> captions)
{
    for (int px = designed; px > 8; --px) {
        const QFont f = boldPixels(b->font(), px);
        const QFontMetrics m(f);
        const bool fits = std::all_of(captions.begin(), captions.end(), [&](const QString& t) {
            const QRect r = m.tightBoundingRect(t);
            return r.height() <= b->height() - 6 && r.width() <= b->width() - 8;
        });
        if (fits)
            return f;
    }
    return boldPixels(b->font(), designed);
}

// A check box's caption drawn a little tighter where the box's width cannot
// hold it, so the last letter is not cut off; the box keeps its place and size.
void fitCheckCaption(QCheckBox* box)
{
    const QStyle* style = box->style();
    const int room = box->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box)
        - style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) - 2;
    QFont f = box->font();
    for (int spacing = 100; spacing >= 90 && QFontMetrics(f).horizontalAdvance(box->text()) > room;
         --spacing) {
        f.setLetterSpacing(QFont::PercentageSpacing, spacing);
        box->setFont(f);
    }
}

void buildTopBar(QWidget* form, Controls& c)
{
    QFrame* p = c.Panel1 = panel(form, "Panel1", 4, 0, 937, 25);
    c.BTConnect = button(p, "BTConnect", QStringLiteral("Connect"), 0, 0, 65);
    c.BTRescan = button(p, "BTRescan", QStringLiteral("ReScan"), 64, 0, 65);
    c.ComPort = dropDown(p, "ComPort", 128, 0, 61, {}, -1, QStringLiteral("Port"));
    c.BaudRate =
        dropDown(p, "BaudRate", 188, 0, 61,
                 {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800",
                  "500000", "576000", "921600", "1000000", "1500000", "2000000", "3000000"},
                 0, QStringLiteral("BaudRate"));
    c.ComBits = dropDown(p, "ComBits", 248, 0, 37, {"5", "6", "7", "8"}, 3, QStringLiteral("Bits"));
    c.ComStopBits = dropDown(p, "ComStopBits", 284, 0, 37, {"1", "1,5", "2"}, 0, QStringLiteral("StopBit"));
    c.AutoConnect = check<QCheckBox>(p, "AutoConnect", QStringLiteral("AutoConnect"), 324, 4, 89);
    c.TimeOutRx = upDown(p, "TimeOutRx", 408, uiText("Временнй интервал разделения пакетов, мс"));
    c.TimeOutAns = text(p, "TimeOutAns", QStringLiteral("TimeRX: 10000"), 428, 4, 89, TextHeight, true);
    c.TimeOutAns->setToolTip(uiText(
        "Если данные не поступают дольше указанного времени (мс), то приём данных завершён. "
        "Следует учитывать возможность переполнения приёмного буфера, если установлен большой таймаут."));
    c.FiltrLog = edit(p, "FiltrLog", 520, 4, 77, EditHeight);
    c.FiltrLog->setFont(bold(c.FiltrLog->font()));
    c.FiltrLog->setMaxLength(250);
    c.FiltrLog->setToolTip(uiText("Фильтр сообщений"));
    c.Srift = upDown(p, "Srift", 604, uiText("Размер шрифта"));
    c.BTLog = button(p, "BTLog", QStringLiteral("Clear"), 636, 0, 61);
    c.BTLog->setToolTip(uiText("Очистить окно лога"));
    c.StartLog = button(p, "StartLog", QStringLiteral("Start Log"), 696, 0, 61);
    c.StartStop = button(p, "StartStop", QStringLiteral("||"), 756, 0, 61);
    c.StartStop->setFont(fittingBoldPixels(c.StartStop, 32, {QStringLiteral("||"), QStringLiteral(">")}));
    c.StartStop->setToolTip(uiText("Остановить/продолжить вывод лога"));
    c.BTPalitra = button(p, "BTPalitra", QStringLiteral("Colors"), 816, 0, 61);
    c.BTPalitra->setToolTip(uiText("Цвет окна лога"));
    c.BtInfo = button(p, "BtInfo", QStringLiteral("Info"), 876, 0, 61);
}

LogTextView* logView(QWidget* form, const char* name)
{
    LogTextView* t = place<LogTextView>(form, name, 4, 28, 937, 375);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return t;
}

void buildLogViews(QWidget* form, Controls& c)
{
    c.MainWindow = logView(form, "MainWindow");
    c.SecondWindow = place<QPlainTextEdit>(form, "SecondWindow", 4, 28, 937, 375);
    c.SecondWindow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.SecondWindow->setUndoRedoEnabled(false);
    setBackgroundColour(c.SecondWindow, clInfoBk);
    c.SecondWindow->hide();
}

void buildLogPanel(QWidget* form, Controls& c)
{
    QFrame* p = c.LogPanel = panel(form, "LogPanel", 4, 406, 937, 45);
    c.TextTime = text(p, "TextTime", QString(), 4, 16, 53, TextHeight, true);

    QFrame* out = c.OutMode = panel(p, "OutMode", 64, 0, 117, 45);
    c.VisTime = check<QCheckBox>(out, "VisTime", QStringLiteral("TIME + "), 4, 16, 58);
    c.RBASCII = check<QRadioButton>(out, "RBASCII", QStringLiteral("ASCII"), 64, 8, 50);
    c.RBASCII->setToolTip(uiText("Пример: \"command\""));
    c.RBHEX = check<QRadioButton>(out, "RBHEX", QStringLiteral("HEX"), 64, 24, 50);
    c.RBHEX->setToolTip(uiText("Пример: \"00 01 02 03 0D 0E 12 13\""));
    c.EncodingGroup = new QButtonGroup(out);
    c.EncodingGroup->setObjectName(QStringLiteral("EncodingGroup"));
    c.EncodingGroup->addButton(c.RBASCII, 1);
    c.EncodingGroup->addButton(c.RBHEX, 2);
    c.RBASCII->setChecked(true);

    QFrame* in = c.InputMode = panel(p, "InputMode", 184, 0, 477, 45);
    c.Label1 = text(in, "Label1", uiText("Отправка:"), 4, 16, 70, 13);
    c.RBManual = check<QRadioButton>(in, "RBManual", uiText("Ручная"), 76, 8, 84);
    c.RBAfterAns = check<QRadioButton>(in, "RBAfterAns", uiText("После ответа"), 160, 8, 120);
    c.RBSel = check<QRadioButton>(in, "RBSel", uiText("При выборе"), 76, 24, 84);
    c.RBPeriod = check<QRadioButton>(in, "RBPeriod", uiText("Период, мс:"), 160, 24, 84);
    c.SendModeGroup = new QButtonGroup(in);
    c.SendModeGroup->setObjectName(QStringLiteral("SendModeGroup"));
    c.SendModeGroup->addButton(c.RBManual, 1);
    c.SendModeGroup->addButton(c.RBSel, 2);
    c.SendModeGroup->addButton(c.RBAfterAns, 3);
    c.SendModeGroup->addButton(c.RBPeriod, 4);
    c.RBManual->setChecked(true);
    c.PeriodTX = edit(in, "PeriodTX", 244, 24, 33, 19);
    c.PeriodTX->setMaxLength(5);
    c.PeriodTX->setText(QStringLiteral("1000"));
    c.SendAsReconn = check<QCheckBox>(in, "SendAsReconn", uiText("Отправить при соединении"), 284, 8, 190);
    c.CiklSend = check<QCheckBox>(in, "CiklSend", uiText("Циклическая отправка из файла"), 284, 24, 190);
    fitCheckCaption(c.CiklSend);
    c.CiklSend->hide();

    // Right-aligned inside LogPanel's one-pixel bevel; the layout pass keeps it there.
    QFrame* s = c.PStats = panel(p, "PStats", 937 - 1 - 268, 1, 268, 43);
    c.LSend = text(s, "LSend", QStringLiteral("Send: 0"), 6, 4, 92);
    c.LSend->setToolTip(uiText("Число отправленных пакетов"));
    c.LRead = text(s, "LRead", QStringLiteral("Read: 0"), 6, 22, 92);
    c.LRead->setToolTip(uiText("Число принятых пакетов"));
    c.MinTimeWait = text(s, "MinTimeWait", QStringLiteral("MIN_T_W:  NA"), 100, 4, 132);
    c.MinTimeWait->setToolTip(uiText("Минимальное время между принятыми пакетами"));
    c.MaxTimeWait = text(s, "MaxTimeWait", QStringLiteral("MAX_T_W: NA"), 100, 22, 132);
    c.MaxTimeWait->setToolTip(uiText("Максимальное время между принятыми пакетами"));
    c.BTClrStat = button(s, "BTClrStat", QStringLiteral("0"), 236, 9, 25, 25);
    c.BTClrStat->setToolTip(uiText("Обнулить статистику"));
}

ClickLabel* arrow(QWidget* parent, const char* name, int left)
{
    // A downward arrow the platform fonts draw (the designed one came from the
    // "Symbol" font's 0xAF).
    ClickLabel* a = text<ClickLabel>(parent, name, QStringLiteral("\u25BC"), left, 8, 11, 15);
    QFont f = a->font();
    f.setPointSize(6);
    a->setFont(f);
    a->setAlignment(Qt::AlignCenter);
    a->setCursor(Qt::ArrowCursor);
    return a;
}

void buildCommandRow(QFrame* p, Controls& c)
{
    c.MainStrCmd = edit(p, "MainStrCmd", 8, 6, 641);
    c.MainStrCmd->setToolTip(uiText("Командная строка"));
    c.Str1 = arrow(p, "Str1", 636);
    c.LPlus = text(p, "LPlus", QStringLiteral("+"), 652, 4, 13, 21);
    c.LPlus->setFont(bold(c.LPlus->font()));
    c.LPlus->setAlignment(Qt::AlignCenter);
    c.AddStrCmd = edit(p, "AddStrCmd", 668, 6, 261);
    c.AddStrCmd->setText(QStringLiteral("$0D"));
    c.Str2 = arrow(p, "Str2", 916);
}

void buildListRow(QFrame* p, Controls& c)
{
    const QFont big = boldPixels(p->font(), 20);
    c.CBLists = place<QComboBox>(p, "CBLists", 8, 32, 289, 33);
    c.CBLists->setEditable(true);
    c.CBLists->setInsertPolicy(QComboBox::NoInsert);
    c.CBLists->setMaxVisibleItems(20);
    c.CBLists->setFont(big);
    c.CBLists->setToolTip(uiText("Можно дважды кликнуть мышкой"));
    c.STListName = text<ClickLabel>(p, "STListName", QString(), 8, 32, 289, 33);
    c.STListName->setFont(big);
    c.STListName->setToolTip(uiText("Список откроется по двойному клику"));
    c.STListName->hide();
    c.ListNameEDT = edit(p, "ListNameEDT", 8, 32, 289, 33);
    c.ListNameEDT->setFont(big);
    c.ListNameEDT->setMaxLength(150);
    c.ListNameEDT->hide();

    c.EditAllCmd = button(p, "EditAllCmd", uiText("Редактор"), 302, 32, 87, 33);
    c.DelList = button(p, "DelList", uiText("Очистить"), 388, 32, 93, 17);
    c.DelList->setToolTip(uiText("Очистить весь список команд"));
    c.DelList->hide();
    c.SaveF = button(p, "SaveF", uiText("Сохранить"), 388, 48, 93, 17);
    c.SaveF->setToolTip(uiText("Сохранить все изменения в файл"));
    c.SaveF->hide();
    c.ListDec = button(p, "ListDec", QStringLiteral("<<<<<"), 480, 32, 85, 33);
    c.ListDec->setToolTip(uiText("Предыдущий список"));
    c.ListDec->setEnabled(false);
    c.ListDec->hide();
    c.ButtonReadFile = button(p, "ButtonReadFile", uiText("Из файла"), 564, 32, 85, 33);
    c.ListInc = button(p, "ListInc", QStringLiteral(">>>>>"), 564, 32, 85, 33);
    c.ListInc->setToolTip(uiText("Следующий список"));
    c.ListInc->hide();

    c.RBName = check<QRadioButton>(p, "RBName", uiText("Имя команды"), 668, 32, 129);
    c.RbData = check<QRadioButton>(p, "RbData", uiText("Командная строка"), 668, 48, 129);
    c.DisplayGroup = new QButtonGroup(p);
    c.DisplayGroup->setObjectName(QStringLiteral("DisplayGroup"));
    c.DisplayGroup->addButton(c.RBName, 1);
    c.DisplayGroup->addButton(c.RbData, 2);
    c.RBName->setChecked(true);
    c.SendStart = button(p, "SendStart", uiText("Отправить из файла"), 668, 32, 129, 33);
    c.SendStart->hide();
    c.ButtonSend = button(p, "ButtonSend", uiText("Отправить"), 800, 32, 129, 33);
}

void buildMacroGrid(QFrame* p, Controls& c)
{
    static constexpr int ColumnLeft[6] = {8, 96, 184, 272, 360, 448};
    for (int k = 1; k <= MacroCount; ++k) {
        const int column = (k - 1) / 8;
        const int row = (k - 1) % 8;
        const int left = ColumnLeft[column];
        const int top = 72 + 24 * row;
        const int width = column == 5 ? 201 : 89;
        const QByteArray buttonName = "Button" + QByteArray::number(k);
        c.Button[k] = button(p, buttonName.constData(), QString(), left, top, width);
        const QByteArray editName = "Edit" + QByteArray::number(k);
        c.Edit[k] = edit(p, editName.constData(), left, top, width, ButtonHeight);
        c.Edit[k]->setMaxLength(50);
        c.Edit[k]->hide();
    }
}

void buildHelpArea(QFrame* p, Controls& c)
{
    for (int k = 1; k <= HelpLineTotal; ++k) {
        const QByteArray name = "STH" + QByteArray::number(k);
        QLabel* l = text(p, name.constData(), QString(), 668, 72 + 16 * (k - 1), 261, 17);
        l->setFixedSize(261, 17);
        l->setWordWrap(false);
        l->setIndent(1);
        setBackgroundColour(l, clCream);
        if (k == 1) {
            l->setFont(bold(l->font()));
            l->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        }
        c.STH[k] = l;
    }
}

QListWidget* popupList(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    QListWidget* l = place<QListWidget>(parent, name, left, top, width, height);
    l->hide();
    return l;
}

void buildMainPanel(QWidget* form, Controls& c)
{
    QFrame* p = c.MainPanel = panel(form, "MainPanel", 4, 452, 937, 297);
    buildCommandRow(p, c);
    buildListRow(p, c);
    buildMacroGrid(p, c);
    c.OldCmdList = popupList(p, "OldCmdList", 8, 72, 877, 193);
    buildHelpArea(p, c);
    c.STLog = text(p, "STLog", uiText("Запись в файл не ведётся"), 8, 272, 641, TextHeight, true);
    c.StaticText1 = text(p, "StaticText1",
                         uiText("Двойной клик по команде откроет окно редактирования справки"), 8, 272, 641);
    setBackgroundColour(c.StaticText1, clYellow);
    c.StaticText1->hide();
    c.StaticText3 = text(p, "StaticText3", QStringLiteral("TX: 0, RX: 0"), 668, 272, 261, TextHeight, true);

    c.FastOldCmd = popupList(p, "FastOldCmd", 8, 24, 641, 241);
    c.LBTail = popupList(p, "LBTail", 668, 24, 261, 241);
    // Every checksum tag, in its fixed order; the list scrolls past the first nine.
    for (const char* tag : ChecksumTags)
        c.LBTail->addItem(QString::fromLatin1(tag));

    // What opens over the macro grid lies on top of it; the arrows lie on top
    // of the fields they belong to.
    c.OldCmdList->raise();
    c.FastOldCmd->raise();
    c.LBTail->raise();
    c.Str1->raise();
    c.Str2->raise();
}

}  // namespace

void buildMainWindowControls(QWidget* form, Controls& c)
{
    c = Controls{};
    c.form = form;
    form->setFont(windowFont(form));
    buildTopBar(form, c);
    buildLogViews(form, c);
    buildLogPanel(form, c);
    buildMainPanel(form, c);

    // Tracking on every widget, inner ones included (a text area's viewport,
    // a combo box's edit part): a widget without it swallows pointer moves
    // that arrive with no button pressed, so neither it nor its panel would
    // ever see them.
    for (QWidget* w : form->findChildren<QWidget*>())
        w->setMouseTracking(true);
}

}  // namespace comtrax
