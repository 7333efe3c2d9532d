// Parser of image-script texts. Line-oriented: '#' starts a comment, blank
// lines are skipped, the first statement is "ISL 1", header statements
// (size, seed, background) come before the steps, and each step is a name or
// number followed by key=value pairs. Anything else fails the parse with a
// reason; nothing here can read outside the text it is given.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/image_script_steps.h"

namespace mve::il {

namespace {

using isl_detail::find_step;
using isl_detail::SlotName;
using isl_detail::StepInfo;

constexpr double kMaxMagnitude = 1e9;  // values beyond this are refused, not clamped

struct Parser {
    ImageScript& out;
    std::string* error;
    int line = 0;
    bool sawMagic = false, sawSize = false, sawSeed = false, sawBackground = false;

    bool fail(const std::string& why)
    {
        if (error) *error = "line " + std::to_string(line) + ": " + why;
        return false;
    }
};

// Splits a line (comment removed) into tokens at spaces and tabs.
std::vector<std::string> tokenize(const std::string& text)
{
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
        if (j > i) tokens.push_back(text.substr(i, j - i));
        i = j;
    }
    return tokens;
}

// A whole token as a finite number of modest size.
bool parse_number(const std::string& token, double& value)
{
    if (token.empty() || token.size() > 64) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || errno == ERANGE) return false;
    return std::isfinite(value) && std::fabs(value) <= kMaxMagnitude;
}

bool parse_int(const std::string& token, long long lo, long long hi, long long& value)
{
    double v = 0;
    if (!parse_number(token, v) || v != std::floor(v) || v < static_cast<double>(lo) || v > static_cast<double>(hi))
        return false;
    value = static_cast<long long>(v);
    return true;
}

// Comma-separated numbers: "255,0,0" -> three values.
bool parse_list(const std::string& token, std::vector<double>& values)
{
    values.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = token.find(',', start);
        double v = 0;
        if (!parse_number(token.substr(start, comma == std::string::npos ? std::string::npos : comma - start), v))
            return false;
        values.push_back(v);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool parse_header(Parser& p, const std::vector<std::string>& t)
{
    IslHeader& h = p.out.header;
    if (t[0] == "size") {
        long long w = 0, hh = 0;
        if (p.sawSize) return p.fail("size given twice");
        if (t.size() != 3 || !parse_int(t[1], 1, kIslMaxSide, w) || !parse_int(t[2], 1, kIslMaxSide, hh))
            return p.fail("size needs a width and a height of 1.." + std::to_string(kIslMaxSide));
        h.width = static_cast<int>(w);
        h.height = static_cast<int>(hh);
        p.sawSize = true;
        return true;
    }
    if (t[0] == "seed") {
        long long s = 0;
        if (p.sawSeed) return p.fail("seed given twice");
        if (t.size() != 2 || !parse_int(t[1], 0, 4294967295LL, s)) return p.fail("seed needs one value 0..4294967295");
        h.seed = static_cast<std::uint32_t>(s);
        p.sawSeed = true;
        return true;
    }
    // background R G B [A]
    if (p.sawBackground) return p.fail("background given twice");
    if (t.size() != 4 && t.size() != 5) return p.fail("background needs 3 or 4 channel values");
    for (std::size_t i = 1; i < t.size(); ++i) {
        long long v = 0;
        if (!parse_int(t[i], 0, 255, v)) return p.fail("background channels are 0..255");
        h.background[i - 1] = static_cast<std::uint8_t>(v);
    }
    p.sawBackground = true;
    return true;
}

// One key=value of a step: a slot number takes one value, a slot name its
// slot count (a colour of 4 also accepts 3, keeping its alpha).
bool parse_value(Parser& p, const StepInfo& info, IslStep& step, const std::string& token)
{
    const std::size_t eq = token.find('=');
    if (eq == std::string::npos || eq == 0) return p.fail("expected key=value, got \"" + token + "\"");
    const std::string key = token.substr(0, eq);
    std::vector<double> values;
    if (!parse_list(token.substr(eq + 1), values)) return p.fail("bad number in \"" + token + "\"");

    long long slot = -1;
    int count = 1;
    if (key[0] >= '0' && key[0] <= '9') {
        if (!parse_int(key, 0, kIslValueSlots - 1, slot)) return p.fail("value slots are 0..19");
    } else {
        for (const SlotName& s : info.slots)
            if (s.name && key == s.name) {
                slot = s.slot;
                count = s.count;
            }
        if (slot < 0) return p.fail("\"" + std::string(info.name) + "\" has no value \"" + key + "\"");
    }
    const bool colourWithoutAlpha = count == 4 && values.size() == 3;
    if (static_cast<int>(values.size()) != count && !colourWithoutAlpha)
        return p.fail("\"" + key + "\" takes " + std::to_string(count) + " value(s)");
    for (std::size_t i = 0; i < values.size(); ++i) step.values[static_cast<std::size_t>(slot) + i] = values[i];
    return true;
}

bool parse_step(Parser& p, const std::vector<std::string>& t)
{
    if (!p.sawSize) return p.fail("size must come before the first step");
    if (static_cast<int>(p.out.steps.size()) >= kIslMaxSteps)
        return p.fail("more than " + std::to_string(kIslMaxSteps) + " steps");
    const StepInfo* info = nullptr;
    long long id = 0;
    if (t[0][0] >= '0' && t[0][0] <= '9') {
        if (parse_int(t[0], 1, 1000, id)) info = find_step(static_cast<int>(id));
    } else {
        info = find_step(t[0].c_str());
    }
    if (!info) return p.fail("unknown step \"" + t[0] + "\"");
    IslStep step;
    step.id = info->id;
    step.values = info->defaults;
    for (std::size_t i = 1; i < t.size(); ++i)
        if (!parse_value(p, *info, step, t[i])) return false;
    p.out.steps.push_back(step);
    return true;
}

bool parse_statement(Parser& p, const std::vector<std::string>& t)
{
    if (!p.sawMagic) {
        if (t.size() != 2 || t[0] != "ISL" || t[1] != "1") return p.fail("a script starts with \"ISL 1\"");
        p.sawMagic = true;
        return true;
    }
    const bool header = t[0] == "size" || t[0] == "seed" || t[0] == "background";
    if (header) {
        if (!p.out.steps.empty()) return p.fail("\"" + t[0] + "\" must come before the steps");
        return parse_header(p, t);
    }
    return parse_step(p, t);
}

}  // namespace

bool parse_image_script(const char* text, std::size_t length, ImageScript& out, std::string* error)
{
    out = ImageScript{};
    Parser p{out, error};
    if (!text) return p.fail("no text");
    std::size_t pos = 0;
    while (pos < length) {
        std::size_t end = pos;
        while (end < length && text[end] != '\n') ++end;
        std::string line(text + pos, end - pos);
        pos = end + 1;
        ++p.line;
        if (line.find('\0') != std::string::npos) return p.fail("NUL byte in the text");
        if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> tokens = tokenize(line);
        if (tokens.empty()) continue;
        if (!parse_statement(p, tokens)) return false;
    }
    if (!p.sawMagic) return p.fail("empty script");
    if (!p.sawSize) return p.fail("no size");
    return true;
}

}  // namespace mve::il
