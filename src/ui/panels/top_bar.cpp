#include "ui/panels/top_bar.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

#include "serial/port_path.h"
#include "presentation/appearance.h"
#include "ui/kit/colours.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"
#include "ui/kit/up_down.h"
#include "ui/panels/line_options_menu.h"

namespace comtrax {

namespace {

// The entry of an editable box that its text names, or "" when the text is
// not one of the entries: a value typed by hand is not a selection.
QString selectedEntry(const QComboBox* box)
{
    const int i = box->findText(box->currentText(), Qt::MatchExactly);
    return i >= 0 ? box->itemText(i) : QString();
}

// ComPort's entries show a label ("ttyUSB0 — CP2102 (0001)") and keep the
// port's name beside it; an entry added without one is its own name.
QString portNameAt(const QComboBox* box, int i)
{
    const QVariant name = box->itemData(i);
    return name.isValid() ? name.toString() : box->itemText(i);
}

// The entry's index as the settings keep it: 255 when the text is no entry.
uint8_t indexByte(const QComboBox* box)
{
    const int i = box->findText(box->currentText(), Qt::MatchExactly);
    return i < 0 ? 255 : static_cast<uint8_t>(i);
}

// A stored index is applied as it stands; one past the list leaves no selection.
void applyIndex(QComboBox* box, uint8_t index)
{
    if (index < box->count())
        box->setCurrentIndex(index);
    else {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

// Selects the entry with the given text; false when the list has none.
bool selectEntry(QComboBox* box, const QString& text)
{
    const int i = box->findText(text, Qt::MatchExactly);
    if (i >= 0)
        box->setCurrentIndex(i);
    return i >= 0;
}

int portIndexOf(const QComboBox* box, const QString& name)
{
    for (int i = 0; i < box->count(); ++i)
        if (portNameAt(box, i) == name)
            return i;
    return -1;
}

// The port ComPort's text names: an entry's label, or an entry's bare name.
QString selectedPortName(const QComboBox* box)
{
    const QString text = box->currentText();
    const int i = box->findText(text, Qt::MatchExactly);
    if (i >= 0)
        return portNameAt(box, i);
    return portIndexOf(box, text) >= 0 ? text : QString();
}

}  // namespace

std::string TopBar::portBytes(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

QString TopBar::portText(const std::string& name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
}

TopBar::TopBar(TopBarControls& c, Terminal& terminal, QObject* parent)
    : QObject(parent),
      c_(c),
      terminal_(terminal),
      fontSize_(c.Panel1->font().pointSize()),  // the window font, the log's too
      schemeBack_(clBtnFace),
      schemeText_(clWindowText),
      lineOptions_(new LineOptionsMenu(c.ComPort))
{
    connect(c_.BTConnect, &QPushButton::clicked, this, &TopBar::toggleConnection);
    connect(c_.BTRescan, &QPushButton::clicked, this, &TopBar::rescanPorts);
    connect(c_.StartLog, &QPushButton::clicked, this, &TopBar::toggleLogFile);
    connect(c_.BTPalitra, &QPushButton::clicked, this, &TopBar::nextColourScheme);
    connect(c_.TimeOutRx, &UpDown::upClicked, this, [this] { stepTimeout(true); });
    connect(c_.TimeOutRx, &UpDown::downClicked, this, [this] { stepTimeout(false); });
    // "3.5 characters" in the read-out's context menu: no control moves.
    characters_ = new QAction(uiText("3,5 символа (Modbus RTU, по скорости и формату кадра)"), c_.TimeOutAns);
    characters_->setObjectName(QStringLiteral("TimeoutCharacters"));
    characters_->setCheckable(true);
    c_.TimeOutAns->setContextMenuPolicy(Qt::ActionsContextMenu);
    c_.TimeOutAns->addAction(characters_);
    connect(characters_, &QAction::toggled, this, [this](bool on) {
        terminal_.setTimeoutInCharacters(on);
        showTimeout(false);
        emit timeoutChanged();
    });
    connect(c_.Srift, &UpDown::upClicked, this, [this] { changeFontSize(true); });
    connect(c_.Srift, &UpDown::downClicked, this, [this] { changeFontSize(false); });
    connect(c_.BTLog, &QPushButton::clicked, this, &TopBar::clearLogRequested);
    connect(c_.BtInfo, &QPushButton::clicked, this, &TopBar::aboutRequested);
    connect(c_.AutoConnect, &QCheckBox::toggled, this, [this](bool on) { terminal_.setAutoConnect(on); });
    connect(c_.FiltrLog, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_.setFilter(toCp1251(t)); });
    terminal_.setAutoConnect(c_.AutoConnect->isChecked());
    terminal_.setFilter(toCp1251(c_.FiltrLog->text()));
    c_.FiltrLog->installEventFilter(this);
    updateFilterColour(false);
    // A label longer than the box shows its start, the port's name.
    connect(c_.ComPort, &QComboBox::currentIndexChanged, this, [this] {
        if (QLineEdit* edit = c_.ComPort->lineEdit())
            edit->setCursorPosition(0);
    });
}

// ---- The port -------------------------------------------------------------------

PortParameters TopBar::portParameters() const
{
    PortParameters p;
    // Port names and paths are file names: the system's encoding, not the data's.
    p.portName = portBytes(selectedPortName(c_.ComPort));
    if (p.portName.empty()) {
        const std::optional<std::string> home = qEnvironmentVariableIsSet("HOME")
            ? std::optional(portBytes(qEnvironmentVariable("HOME")))
            : std::nullopt;
        p.typedText = expandHomePath(portBytes(c_.ComPort->currentText().trimmed()), home);
    }
    // A rate the list lacks is typed by hand and used as typed; the port says
    // whether it can run at it.
    p.baudText = toCp1251(c_.BaudRate->currentText().trimmed());
    p.bitsText = toCp1251(selectedEntry(c_.ComBits));
    p.stopIndex = c_.ComStopBits->findText(c_.ComStopBits->currentText(), Qt::MatchExactly);
    p.line = lineOptions_->options();
    return p;
}

void TopBar::applyPortChoice(const PortChoice& choice)
{
    c_.ComPort->clear();
    for (std::size_t i = 0; i < choice.names.size(); ++i) {
        const QString name = portText(choice.names[i]);
        const QString label = i < choice.labels.size() ? QString::fromStdString(choice.labels[i]) : name;
        c_.ComPort->addItem(label, name);
    }
    c_.ComPort->setCurrentIndex(choice.selected);
    if (choice.selected < 0)
        c_.ComPort->setEditText(QString());
    // The box keeps its width; its list opens as wide as the longest label.
    QAbstractItemView* list = c_.ComPort->view();
    list->setMinimumWidth(std::max(c_.ComPort->width(), list->sizeHintForColumn(0) + 8));
}

void TopBar::selectPort(const QString& name)
{
    int i = portIndexOf(c_.ComPort, name);
    if (i < 0) {
        c_.ComPort->addItem(name, name);
        i = c_.ComPort->count() - 1;
    }
    c_.ComPort->setCurrentIndex(i);
}

void TopBar::selectPortByHash(uint32_t hash)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(c_.ComPort->count()));
    for (int i = 0; i < c_.ComPort->count(); ++i)
        names.push_back(portBytes(portNameAt(c_.ComPort, i)));
    const int port = portIndexForHash(names, hash);
    c_.ComPort->setCurrentIndex(port);
    if (port < 0)
        c_.ComPort->setEditText(QString());
}

void TopBar::applyStartChoice(const PortStartChoice& choice)
{
    if (choice.port) {
        // A port the scan does not list (a link in the user's own directory)
        // is offered as given; ReScan replaces the list as usual.
        selectPort(portText(*choice.port));
    }
    // A rate the list does not hold is used as typed, as in the box itself.
    if (choice.baud && !selectEntry(c_.BaudRate, QString::number(*choice.baud))) {
        c_.BaudRate->setCurrentIndex(-1);
        c_.BaudRate->setEditText(QString::number(*choice.baud));
    }
    if (choice.dataBits)
        selectEntry(c_.ComBits, QString::number(*choice.dataBits));
    if (choice.stopBitsIndex && *choice.stopBitsIndex < c_.ComStopBits->count())
        c_.ComStopBits->setCurrentIndex(*choice.stopBitsIndex);
    if (choice.parity || choice.flow) {
        LineOptions line = lineOptions_->options();
        if (choice.parity)
            line.parity = *choice.parity;
        if (choice.flow)
            line.flow = *choice.flow;
        lineOptions_->setOptions(line);
    }
}

void TopBar::toggleConnection()
{
    c_.BTConnect->setEnabled(false);
    terminal_.toggleConnection(portParameters());
    refreshConnection();
    c_.BTConnect->setEnabled(true);
}

void TopBar::rescanPorts()
{
    applyPortChoice(terminal_.scanPorts(false));
}

void TopBar::refreshConnection()
{
    // The port opened may not be the entry chosen: a typed path, or the same
    // device come back under another name. The box shows what is open.
    if (terminal_.portOpen()) {
        const QString opened = portText(terminal_.portName());
        if (selectedPortName(c_.ComPort) != opened) {
            // A device found again under a new name: the list as it is now,
            // with its label. A typed path is simply added.
            if (portIndexOf(c_.ComPort, opened) < 0 && !opened.contains(QLatin1Char('/')))
                applyPortChoice(terminal_.scanPorts(true));
            selectPort(opened);
        }
    }
    c_.BTConnect->setText(QString::fromLatin1(terminal_.connectCaption()));
    for (QWidget* w : {static_cast<QWidget*>(c_.ComPort), static_cast<QWidget*>(c_.BaudRate),
                       static_cast<QWidget*>(c_.BTRescan), static_cast<QWidget*>(c_.ComBits),
                       static_cast<QWidget*>(c_.ComStopBits)})
        w->setEnabled(terminal_.parametersEnabled());
    if (backgroundColour(c_.ComPort) != terminal_.indicatorColour()) {
        setBackgroundColour(c_.ComPort, terminal_.indicatorColour());
        // While connected the box is disabled, and the style's pale disabled
        // text is hard to read on lime or yellow: the port name stays dark.
        QPalette p = c_.ComPort->palette();
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            p.setColor(QPalette::Disabled, role, QColor(0x30, 0x30, 0x30));
        c_.ComPort->setPalette(p);
    }
    emit connectionChanged();
}

void TopBar::focusConnect()
{
    c_.BTConnect->setFocus();
}

// ---- The log file and the receive timeout ---------------------------------------

void TopBar::toggleLogFile()
{
    terminal_.toggleLogFile();
    showLogState();
}

void TopBar::showLogState()
{
    c_.StartLog->setText(fromUtf8(terminal_.logCaption()));
    if (!terminal_.logStatus().empty())
        c_.STLog->setText(fromUtf8(terminal_.logStatus()));
}

void TopBar::setLogStatusShown(bool shown)
{
    c_.STLog->setVisible(shown);
}

void TopBar::stepTimeout(bool up)
{
    terminal_.stepTimeout(up);
    showTimeout(true);
    emit timeoutChanged();
}

void TopBar::showTimeout(bool fromArrows)
{
    const int32_t v = terminal_.rxTimeoutMs();
    if (characters_ && characters_->isChecked() != terminal_.timeoutInCharacters()) {
        const QSignalBlocker quiet(characters_);
        characters_->setChecked(terminal_.timeoutInCharacters());
    }
    if (msToolTip_.isNull())
        msToolTip_ = c_.TimeOutAns->toolTip();
    if (terminal_.timeoutInCharacters()) {
        c_.TimeOutAns->setText(QStringLiteral("TimeRX: 3.5ch"));
        c_.TimeOutAns->setToolTip(
            uiText("Пакет завершается паузой в 3,5 символа (Modbus RTU): время считается по скорости и "
                   "формату кадра (старт, данные, чётность, стоп), выше 19200 бод - 1,75 мс. Стрелки "
                   "возвращают миллисекунды."));
        return;
    }
    c_.TimeOutAns->setToolTip(msToolTip_);
    c_.TimeOutAns->setText(QStringLiteral("TimeRX: %1").arg(v));
    if (const auto colour = timeoutReadoutColour(v, fromArrows))
        setBackgroundColour(c_.TimeOutAns, *colour);
}

// ---- The filter field -------------------------------------------------------------

bool TopBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == c_.FiltrLog) {
        if (event->type() == QEvent::FocusOut)
            updateFilterColour(false);
        else if (event->type() == QEvent::MouseButtonPress)
            updateFilterColour(true);
    }
    return QObject::eventFilter(watched, event);
}

