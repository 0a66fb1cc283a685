#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tw::cli {

// "send" and "query": the exit code when args name one of them, nothing otherwise.
std::optional<int> RunInstrumentCommand(std::span<const std::string> args);

std::string_view InstrumentUsageText();

} // namespace tw::cli
