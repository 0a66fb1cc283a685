#include "document/Composer.h"

#include "app/Printf.h"
#include "document/WaveDownload.h"
#include "host/WindowTitle.h"

namespace tw {

std::string Composer::windowTitle(const std::string& documentPath) const {
    return BuildWindowTitle(session_, documentPath);
}

std::string Composer::workingFileName(int segment, int channel) const {
    return strprintf("TemS%d.wa%d", segment, channel);
}

std::string Composer::segTableSection(int channel) const {
    return ExchangeFile::Segments::ChannelTable(channel);
}

std::string Composer::modifKey(int segment, int channel) const {
    return ExchangeFile::Segments::SavedKey(segment, channel);
}

const ValueScale& Composer::valueScale() const {
    static constexpr ValueScale codes(ValueScale::Unit::Code);
    return codes;
}

const FmLimits& Composer::fmLimits() const {
    static const FmLimits none;
    return none;
}

int Composer::Download(WeDoc& doc) {
    return SendTraceDownload(doc);
}

} // namespace tw
