#pragma once
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolBar;
class QWidget;

namespace tw {

class Composer;
class MainFrame;

// The frame's bars (file, wave edit, wave parameters, instrument control), their visibility
// flags kept in "ViewsTD", the bar menu, the minimum size and the window placement, as the
// frame's composer has them. The parameter boxes show and change the document through the
// wave composers' part, which fills the hooks below.
class FrameBars : public QObject {
  public:
    explicit FrameBars(MainFrame& frame);
    ~FrameBars() override;

    enum Band { kFileBand, kEditBand, kParmBand, kInstrumentBand, kMarkerBand, kBands };
    bool visible(Band band) const { return flags_[band]; }
    void toggle(Band band);
    void applyVisibility(); // the frame's 100 ms timer keeps the bands as the flags say
    void wrapBands();
    QToolBar* bar(Band band) const;
    QMenu* barMenu();
    void showBarMenu(QPoint global);

    // The parameter bar's boxes (wavelength, second box, FP segment box). An edit waits, marked
    // pending, until Apply or Return in a box.
    QLineEdit* wavelengthBox() const { return boxes_[0]; }
    QLineEdit* secondBox() const { return boxes_[1]; }
    QLineEdit* segmentBox() const { return boxes_[2]; }
    QPushButton* applyButton() const { return apply_; }
    bool pending(int box) const { return marks_[box]; }
    void apply();
    void showWavelength(long long wavelength);
    void showSegment(int segment);
    void showDeviation(const QString& text); // the FM composer's parameter bar
    void showMarkerCount();                  // FM composer: marker values in the range
    // The boxes' changes: the wavelength, the active segment, the deviation (FM composer).
    std::function<void(const QString&)> applyWavelength;
    std::function<void(const QString&)> applySegment;
    std::function<void(const QString&)> applyDeviation;

    void storeFlags() const;
    void savePlacement() const;
    void restorePlacement();
    // The placement key: "Rect", or "FmRect" outside the standard composer.
    std::string PlacementKey() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void readFlags();
    QToolBar* addBand(const QString& title, const QString& name);
    void buildFileBar();
    void buildEditBar();
    void buildParameterBar();
    void buildInstrumentBar();
    void buildMarkerBar();
    void addToggles();
    void markPending(int box);
    bool deviationBox() const; // the second box holds the FM deviation

    MainFrame& frame_;
    const Composer& composer_;
    bool flags_[kBands] = {true, true, true, true, true};
    QToolBar* bars_[kBands] = {};
    QToolBar* parmHolder_ = nullptr;
    QWidget* parm_ = nullptr;
    QLineEdit* boxes_[3] = {};
    bool marks_[3] = {false, false, false};
    QPushButton* apply_ = nullptr;
    QLabel* markerCount_ = nullptr;
    QMenu* menu_ = nullptr;
    bool placed_ = false;
    QSize minimum_{640, 420}; // "minTDrct", widened to the widest band by wrapBands
};

} // namespace tw