void TopBar::updateFilterColour(bool clicked)
{
    if (clicked || !c_.FiltrLog->text().isEmpty())
        setBackgroundColour(c_.FiltrLog, clWindow);
    else
        setBackgroundColour(c_.FiltrLog, clBtnFace);
}

// ---- Appearance -------------------------------------------------------------------

void TopBar::setFontSize(int32_t points)
{
    fontSize_ = points;
    // A stored size the toolkit cannot draw is drawn at the nearest size it can;
    // the value itself is kept and saved as it is.
    emit fontSizeChosen(std::clamp<int32_t>(fontSize_, 1, MaxFontSize));
}

void TopBar::changeFontSize(bool up)
{
    setFontSize(stepFontSize(fontSize_, up));
}

void TopBar::setSchemeColours(uint32_t back, uint32_t text)
{
    schemeBack_ = back;
    schemeText_ = text;
    emit coloursChosen(back, text);
}

void TopBar::nextColourScheme()
{
    colourScheme_ = comtrax::nextColourScheme(colourScheme_);
    const ColourScheme& scheme = ColourSchemes[static_cast<std::size_t>(colourScheme_)];
    setSchemeColours(scheme.back, scheme.text);
}

// ---- Settings -----------------------------------------------------------------------

void TopBar::load(const WindowSettings& s)
{
    // The restored port becomes the selected entry, so the box shows the port
    // that Connect opens; a port that is not present leaves no selection.
    selectPortByHash(s.lastPort);
    applyIndex(c_.BaudRate, s.baudIndex);
    applyIndex(c_.ComBits, s.bitsIndex);
    applyIndex(c_.ComStopBits, s.stopBitsIndex);
    c_.AutoConnect->setChecked(s.autoConnect);
    terminal_.setRxTimeoutMs(s.rxTimeoutMs);
    c_.FiltrLog->setText(fromCp1251(s.filter));
    setSchemeColours(s.backColour, s.textColour);
    setFontSize(s.fontSize);
    if (!c_.FiltrLog->text().isEmpty())
        setBackgroundColour(c_.FiltrLog, clWindow);
    showTimeout(false);
}

