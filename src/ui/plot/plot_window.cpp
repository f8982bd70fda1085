#include "ui/plot/plot_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "common/file_io.h"
#include "transmit/codec.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"
#include "ui/plot/plot_canvas.h"

namespace comtrax {

namespace {
// At most 25 frames a second: receiving never waits for drawing.
constexpr int FrameMs = 40;
// A frame that takes long (many channels on a slow machine) spaces the next
// ones out, so drawing takes at most about a seventh of a core.
constexpr int64_t FrameCostShare = 7;
}  // namespace

PlotWindow::PlotWindow(std::string settingsPath, QWidget* parent)
    : QWidget(parent, Qt::Window), settingsPath_(std::move(settingsPath))
{
    setObjectName(QStringLiteral("PlotWindow"));
    setWindowTitle(uiText("График"));
    canvas_ = new PlotCanvas(store_, this);
    buildControls();
    loadSettings();
    frameTimer_ = new QTimer(this);
    frameTimer_->setInterval(FrameMs);
    connect(frameTimer_, &QTimer::timeout, this, &PlotWindow::frameTick);
    connect(canvas_, &PlotCanvas::readOutChanged, readOut_, &QLabel::setText);
}

PlotWindow::~PlotWindow()
{
    saveSettings();
}

void PlotWindow::buildControls()
{
    source_ = new QComboBox;
    source_->setObjectName(QStringLiteral("PlotSource"));
    source_->addItem(uiText("Текст: метка:значение"), static_cast<int>(PlotSource::Plotter));
    source_->addItem(uiText("CSV"), static_cast<int>(PlotSource::Csv));
    source_->addItem(uiText("Регулярное выражение"), static_cast<int>(PlotSource::Regex));
    source_->addItem(uiText("HEX-поля"), static_cast<int>(PlotSource::HexFields));
    pattern_ = new QLineEdit;
    pattern_->setObjectName(QStringLiteral("PlotPattern"));
    pattern_->setPlaceholderText(QStringLiteral("T=(?<temp>[-\\d.]+)"));
    fields_ = new QLineEdit;
    fields_->setObjectName(QStringLiteral("PlotFields"));
    fields_->setPlaceholderText(QStringLiteral("reg 3 u16be 0.1; temp 5 i16be 1 -40"));
    fields_->setToolTip(uiText("Поля через «;»: имя смещение тип [масштаб [сдвиг]]; типы u8 i8 u16 i16 u32 "
                               "i32 f32, с be или le"));
    checksum_ = new QComboBox;
    checksum_->setObjectName(QStringLiteral("PlotChecksum"));
    checksum_->addItem(uiText("Без проверки"), -2);
    checksum_->addItem(uiText("Кадр Modbus"), -1);
    for (int i = 0; i < ChecksumTagCount; ++i)
        checksum_->addItem(QString::fromLatin1(ChecksumTags[i]), i);
    auto* apply = new QPushButton(uiText("Применить"));
    apply->setObjectName(QStringLiteral("PlotApply"));
    auto showSourceFields = [this] {
        const auto s = static_cast<PlotSource>(source_->currentData().toInt());
        pattern_->setVisible(s == PlotSource::Regex);
        fields_->setVisible(s == PlotSource::HexFields);
        checksum_->setVisible(s == PlotSource::HexFields);
    };
    connect(source_, &QComboBox::currentIndexChanged, this, showSourceFields);
    connect(apply, &QPushButton::clicked, this, &PlotWindow::applySource);
    connect(pattern_, &QLineEdit::returnPressed, this, &PlotWindow::applySource);
    connect(fields_, &QLineEdit::returnPressed, this, &PlotWindow::applySource);

    capacity_ = new QSpinBox;
    capacity_->setObjectName(QStringLiteral("PlotCapacity"));
    capacity_->setRange(static_cast<int>(PlotStore::MinCapacity), static_cast<int>(PlotStore::MaxCapacity));
    capacity_->setSingleStep(1000);
    capacity_->setToolTip(uiText("Сколько отсчётов хранит каждый канал"));
    connect(capacity_, &QSpinBox::editingFinished, this, [this] {
        store_.setCapacity(static_cast<std::size_t>(capacity_->value()));
        drawNow();
    });
    xAxis_ = new QComboBox;
    xAxis_->setObjectName(QStringLiteral("PlotXAxis"));
    xAxis_->addItem(uiText("X: номер отсчёта"));
    xAxis_->addItem(uiText("X: время приёма"));
    connect(xAxis_, &QComboBox::currentIndexChanged, this, [this](int index) {
        canvas_->setXAxis(index == 1 ? PlotStore::XAxis::Time : PlotStore::XAxis::Sample);
        canvas_->setPaused(false);
        pause_->setChecked(false);
        drawNow();
    });
    autoscale_ = new QCheckBox(uiText("Автомасштаб"));
    autoscale_->setObjectName(QStringLiteral("PlotAutoscale"));
    autoscale_->setChecked(true);
    connect(autoscale_, &QCheckBox::toggled, this, [this](bool on) { canvas_->setAutoscale(on); });
    pause_ = new QPushButton(uiText("Пауза"));
    pause_->setObjectName(QStringLiteral("PlotPause"));
    pause_->setCheckable(true);
    pause_->setToolTip(
        uiText("На паузе график можно сдвигать мышью и масштабировать колесом; приём идёт дальше"));
    connect(pause_, &QPushButton::toggled, this, &PlotWindow::setPaused);
    auto* clearButton = new QPushButton(uiText("Очистить"));
    clearButton->setObjectName(QStringLiteral("PlotClear"));
    connect(clearButton, &QPushButton::clicked, this, &PlotWindow::clear);
    auto* csv = new QPushButton(uiText("CSV..."));
    connect(csv, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, uiText("Сохранить значения"), QString(),
                                                          QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty())
            exportCsv(path);
    });
    auto* png = new QPushButton(uiText("PNG..."));
    connect(png, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, uiText("Сохранить рисунок"), QString(),
                                                          QStringLiteral("PNG (*.png)"));
        if (!path.isEmpty())
            exportPng(path);
    });

    channels_ = new QListWidget;
    channels_->setObjectName(QStringLiteral("PlotChannels"));
    channels_->setToolTip(uiText("Флажок показывает канал; двойной щелчок меняет цвет, F2 — имя"));
    channels_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(channels_, &QListWidget::itemChanged, this, &PlotWindow::channelItemChanged);
    connect(channels_, &QListWidget::itemDoubleClicked, this, &PlotWindow::chooseColour);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("PlotStatus"));
    readOut_ = new QLabel;
    readOut_->setObjectName(QStringLiteral("PlotReadOut"));
    readOut_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(source_);
    sourceRow->addWidget(pattern_, 1);
    sourceRow->addWidget(fields_, 1);
    sourceRow->addWidget(checksum_);
    sourceRow->addWidget(apply);
    // Takes the room the pattern or the fields leave when neither is shown.
    sourceRow->addStretch(0);
    auto* viewRow = new QHBoxLayout;
    viewRow->addWidget(new QLabel(uiText("Точек:")));
    viewRow->addWidget(capacity_);
    viewRow->addWidget(xAxis_);
    viewRow->addWidget(autoscale_);
    viewRow->addWidget(pause_);
    viewRow->addWidget(clearButton);
    viewRow->addStretch(1);
    viewRow->addWidget(csv);
    viewRow->addWidget(png);
    auto* split = new QSplitter;
    split->addWidget(channels_);
    split->addWidget(canvas_);
    split->setStretchFactor(1, 1);
    split->setSizes({160, 640});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sourceRow);
    layout->addLayout(viewRow);
    layout->addWidget(split, 1);
    layout->addWidget(readOut_);
    layout->addWidget(status_);
    showSourceFields();
}

