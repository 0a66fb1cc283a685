#pragma once
#include "fm/FmMarkers.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace tw {

class FmMarkerListModel;

// "FM Markers Table": edits the marker values of one FM function mode. Ends with Accepted
// through "&Store && Update" (the caller then recomputes the marker points).
class FmMarkersDialog : public QDialog {
    Q_OBJECT
  public:
    FmMarkersDialog(const LaunchState& session, int fmFuncMode, double vMin, double vMax,
                    QWidget* parent = nullptr);
    ~FmMarkersDialog() override; // a modified table asks whether to save

    void addTyped();
    void deleteSelected();
    void removeAll();
    void storeAndUpdate();

    QComboBox* values() const { return combo_; }
    QRadioButton* ascendButton() const { return ascend_; }
    QRadioButton* descendButton() const { return descend_; }
    const FmMarkerTable& table() const { return table_; }

  private:
    void fillList();

    int fmFuncMode_;
    double vMin_, vMax_;
    FmMarkerTable table_;
    FmMarkerListModel* list_;
    QComboBox* combo_;
    QRadioButton* ascend_;
    QRadioButton* descend_;
};

} // namespace tw
