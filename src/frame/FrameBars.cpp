#include "frame/FrameBars.h"

#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "app/qt/AppProfile.h"
#include "document/Composer.h"
#include "frame/CommandIcons.h"
#include "frame/MainFrame.h"
#include "host/ExchangeFile.h"
#include "view/qt/PlotView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QToolBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tw {

namespace {

const char* const kFlagKeys[FrameBars::kBands] = {"visFile", "visTool", "visParm", "visCtl",
                                                  "visMarker"};

// The wave parameter bar's forms.
enum ParameterTemplate {
    kWaveTemplate = 1340,
    kFmTemplate = 1341,
    kPulseTemplate = 1342,
    kFpSegTemplate = 1343
};

} // namespace

FrameBars::FrameBars(MainFrame& frame)
    : QObject(&frame), frame_(frame), composer_(frame.composer()) {
    readFlags();
    buildFileBar();
    if (composer_.hasDocument())
        buildEditBar();
    buildParameterBar();
    buildInstrumentBar();
    if (frame_.profile().fmMarkers())
        buildMarkerBar();
    addToggles();
    for (QToolBar* bar : bars_)
        if (bar) {
            bar->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(bar, &QWidget::customContextMenuRequested, this,
                    [this, bar](QPoint at) { showBarMenu(bar->mapToGlobal(at)); });
        }

    const std::string minimum =
        ProfileText(composer_.session(), "minTDrct", "DrawRect", composer_.session().generalIni);
    int w = 0, h = 0;
    if (std::sscanf(minimum.c_str(), "%d %d", &w, &h) == 2 && w > 0 && h > 0)
        minimum_ = QSize(w, h + 50);
    frame_.setMinimumSize(minimum_);

    applyVisibility();
    wrapBands();
    frame_.installEventFilter(this);
}

FrameBars::~FrameBars() = default;

void FrameBars::readFlags() {
    for (int b = 0; b < kBands; ++b) {
        const std::optional<std::string> v =
            profile::GetValue(composer_.session().generalIni, "ViewsTD", kFlagKeys[b]);
        flags_[b] = !v || v->empty() || std::atof(v->c_str()) != 0;
    }
}

void FrameBars::storeFlags() const {
    profile::Transaction t(composer_.session(), composer_.session().generalIni);
    for (int b = 0; b < kBands; ++b) {
        if (!composer_.hasDocument() && b == kParmBand)
            continue;
        t.write("ViewsTD", kFlagKeys[b], flags_[b] ? "1" : "0");
    }
    t.commit();
}

QToolBar* FrameBars::bar(Band band) const {
    return bars_[band];
}

