#pragma once
#include "document/WeDoc.h"

#include <memory>

namespace tw {

class FrameBars;
class MainFrame;
class RecentFileMenu;
class WeditVw;

// The standard and FM composers inside the frame: the one document, the view's editing
// commands, and the document's requests to the windows around it.
class QtWaveFrame : public WeDocListener {
  public:
    QtWaveFrame(MainFrame& frame, Composer& composer);
    ~QtWaveFrame() override;

    WeDoc& document() { return *doc_; }
    const RecentFileMenu& recentFiles() const { return *recent_; }
    void setBars(FrameBars* bars);
    // Host event 4 in the FM composer with its parameter bar up: the view is redrawn only when
    // the carrier, the deviation range or the modulation mode changed.
    void rereadFmSettings();

    void repaint(std::size_t first, std::size_t last) override;
    void rangeReset() override;
    void wavelengthShown() override;
    void segmentShown() override;
    void activeChanged() override; // the segment field follows
    void deviationShown() override;
    void titleSet(const std::string& title) override;
    void pathNameChanged(const std::string& path, bool addRecent) override;
    std::optional<int> askTraceType() override;

  private:
    void addCommands();
    void closeIfSetUpFailed();

    MainFrame& frame_;
    Composer& composer_;
    std::unique_ptr<WeDoc> doc_;
    WeditVw* view_; // the frame's central widget, deleted with the document
    FrameBars* bars_ = nullptr;
    std::unique_ptr<RecentFileMenu> recent_;
};

} // namespace tw
