// Runs a shell command and returns its standard output without the final
// line break (for the outside checkers: ffprobe, gifsicle, pdfinfo, PIL).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace mve::test {

inline std::string run_command(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buf[512];
    while (p && fgets(buf, sizeof buf, p.get())) out += buf;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

}  // namespace mve::test