void PlotWindow::loadSettings()
{
    const PlotSettingsLoad loaded = loadPlotSettingsFile(settingsPath_);
    settingsUnreadable_ = loaded.found && !loaded.io;
    if (loaded.found && loaded.io)
        settings_ = loaded.settings;
    if (settingsUnreadable_)
        sourceError_ = fromUtf8(loaded.io.error);
    store_.setCapacity(settings_.capacity);
    for (std::size_t c = 0; c < settings_.colours.size(); ++c) {
        if (!settings_.colours[c].empty())
            canvas_->setChannelColour(c, QColor(QString::fromStdString(settings_.colours[c])));
    }
    std::string error;
    if (!feed_.configure(settings_.source, error))
        sourceError_ = fromCp1251(error);
    showSettings();
    if (settings_.width > 0 && settings_.height > 0)
        setGeometry(settings_.x, settings_.y, settings_.width, settings_.height);
    else
        resize(900, 560);
}

void PlotWindow::showSettings()
{
    const PlotSourceSettings& s = settings_.source;
    source_->setCurrentIndex(source_->findData(static_cast<int>(s.source)));
    pattern_->setText(fromCp1251(s.pattern));
    fields_->setText(fromCp1251(s.hexFields));
    const int check = s.checksum.kind == ChecksumCondition::Kind::None ? -2
        : s.checksum.kind == ChecksumCondition::Kind::ModbusFrame      ? -1
                                                                       : s.checksum.tagIndex;
    checksum_->setCurrentIndex(std::max(0, checksum_->findData(check)));
    capacity_->setValue(static_cast<int>(store_.capacity()));
    xAxis_->setCurrentIndex(settings_.xAxis == PlotStore::XAxis::Time ? 1 : 0);
    canvas_->setXAxis(settings_.xAxis);
    updateStatus();
}

void PlotWindow::saveSettings()
{
    if (!opened_ || settingsUnreadable_ || settingsPath_.empty())
        return;
    settings_.capacity = store_.capacity();
    settings_.xAxis = canvas_->xAxis();
    const QRect place = geometry();
    settings_.x = place.x();
    settings_.y = place.y();
    settings_.width = place.width();
    settings_.height = place.height();
    settings_.colours.clear();
    for (std::size_t c = 0; c < store_.channelCount(); ++c)
        settings_.colours.push_back(canvas_->channelColour(c).name().toStdString());
    savePlotSettingsFile(settingsPath_, settings_);
}

