#include "ScpiHeader.h"

#include <array>
#include <cctype>
#include <utility>

namespace tw::sim {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kLongForms{{
    {"TRACE", "TRAC"},      {"DEFINE", "DEF"},    {"SELECT", "SEL"},     {"DELETE", "DEL"},
    {"INSTRUMENT", "INST"}, {"SEQUENCE", "SEQ"},  {"FREQUENCY", "FREQ"}, {"RASTER", "RAST"},
    {"VOLTAGE", "VOLT"},    {"OFFSET", "OFFS"},   {"AMPLITUDE", "AMPL"}, {"FUNCTION", "FUNC"},
    {"OUTPUT", "OUTP"},     {"STATE", "STAT"},    {"INITIATE", "INIT"},  {"CONTINUOUS", "CONT"},
    {"SYSTEM", "SYST"},     {"ERROR", "ERR"},     {"DEVIATION", "DEV"},  {"SEGMENT", "SEGM"},
    {"CATALOG", "CAT"},     {"IMMEDIATE", "IMM"}, {"SOURCE", "SOUR"},    {"NEXT", "NEXT"},
}};

// Nodes that may be left out where they stand last (or before the '?').
constexpr std::array<std::string_view, 6> kDefaultTails{":STAT", ":AMPL", ":NEXT",
                                                        ":IMM",  ":SEL",  ""};

} // namespace

std::string CanonicalHeader(std::string_view header) {
    while (header.starts_with(':'))
        header.remove_prefix(1);
    bool query = header.ends_with('?');
    if (query)
        header.remove_suffix(1);
    std::string out;
    std::string node;
    auto flush = [&] {
        for (const auto& [full, shortForm] : kLongForms)
            if (node == full)
                node = shortForm;
        if (!out.empty())
            out += ':';
        out += node;
        node.clear();
    };
    for (char c : header) {
        if (c == ':')
            flush();
        else
            node += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    flush();
    if (out.starts_with("SOUR:"))
        out.erase(0, 5);
    // ":SEL" is the default node of INST only: TRAC:SEL is a command of its own.
    for (std::string_view tail : kDefaultTails) {
        if (tail.empty() || !out.ends_with(tail))
            continue;
        if (tail == ":SEL" && out != "INST:SEL")
            continue;
        out.erase(out.size() - tail.size());
        break;
    }
    return query ? out + "?" : out;
}

} // namespace tw::sim
