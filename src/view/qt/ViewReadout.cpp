#include "view/qt/ViewReadout.h"

#include "document/WeDoc.h"
#include "pulse/PulseComposer.h"
#include "view/PlotReadout.h"
#include "view/qt/WeditVw.h"

namespace tw {

std::string ViewReadout(const WeditVw& view, QPoint pos) {
    const PlotRect& plot = view.plot();
    if (!plot.contains(pos.x(), pos.y()))
        return {};
    const PlotMapping& mapping = view.mapping();
    if (const PulseComposer* pulse = view.pulseComposer()) {
        if (!(mapping.xmin < mapping.xmax))
            return {};
        const double time = mapping.PixelToX(pos.x());
        const PlotUnits units = view.units();
        return TrainReadout(time, units.horizontal, TrainLevelAt(pulse->Trace(), time));
    }
    const WeDoc* doc = view.document();
    if (!doc)
        return {};
    const ReadoutValue kind = view.composer().valueScale().unit();
    const Samples& samples = doc->samples();
    const auto index = PointUnderColumn(mapping, plot, pos.x(),
                                        std::min<double>(doc->wavelength(), samples.size()));
    const std::string marked = MarkedReadout(view.anchors().L(), view.anchors().R());
    if (!index)
        return marked;
    return PointReadout(*index, samples.at(static_cast<std::size_t>(*index)), kind) + "    " +
           marked;
}

} // namespace tw