bool PlotWindow::applySource()
{
    PlotSourceSettings s;
    s.source = static_cast<PlotSource>(source_->currentData().toInt());
    s.pattern = toCp1251(pattern_->text());
    s.hexFields = toCp1251(fields_->text());
    const int check = checksum_->currentData().toInt();
    if (check == -1)
        s.checksum = {ChecksumCondition::Kind::ModbusFrame, 0};
    else if (check >= 0)
        s.checksum = {ChecksumCondition::Kind::Tag, check};
    std::string error;
    if (!feed_.configure(s, error)) {
        sourceError_ = fromCp1251(error);
        updateStatus();
        return false;
    }
    sourceError_.clear();
    if (!(s == settings_.source)) {
        settings_.source = s;
        clear();
    }
    updateStatus();
    return true;
}

void PlotWindow::take(const ReceivedPacket& packet)
{
    if (isVisible())
        feed_.take(packet);
}

void PlotWindow::showAndRaise()
{
    opened_ = true;
    if (!isVisible()) {
        // What came while the window was closed is not in the plot: the
        // line under way is a piece.
        feed_.restartStream();
        frameTimer_->start();
    }
    show();
    raise();
    activateWindow();
}

void PlotWindow::setPaused(bool paused)
{
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused);
    canvas_->setPaused(paused);
    if (!paused)
        drawNow();
}

void PlotWindow::clear()
{
    store_.clear();
    feed_.restartStream();
    canvas_->reset();
    listing_ = true;
    channels_->clear();
    listing_ = false;
    drawnGeneration_ = ~uint64_t{0};
    drawNow();
}

void PlotWindow::frameTick()
{
    const int64_t costMs = canvas_->lastRedrawNs() / 1000000;
    if (sinceDraw_.isValid() && sinceDraw_.elapsed() < std::max<int64_t>(FrameMs, costMs * FrameCostShare))
        return;
    drawNow();
}

void PlotWindow::drawNow()
{
    updateStatus();
    syncChannelList();
    if (canvas_->paused() || drawnGeneration_ == store_.generation())
        return;
    drawnGeneration_ = store_.generation();
    sinceDraw_.start();
    canvas_->redraw();
}

void PlotWindow::syncChannelList()
{
    listing_ = true;
    for (int c = channels_->count(); c < static_cast<int>(store_.channelCount()); ++c) {
        auto* item = new QListWidgetItem(fromCp1251(store_.channelName(c)), channels_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(canvas_->channelShown(c) ? Qt::Checked : Qt::Unchecked);
        item->setForeground(canvas_->channelColour(c));
    }
    listing_ = false;
}

void PlotWindow::channelItemChanged(QListWidgetItem* item)
{
    if (listing_)
        return;
    const auto c = static_cast<std::size_t>(channels_->row(item));
    canvas_->setChannelShown(c, item->checkState() == Qt::Checked);
    canvas_->setChannelLabel(c, item->text());
    drawnGeneration_ = ~uint64_t{0};
    drawNow();
}

void PlotWindow::chooseColour(QListWidgetItem* item)
{
    const auto c = static_cast<std::size_t>(channels_->row(item));
    const QColor colour = QColorDialog::getColor(canvas_->channelColour(c), this, item->text());
    if (!colour.isValid())
        return;
    canvas_->setChannelColour(c, colour);
    listing_ = true;
    item->setForeground(colour);
    listing_ = false;
    drawnGeneration_ = ~uint64_t{0};
    drawNow();
}

QString PlotWindow::statusText() const
{
    const PlotFeedCounts& n = feed_.counts();
    QString text = uiText("Отсчётов: %1, каналов: %2").arg(store_.rowCount()).arg(store_.channelCount());
    if (n.skippedFields > 0)
        text += uiText("; пропущено полей: %1").arg(n.skippedFields);
    if (n.rejectedFrames > 0)
        text += uiText("; кадров с плохой контрольной суммой: %1").arg(n.rejectedFrames);
    if (n.overlongLines > 0)
        text += uiText("; слишком длинных строк: %1").arg(n.overlongLines);
    if (n.regexLimits > 0)
        text += uiText("; выражение не успело: %1").arg(n.regexLimits);
    if (store_.channelsCapped())
        text += uiText("; каналов больше %1, лишние не показаны").arg(PlotStore::MaxChannels);
    if (!sourceError_.isEmpty())
        text += QStringLiteral("; ") + uiText("ошибка: %1").arg(sourceError_);
    return text;
}

void PlotWindow::updateStatus()
{
    status_->setText(statusText());
}

bool PlotWindow::exportCsv(const QString& path)
{
    const FileResult r = replaceFileAtomically(path.toStdString(), plotStoreCsv(store_));
    if (!r)
        sourceError_ = fromUtf8(r.error);
    updateStatus();
    return static_cast<bool>(r);
}

bool PlotWindow::exportPng(const QString& path)
{
    return canvas_->savePng(path);
}

void PlotWindow::hideEvent(QHideEvent* event)
{
    frameTimer_->stop();
    saveSettings();
    QWidget::hideEvent(event);
}

void PlotWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
}

}  // namespace comtrax
