#include "engine/engine.h"

#include "core/runtime.h"
#include "platform/clipboard.h"
#include "platform/hidden_window.h"
#include "tablet/tablet.h"
#include "undo/undo_store.h"

namespace mve {

namespace {

// What a new process finds: the hidden window exists and a failed
// allocation may give back undo steps.
void start_up() noexcept
{
    runtime().reclaimMemory = undo_give_back;
    platform::create_hidden_window();
}

// Library load runs the start-up once.
__attribute__((constructor)) void on_library_load()
{
    start_up();
}

}  // namespace

Engine& engine() noexcept
{
    static Engine instance;
    return instance;
}

CoreState& core_state() noexcept
{
    return engine();
}

il::ImageScriptState& il::image_script_state() noexcept { return engine().imageScripts; }
il::TransformQueue& il::transform_queue() noexcept { return engine().transforms; }

void reset_engine() noexcept
{
    // A tablet context and its driver library are outside resources: give
    // them back before their handles are forgotten.
    tablet::unload_driver(engine().tablet);
    platform::stop_clipboard_service(engine().platform);
    engine() = Engine{};
    reset_runtime();
    start_up();
}

}  // namespace mve
