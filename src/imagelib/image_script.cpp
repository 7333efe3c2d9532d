// Image scripts: rendering a parsed script, running single steps, and the
// process-wide session the engine drives in the image library's call order.
#include "imagelib/image_script.h"

#include <cstdio>
#include <new>

#include "imagelib/image_script_steps.h"

namespace mve::il {

namespace {

using isl_detail::Picture;

bool valid_size(int width, int height)
{
    return width >= 1 && height >= 1 && width <= kIslMaxSide && height <= kIslMaxSide;
}

bool run_step(const IslStep& step, Picture pic, CrtRandom& rng) noexcept
{
    const isl_detail::StepInfo* info = isl_detail::find_step(step.id);
    if (!info) return false;
    try {
        info->run(step, pic, rng);  // only allocation can throw inside a step
        return true;
    } catch (...) {
        return false;
    }
}

// Whether steps run on a width x height picture stay within the work bound.
bool within_work_budget(const std::vector<IslStep>& steps, int width, int height) noexcept
{
    double work = 0;
    for (const IslStep& s : steps) work += isl_detail::step_work(s, width, height);
    return work <= kIslWorkBudget;
}

bool run_steps(const std::vector<IslStep>& steps, Picture pic, std::uint32_t seed) noexcept
{
    if (!within_work_budget(steps, pic.width, pic.height)) return false;
    CrtRandom rng;
    rng.seed(seed);
    for (const IslStep& s : steps)
        if (!run_step(s, pic, rng)) return false;
    return true;
}

// Reads a whole file of at most kIslMaxFileBytes into text.
bool read_text_file(const char* path, std::string& text)
{
    if (!path || !*path) return false;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    ++image_script_state().fileReads;
    text.clear();
    char chunk[4096];
    bool ok = true;
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        if (text.size() + n > kIslMaxFileBytes) {
            ok = false;
            break;
        }
        text.append(chunk, n);
    }
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    return ok;
}

bool load_script(const char* path, ImageScript& script) noexcept
{
    try {
        std::string text;
        return read_text_file(path, text) && parse_image_script(text.data(), text.size(), script);
    } catch (...) {
        return false;
    }
}

}  // namespace

bool render_image_script(const ImageScript& script, std::uint8_t* bgra) noexcept
{
    const IslHeader& h = script.header;
    if (!bgra || !valid_size(h.width, h.height)) return false;
    const std::uint8_t bg[4] = {h.background[2], h.background[1], h.background[0], h.background[3]};
    const std::size_t count = static_cast<std::size_t>(h.width) * h.height;
    for (std::size_t i = 0; i < count; ++i)
        for (int c = 0; c < 4; ++c) bgra[i * 4 + c] = bg[c];
    return run_steps(script.steps, Picture{bgra, h.width, h.height}, h.seed);
}

bool run_image_step(const IslStep& step, std::uint8_t* bgra, int width, int height, std::uint32_t rngSeed) noexcept
{
    if (!bgra || !valid_size(width, height)) return false;
    if (isl_detail::step_work(step, width, height) > kIslWorkBudget) return false;
    CrtRandom rng;
    rng.seed(rngSeed);
    return run_step(step, Picture{bgra, width, height}, rng);
}

int swap_red_blue(std::uint8_t* pixels, int width, int height, int rowBytes) noexcept
{
    if (!pixels || width < 0 || height < 0 || rowBytes < width * 4) return 0;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = pixels + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += 4) std::swap(p[0], p[2]);
    }
    return 1;
}

long isl_file_reads() noexcept
{
    return image_script_state().fileReads;
}

int isl_initialize() noexcept
{
    isl_finish();
    image_script_state().session.active = true;
    return 1;
}

void isl_finish() noexcept
{
    image_script_state().session.active = false;
    image_script_state().session.loaded = false;
    image_script_state().session.buffersReady = false;
    image_script_state().session.script = ImageScript{};
    image_script_state().session.effects.clear();
    image_script_state().session.tags.clear();
}

int isl_load_script_from_file(const char* path) noexcept
{
    if (!image_script_state().session.active) return 0;
    image_script_state().session.loaded = load_script(path, image_script_state().session.script);
    image_script_state().session.buffersReady = false;
    if (!image_script_state().session.loaded) image_script_state().session.script = ImageScript{};
    return image_script_state().session.loaded ? 1 : 0;
}

int isl_init_buffers() noexcept
{
    // A script beyond the work bound gets no buffers: the caller never
    // allocates a picture for a render that would be refused.
    const ImageScript& script = image_script_state().session.script;
    image_script_state().session.buffersReady =
        image_script_state().session.active && image_script_state().session.loaded &&
        within_work_budget(script.steps, script.header.width, script.header.height);
    return image_script_state().session.buffersReady ? 1 : 0;
}

int isl_read_script_header_from_file(const char* path, IslHeader* header) noexcept
{
    if (!header) return 0;
    ImageScript script;
    if (!load_script(path, script)) return 0;
    *header = script.header;
    return 1;
}

int isl_execute_script(std::uint8_t* bgra, int width, int height) noexcept
{
    if (!image_script_state().session.buffersReady) return 0;
    // The caller sized its picture from the header; a mismatch (the file
    // changed in between) must not let the script write past it.
    if (width != image_script_state().session.script.header.width ||
        height != image_script_state().session.script.header.height)
        return 0;
    return render_image_script(image_script_state().session.script, bgra) ? 1 : 0;
}

int isl_add_effect(int id, int tag) noexcept
{
    if (!image_script_state().session.active ||
        static_cast<int>(image_script_state().session.effects.size()) >= kIslMaxSteps)
        return 0;
    IslStep step;
    if (!default_step(id, step)) return 0;
    try {
        image_script_state().session.effects.push_back(step);
        image_script_state().session.tags.push_back(tag);
    } catch (...) {
        return 0;
    }
    return 1;
}

int isl_set_effect_value(int index, int slot, double value) noexcept
{
    if (!image_script_state().session.active || index < 0 ||
        index >= static_cast<int>(image_script_state().session.effects.size()))
        return 0;
    if (slot < 0 || slot >= kIslValueSlots) return 0;
    image_script_state().session.effects[static_cast<std::size_t>(index)].values[static_cast<std::size_t>(
        slot)] = value;
    return 1;
}

int isl_execute_script_on_image(std::uint8_t* bgra, int width, int height) noexcept
{
    if (!image_script_state().session.active || !bgra || !valid_size(width, height)) return 0;
    const Picture pic{bgra, width, height};
    // A loaded script's steps run first, then the effects added to the session.
    if (image_script_state().session.loaded && !run_steps(image_script_state().session.script.steps, pic,
                                                          image_script_state().session.script.header.seed))
        return 0;
    return run_steps(image_script_state().session.effects, pic, 1) ? 1 : 0;
}

}  // namespace mve::il
