#pragma once
#include "generators/GeneratorTarget.h"

#include <functional>
#include <memory>

namespace tw {

class WeDoc;

// The document as the generators see it. The view's anchors come in as hooks, so that this
// stays free of the windows; the value scale is the document's composer's.
class DocGeneratorTarget : public GeneratorTarget {
  public:
    struct Hooks {
        std::function<void(double, double)> markAnchors; // the view's start and end anchors
        std::function<void()> restoreAnchors;
        std::function<void()> dialogClosed; // the anchors from before the dialog are forgotten
        std::function<std::unique_ptr<Progress>()> startProgress; // shown to the user
    };
    DocGeneratorTarget(WeDoc& doc, Prompter& prompts, Hooks hooks = {});

    Samples& samples() override;
    double lowerLevel() const override;
    double upperLevel() const override;
    const Composer& composer() const override;
    std::string undoFile() const override;
    Prompter& prompts() override { return prompts_; }
    std::string waveFolder() const override;
    void redraw() override;
    std::unique_ptr<Progress> startProgress() override;
    void markAnchors(double start, double end) override;
    void restoreAnchors() override;
    void wavelengthChanged() override;
    void pointsReloaded() override;
    void pointsLost(std::size_t count) override;

  protected:
    bool commitPoints(Progress& progress) override;
    std::string pointsHeldBy() const override;
    bool snapshotForUndo() override;

  private:
    WeDoc& doc_;
    Prompter& prompts_;
    Hooks hooks_;
};

} // namespace tw
