// Paint-script reader (see paint_script.h).
#include "paint_script.h"

#include <cmath>
#include <cstdlib>

namespace mve_host {

namespace {

// Keyword, then one letter per argument: n a number, t a text.
struct CommandShape {
    const char* keyword;
    const char* args;
};

constexpr CommandShape kCommands[] = {
    {"DrawStart", "nnn"},
    {"SmoothPlot2", "nnnnn"},
    {"DrawStop", "n"},
    {"SelectBrush", "tnn"},
    {"SetBrushSize", "n"},
    {"SetBrushDensity", "n"},
    {"SetBrushOpacity", "n"},
    {"SetColor", "nnn"},
    {"SetColorBanks", "tnnnnnnnnnnnn"},
    {"Line2", "nnnn"},
    {"Spline", "nnnnnnnn"},
    {"Dab", "nnn"},
    // The dispatcher's own call: name, seed, p1..p6, i1..i8, r, g, b, text.
    {"Filter", "tnnnnnnnnnnnnnnnnnnt"},
    {"RotateBrush", "nnnn"},
    {"BufferFromLayer", "n"},
    {"BufferToLayer", "n"},
    {"BufferCopy", "nn"},
    {"BufferClear", "n"},
    {"BufferMergeLayer", "nnn"},
    {"BufferFromMask", "n"},
    {"BufferToMask", "n"},
    {"ImageFlipHorizontal", ""},
    {"ImageFlipVertical", ""},
    {"ClearPage", ""},
    {"FillPage", ""},
    {"SetPage", "nnnn"},
    {"MaskOn", "n"},
    {"MaskClear", ""},
    {"MaskInvert", ""},
    {"ImageCreateFromMask", ""},
    {"AlphaCreateFromMask", ""},
    {"MaskCreateFromImage", ""},
    {"MaskCreateFromImageLuma", ""},
    {"MaskCreateFromAlpha", ""},
    {"Flood Fill", "nnnnnnt"},
    {"Rectangle", "nnnnnnnn"},
    {"Ellipse", "nnnnnnnn"},
    {"Text", "nnnnnnnnnt"},
    {"Gradient", "nnnnnnnnnnnnnnnnnt"},
    {"MaskEllipse", "nnnnn"},
    {"MaskRectangle", "nnnnn"},
    {"MaskWand", "nnnnt"},
    {"CopyTool", "nnnn"},
    {"PasteTool2", "nnnnn"},
    {"Warp", "nnnnnn"},
    {"ScriptEnd", ""},
};

constexpr std::string_view kHeader[] = {"1554", "Description", "1", " ", "RandomSeed"};

// Splits on LF, dropping one CR before it; a last line without LF counts.
std::vector<std::string_view> split_lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool parse_number(std::string_view s, double& out)
{
    if (s.empty() || s.size() > 64) return false;
    const std::string copy(s);
    char* end = nullptr;
    out = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && std::isfinite(out) && std::fabs(out) <= 1e9;
}

bool fault(ScriptError& error, int line, std::string message)
{
    error.line = line;
    error.message = std::move(message);
    return false;
}

}  // namespace

bool script_command_args(std::string_view keyword, std::vector<ArgKind>& kinds)
{
    for (const CommandShape& c : kCommands) {
        if (keyword != c.keyword) continue;
        kinds.clear();
        for (const char* a = c.args; *a; ++a) kinds.push_back(*a == 'n' ? ArgKind::Number : ArgKind::Text);
        return true;
    }
    return false;
}

bool parse_paint_script(std::string_view text, PaintScript& script, ScriptError& error)
{
    script = {};
    const std::vector<std::string_view> lines = split_lines(text);
    for (std::size_t i = 0; i < 5; ++i)
        if (i >= lines.size() || lines[i] != kHeader[i])
            return fault(error, static_cast<int>(i) + 1,
                         "not a paint script: header line " + std::to_string(i + 1) + " should be \"" +
                             std::string(kHeader[i]) + "\"");
    if (lines.size() < 6 || !parse_number(lines[5], script.seed))
        return fault(error, 6, "the random seed is not a number");
    std::vector<ArgKind> kinds;
    for (std::size_t at = 6; at < lines.size();) {
        const int lineNo = static_cast<int>(at) + 1;
        const std::string_view keyword = lines[at];
        if (script.ended) {
            if (keyword.empty() && at + 1 == lines.size()) break;  // the final newline
            return fault(error, lineNo, "text after ScriptEnd");
        }
        if (!script_command_args(keyword, kinds))
            return fault(error, lineNo, "unknown command \"" + std::string(keyword.substr(0, 40)) + "\"");
        ScriptCommand cmd;
        cmd.keyword = std::string(keyword);
        cmd.line = lineNo;
        ++at;
        for (std::size_t k = 0; k < kinds.size(); ++k, ++at) {
            if (at >= lines.size())
                return fault(error, lineNo,
                             cmd.keyword + " needs " + std::to_string(kinds.size()) + " argument lines, the script ends after " +
                                 std::to_string(k));
            double v = 0;
            if (kinds[k] == ArgKind::Number && !parse_number(lines[at], v))
                return fault(error, static_cast<int>(at) + 1,
                             cmd.keyword + " argument " + std::to_string(k + 1) + " \"" +
                                 std::string(lines[at].substr(0, 40)) + "\" is not a number");
            cmd.text.emplace_back(lines[at]);
            cmd.numbers.push_back(v);
        }
        if (cmd.keyword == "ScriptEnd")
            script.ended = true;
        else
            script.commands.push_back(std::move(cmd));
    }
    return true;
}

}  // namespace mve_host
