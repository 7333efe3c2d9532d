// stack.xml of an OpenRaster document (see ora_stack.h).
#include "ora_stack.h"

#include <expat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mve_host {

namespace {

struct StackFrame {
    int x = 0, y = 0;
    double opacity = 1;
    bool visible = true;
};

struct Parser {
    OraStack* stack;
    std::vector<StackFrame> frames;  // the open stack elements
    std::vector<OraStackEntry> topFirst;
    bool sawImage = false;
    std::string error;
};

const char* attribute(const XML_Char** attrs, const char* name)
{
    for (int i = 0; attrs[i]; i += 2)
        if (std::strcmp(attrs[i], name) == 0) return attrs[i + 1];
    return nullptr;
}

bool parse_int(const char* text, int& out)
{
    if (!text) return true;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < -1000000 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
}

bool parse_opacity(const char* text, double& out)
{
    if (!text) return true;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end || !std::isfinite(v)) return false;
    out = std::clamp(v, 0.0, 1.0);
    return true;
}

// Position, opacity and visibility shared by stack and layer elements.
bool read_placement(Parser& p, const XML_Char** attrs, StackFrame& f)
{
    const StackFrame& parent = p.frames.back();
    int x = 0, y = 0;
    double opacity = 1;
    if (!parse_int(attribute(attrs, "x"), x) || !parse_int(attribute(attrs, "y"), y) ||
        !parse_opacity(attribute(attrs, "opacity"), opacity)) {
        p.error = "stack.xml: a position or opacity is not a number";
        return false;
    }
    const char* visibility = attribute(attrs, "visibility");
    f.x = parent.x + x, f.y = parent.y + y;
    f.opacity = parent.opacity * opacity;
    f.visible = parent.visible && !(visibility && std::strcmp(visibility, "hidden") == 0);
    return true;
}

void on_start(void* user, const XML_Char* element, const XML_Char** attrs)
{
    auto& p = *static_cast<Parser*>(user);
    if (!p.error.empty()) return;
    if (std::strcmp(element, "image") == 0) {
        if (!parse_int(attribute(attrs, "w"), p.stack->width) || !parse_int(attribute(attrs, "h"), p.stack->height)) {
            p.error = "stack.xml: the image size is not a number";
            return;
        }
        p.sawImage = true;
        p.frames.push_back({});
    } else if (std::strcmp(element, "stack") == 0) {
        if (p.frames.empty()) p.frames.push_back({});
        StackFrame f;
        if (read_placement(p, attrs, f)) p.frames.push_back(f);
    } else if (std::strcmp(element, "layer") == 0) {
        if (p.frames.empty()) p.frames.push_back({});
        StackFrame f;
        if (!read_placement(p, attrs, f)) return;
        const char* src = attribute(attrs, "src");
        if (!src || !*src) {
            p.error = "stack.xml: a layer has no src";
            return;
        }
        OraStackEntry e;
        e.src = src;
        const char* name = attribute(attrs, "name");
        e.name = name ? name : "";
        e.x = f.x, e.y = f.y, e.opacity = f.opacity, e.visible = f.visible;
        const char* op = attribute(attrs, "composite-op");
        e.compositeOp = op ? op : "";
        const char* mode = attribute(attrs, "mve:blend-mode");
        e.engineMode = mode ? mode : "";
        p.topFirst.push_back(e);
    }
}

void on_end(void* user, const XML_Char* element)
{
    auto& p = *static_cast<Parser*>(user);
    if (std::strcmp(element, "stack") == 0 && p.frames.size() > 1) p.frames.pop_back();
}

void append_escaped(std::string& out, const std::string& text)
{
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

}  // namespace

bool parse_stack_xml(const std::string& xml, OraStack& stack, std::string& error)
{
    stack = {};
    Parser p;
    p.stack = &stack;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
        error = "no memory for the XML parser";
        return false;
    }
    XML_SetUserData(parser, &p);
    XML_SetElementHandler(parser, on_start, on_end);
    const bool parsed = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) != XML_STATUS_ERROR;
    if (!parsed)
        error = std::string("stack.xml is malformed: ") + XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
    XML_ParserFree(parser);
    if (!parsed) return false;
    if (!p.error.empty()) {
        error = p.error;
        return false;
    }
    if (!p.sawImage || stack.width <= 0 || stack.height <= 0) {
        error = "stack.xml has no image element with a size";
        return false;
    }
    stack.layers.assign(p.topFirst.rbegin(), p.topFirst.rend());
    return true;
}

std::string write_stack_xml(const OraStack& stack)
{
    std::string xml = "<?xml version='1.0' encoding='UTF-8'?>\n";
    xml += "<image version=\"0.0.5\" w=\"" + std::to_string(stack.width) + "\" h=\"" +
           std::to_string(stack.height) + "\" xmlns:mve=\"https://morvane.invalid/ora\">\n <stack>\n";
    for (auto it = stack.layers.rbegin(); it != stack.layers.rend(); ++it) {
        char opacity[32];
        std::snprintf(opacity, sizeof opacity, "%.3f", it->opacity);
        xml += "  <layer name=\"";
        append_escaped(xml, it->name);
        xml += "\" src=\"";
        append_escaped(xml, it->src);
        xml += "\" x=\"" + std::to_string(it->x) + "\" y=\"" + std::to_string(it->y) + "\" opacity=\"" + opacity +
               "\" visibility=\"" + (it->visible ? "visible" : "hidden") + "\" composite-op=\"" + it->compositeOp +
               "\"";
        if (!it->engineMode.empty()) {
            xml += " mve:blend-mode=\"";
            append_escaped(xml, it->engineMode);
            xml += "\"";
        }
        xml += "/>\n";
    }
    xml += " </stack>\n</image>\n";
    return xml;
}

}  // namespace mve_host