// Bands keep their place: they wrap into rows as the width allows (wrapBands), in their order.
QToolBar* FrameBars::addBand(const QString& title, const QString& name) {
    QToolBar* bar = frame_.addToolBar(title);
    bar->setObjectName(name);
    bar->setIconSize(QSize(20, 20));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

void FrameBars::buildFileBar() {
    QToolBar* bar = addBand("File Operation Bar", "FileOperationBar");
    for (int id : {kCmdNew, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdPrint})
        bar->addAction(frame_.action(id));
    if (!composer_.hasDocument())
        bar->addAction(frame_.action(kCmdPulseEditor));
    bars_[kFileBand] = bar;
}

void FrameBars::buildEditBar() {
    QToolBar* bar = addBand("Wave Edit Bar", "WaveEditBar");
    for (int id : {kCmdAutoline, kCmdSketch, kCmdFilter, kCmdSmooth, kCmdInvert, kCmdUnmark,
                   kCmdUndo, kCmdZoomIn, kCmdZoomOut, kCmdTrimLeft, kCmdTrimRight}) {
        bar->addAction(frame_.action(id));
        if (id == kCmdUnmark || id == kCmdUndo || id == kCmdZoomOut)
            bar->addSeparator();
    }
    bars_[kEditBand] = bar;
}

void FrameBars::buildParameterBar() {
    parm_ = new QWidget;
    parm_->setObjectName("WaveParameterBar");
    auto* row = new QHBoxLayout(parm_);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(6);
    auto addBox = [&](int slot, const char* label, int id) {
        row->addWidget(new QLabel(label));
        auto* box = new QLineEdit;
        box->setObjectName(QString::number(id));
        box->setFixedWidth(90);
        row->addWidget(box);
        boxes_[slot] = box;
        connect(box, &QLineEdit::textEdited, this, [this, slot] { markPending(slot); });
        connect(box, &QLineEdit::returnPressed, this, &FrameBars::apply);
        box->installEventFilter(this);
    };
    const int form = frame_.profile().parameterTemplate();
    if (form == kPulseTemplate) {
        auto* icon = new QLabel;
        icon->setPixmap(
            BundledIcon("pulse-train").pixmap(QSize(20, 20), frame_.devicePixelRatioF()));
        row->addWidget(icon);
        auto* text = new QLineEdit;
        text->setObjectName("1042");
        text->setReadOnly(true);
        text->setFocusPolicy(Qt::NoFocus);
        text->setFixedWidth(220);
        row->addWidget(text);
    } else {
        if (form == kFpSegTemplate)
            addBox(2, "Active seg", 1039);
        addBox(0, "Wavelength", 1037);
        addBox(1, deviationBox() ? "Deviation" : "Active seg", 1038);
        apply_ = new QPushButton("Apply");
        apply_->setObjectName("1033");
        apply_->setEnabled(false);
        row->addWidget(apply_);
        connect(apply_, &QPushButton::clicked, this, &FrameBars::apply);
    }
    parmHolder_ = addBand(form == kPulseTemplate ? "Pulse Parameter Bar" : "Wave Parameter Bar",
                          "ParameterBar");
    parmHolder_->addWidget(parm_);
    bars_[kParmBand] = parmHolder_;
    // Tab runs from the plot through the boxes as they stand in the bar, then Apply.
    QWidget* previous = frame_.plotView();
    for (int slot : form == kFpSegTemplate ? std::vector{2, 0, 1} : std::vector{0, 1})
        if (boxes_[slot]) {
            QWidget::setTabOrder(previous, boxes_[slot]);
            previous = boxes_[slot];
        }
    if (apply_)
        QWidget::setTabOrder(previous, apply_);
}

void FrameBars::buildInstrumentBar() {
    QToolBar* bar = addBand("Instrument Control Bar", "InstrumentControlBar");
    const int buttons = frame_.profile().instrumentButtons(
        ExchangeFile::Instrument(composer_.session()).ChannelsAsStored());
    for (int i = 0; i < buttons; ++i) {
        const int id = i == 0 ? kCmdDownload : i == 1 ? kCmdClearMemory : kCmdChannel1 + i - 2;
        bar->addAction(frame_.action(id));
    }
    bars_[kInstrumentBand] = bar;
}

// The fifth band, which the FM composer's marker bar toggle shows: the markers table and how
// many of its values the current range holds.
void FrameBars::buildMarkerBar() {
    QToolBar* bar = addBand("FM Marker Bar", "MarkerBar");
    bar->addAction(frame_.action(kCmdFmMarkers));
    markerCount_ = new QLabel;
    markerCount_->setObjectName("markersInRange");
    markerCount_->setContentsMargins(6, 0, 6, 0);
    // Room for any count, so the band's width (and the rows) stay put as the count changes.
    markerCount_->setMinimumWidth(
        markerCount_->fontMetrics().horizontalAdvance("Markers: 0000000") + 12);
    markerCount_->setToolTip("Stored FM marker values inside the current vertical range");
    bar->addWidget(markerCount_);
    bars_[kMarkerBand] = bar;
    showMarkerCount();
}

void FrameBars::showMarkerCount() {
    if (!markerCount_)
        return;
    const QString text = QString("Markers: %1").arg(composer_.fmMarkersInRange());
    if (markerCount_->text() != text)
        markerCount_->setText(text);
}

void FrameBars::addToggles() {
    const std::pair<int, Band> toggles[] = {{kCmdFileBar, kFileBand},
                                            {kCmdWaveEditBar, kEditBand},
                                            {kCmdParameterBar, kParmBand},
                                            {kCmdInstrumentBar, kInstrumentBand},
                                            {kCmdMarkerBar, kMarkerBand}};
    for (const auto& [id, band] : toggles) {
        if ((band == kEditBand || band == kMarkerBand) && !bars_[band])
            continue;
        const Band b = band;
        frame_.setCommand(id, {[this, b] { toggle(b); }, {}, [this, b] { return flags_[b]; }});
    }
}

void FrameBars::toggle(Band band) {
    flags_[band] = !flags_[band];
    applyVisibility();
}

void FrameBars::applyVisibility() {
    bool changed = false;
    for (int b = 0; b < kBands; ++b)
        if (bars_[b] && bars_[b]->isVisibleTo(&frame_) != flags_[b]) {
            bars_[b]->setVisible(flags_[b]);
            changed = true;
        }
    if (changed)
        wrapBands();
}

// A band that does not fit beside the ones before it starts a new row, so no band ever folds
// buttons into an overflow menu; the frame never gets narrower than its widest band.
void FrameBars::wrapBands() {
    int widest = 0;
    int used = 0;
    for (QToolBar* bar : frame_.findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) {
        if (frame_.toolBarArea(bar) != Qt::TopToolBarArea)
            continue;
        const int width = bar->isVisibleTo(&frame_) ? bar->sizeHint().width() : 0;
        const bool wrap = width > 0 && used > 0 && used + width > frame_.width();
        if (frame_.toolBarBreak(bar) != wrap) {
            if (wrap)
                frame_.insertToolBarBreak(bar);
            else
                frame_.removeToolBarBreak(bar);
        }
        used = wrap ? width : used + width;
        widest = std::max(widest, width);
    }
    frame_.setMinimumSize(std::max(minimum_.width(), widest), minimum_.height());
}

QMenu* FrameBars::barMenu() {
    if (!menu_) {
        menu_ = new QMenu(&frame_);
        const std::pair<const char*, Band> wave[] = {{"&File Operation Bar", kFileBand},
                                                     {"Wave &Edit Bar", kEditBand},
                                                     {"&Wave Parameter Bar", kParmBand},
                                                     {"&Instrument Control Bar", kInstrumentBand}};
        const std::pair<const char*, Band> pulse[] = {{"&File Operation Bar", kFileBand},
                                                      {"&Pulse Parameter Bar", kParmBand},
                                                      {"&Instrument Control Bar", kInstrumentBand}};
        auto add = [this](const char* text, Band band) {
            QAction* a = menu_->addAction(text);
            a->setCheckable(true);
            a->setData(static_cast<int>(band));
            connect(a, &QAction::triggered, this, [this, band] { toggle(band); });
        };
        if (!composer_.hasDocument())
            for (const auto& [text, band] : pulse)
                add(text, band);
        else
            for (const auto& [text, band] : wave)
                add(text, band);
    }
    for (QAction* a : menu_->actions())
        a->setChecked(flags_[a->data().toInt()]);
    return menu_;
}

void FrameBars::showBarMenu(QPoint global) {
    barMenu()->popup(global);
}

void FrameBars::markPending(int box) {
    marks_[box] = true;
    if (apply_)
        apply_->setEnabled(true);
}

void FrameBars::apply() {
    for (int box : {0, 1, 2}) {
        if (!marks_[box] || !boxes_[box])
            continue;
        const QString text = boxes_[box]->text();
        marks_[box] = false;
        const auto& change = box == 0                     ? applyWavelength
                             : box == 1 && deviationBox() ? applyDeviation
                                                          : applySegment;
        if (change)
            change(text);
        boxes_[box]->setEnabled(true);
        boxes_[box]->setFocus();
    }
    if (apply_)
        apply_->setEnabled(marks_[0] || marks_[1] || marks_[2]);
}

void FrameBars::showWavelength(long long wavelength) {
    if (boxes_[0])
        boxes_[0]->setText(QString::number(wavelength));
    marks_[0] = false;
}

bool FrameBars::deviationBox() const {
    const int form = frame_.profile().parameterTemplate();
    return form == kFmTemplate || form == kFpSegTemplate;
}

void FrameBars::showSegment(int segment) {
    const int slot = deviationBox() ? 2 : 1;
    if (boxes_[slot])
        boxes_[slot]->setText(QString::number(segment));
    marks_[slot] = false;
}

void FrameBars::showDeviation(const QString& text) {
    if (!deviationBox() || !boxes_[1])
        return;
    boxes_[1]->setText(text);
    marks_[1] = false;
}

std::string FrameBars::PlacementKey() const {
    return frame_.profile().placementKey();
}

void FrameBars::savePlacement() const {
    const std::unique_ptr<QSettings> profile = OpenAppProfile();
    QSettings& settings = *profile;
    const QRect r =
        frame_.isMaximized() || frame_.isMinimized() ? frame_.normalGeometry() : frame_.geometry();
    settings.beginGroup("Settings");
    settings.setValue(
        QString::fromStdString(PlacementKey()),
        QString::fromStdString(strprintf("%04d %04d %04d %04d", r.left(), r.top(),
                                         r.left() + r.width(), r.top() + r.height())));
    settings.setValue("icon", 0);
    const bool max = frame_.isMaximized() ||
                     (frame_.isMinimized() && (frame_.windowState() & Qt::WindowMaximized));
    settings.setValue("max", max ? 1 : 0);
    settings.endGroup();
}

void FrameBars::restorePlacement() {
    const std::unique_ptr<QSettings> profile = OpenAppProfile();
    QSettings& settings = *profile;
    settings.beginGroup("Settings");
    const std::string rect =
        settings.value(QString::fromStdString(PlacementKey())).toString().toStdString();
    const bool icon = settings.value("icon", 0).toInt() != 0;
    const bool max = settings.value("max", 0).toInt() != 0;
    settings.endGroup();
    if (rect.size() >= 19) {
        const int l = StoredWhole(rect.substr(0, 4));
        const int t = StoredWhole(rect.substr(5, 4));
        const int r = StoredWhole(rect.substr(10, 4));
        // The last field runs to the end: bounded, so that b - t stays an int.
        const int b = std::clamp(StoredWhole(rect.substr(15)), -99999, 99999);
        frame_.setGeometry(l, t, std::max(r - l, 1), std::max(b - t, 1));
    } else if (frame_.profile().placementShift() != 0) {
        frame_.move(frame_.pos() + QPoint(frame_.profile().placementShift(), 0));
    }
    if (icon)
        frame_.setWindowState(max ? Qt::WindowMinimized | Qt::WindowMaximized
                                  : Qt::WindowMinimized);
    else if (max)
        frame_.setWindowState(Qt::WindowMaximized);
}

bool FrameBars::eventFilter(QObject* watched, QEvent* event) {
    // A box takes the keys of the commands (Ctrl+Z ...) only while it holds typed text not yet
    // applied; otherwise they run their commands.
    if (event->type() == QEvent::ShortcutOverride)
        for (int slot : {0, 1, 2})
            if (watched == boxes_[slot] && !marks_[slot])
                return true;
    if (watched == &frame_) {
        if (event->type() == QEvent::Show && !placed_) {
            placed_ = true;
            restorePlacement();
            wrapBands();
        } else if (event->type() == QEvent::Resize) {
            wrapBands();
        } else if (event->type() == QEvent::Close) {
            storeFlags();
            savePlacement();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tw