void TopBar::store(WindowSettings& s) const
{
    s.baudIndex = indexByte(c_.BaudRate);
    s.bitsIndex = indexByte(c_.ComBits);
    s.stopBitsIndex = indexByte(c_.ComStopBits);
    s.autoConnect = c_.AutoConnect->isChecked();
    s.rxTimeoutMs = terminal_.rxTimeoutMs();
    s.filter = toCp1251(c_.FiltrLog->text());
    s.fontSize = fontSize_;
    s.backColour = schemeBack_;
    s.textColour = schemeText_;
}

void TopBar::load(const LineSettings& s)
{
    lineOptions_->setOptions(s.line);
    terminal_.setTimeoutInCharacters(s.timeoutInCharacters);
    showTimeout(false);
    // A typed rate stands where the record keeps "no selection".
    if (s.typedBaud > 0 && c_.BaudRate->currentIndex() < 0)
        c_.BaudRate->setEditText(QString::number(s.typedBaud));
}

void TopBar::store(LineSettings& s) const
{
    s.line = lineOptions_->options();
    s.timeoutInCharacters = terminal_.timeoutInCharacters();
    bool typed = false;
    const int baud = c_.BaudRate->currentText().trimmed().toInt(&typed);
    s.typedBaud = typed && baud > 0 && indexByte(c_.BaudRate) == 255 ? baud : 0;
}

}  // namespace comtrax
