// The engine is one process-wide record, and much of it (layer flags and
// modes, brush settings, mask options) rightly outlives a canvas. Unit tests
// run many in one process, so each starts from the engine a new process has.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "morvane/morvane.h"

namespace {

class FreshEngine : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        MVE_DeleteImage();
        mve::reset_engine();
    }
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshEngine);
    return true;
}();

}  // namespace
