// The engine's parallel paths on an idle and on a busy machine: the plain
// soft dab (d = 16, 64, 256), the 1000-dab stroke with merge and undo, the
// 1920 x 1080 render and "Box Blur" of radius 50 and 5 on a 4K picture, each
// on one thread and on all cores, wall-clock time. For the busy rows the
// program itself starts one busy-loop process per core but one while the
// benchmark runs, as a desktop's other programs would keep the cores, and
// stops them afterwards. At the end it prints, for every row, all cores
// against one thread.
//
//   build/<dir>/bench/busy_bench --benchmark_repetitions=5
//
// Arguments: threads (1, or 0 = all cores) and busy (0 idle, 1 loaded).
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "dab_scene.h"
#include "effect_scene.h"
#include "render_scene.h"

namespace {

// A busy-loop process never outlives this, whatever happens to the benchmark.
constexpr unsigned kBusySeconds = 60;

// One busy-loop process per core but one, for the lifetime of the object.
class BusyLoad {
public:
    explicit BusyLoad(bool on)
    {
        if (!on) return;
        const int processes = static_cast<int>(std::thread::hardware_concurrency()) - 1;
        for (int i = 0; i < processes; ++i) {
            const pid_t pid = fork();
            if (pid == 0) spin();
            if (pid > 0) children_.push_back(pid);
        }
        // Let the loops reach the cores before the timing starts.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    ~BusyLoad()
    {
        for (pid_t pid : children_) kill(pid, SIGKILL);
        for (pid_t pid : children_) waitpid(pid, nullptr, 0);
    }
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;

private:
    // The child: dies with the benchmark and after kBusySeconds at the latest.
    [[noreturn]] static void spin()
    {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        alarm(kBusySeconds);
        for (volatile unsigned long n = 0;; n = n + 1) {
        }
    }
    std::vector<pid_t> children_;
};

// Sets the threads and the load of one benchmark run from its arguments,
// the last two: threads, busy.
struct Conditions {
    ThreadScope threads;
    BusyLoad load;
    explicit Conditions(const benchmark::State& state, int first)
        : threads(static_cast<int>(state.range(first))), load(state.range(first + 1) != 0)
    {
    }
};

void BM_Dab(benchmark::State& state)
{
    dab_scene::ensure_canvas();  // before the load: building the canvas is not timed
    Conditions c(state, 1);
    dab_scene::run_dabs(state, static_cast<int>(state.range(0)), dab_scene::Kind::Plain);
}

void BM_Stroke(benchmark::State& state)
{
    dab_scene::ensure_canvas();
    Conditions c(state, 0);
    dab_scene::run_stroke(state);
}

void BM_Render1080p(benchmark::State& state)
{
    render_scene::build_scene();
    Conditions c(state, 0);
    using render_scene::kH, render_scene::kW;
    render_scene::run_render(state, 1, 1.0f, 0, 0, kW, kH, double(kW) * kH);
}

void BM_BoxBlur4K(benchmark::State& state)
{
    // P1 = 490 gives radius 50, 40 radius 5.
    const int radius = static_cast<int>(state.range(0));
    Conditions c(state, 1);
    effect_scene::run_effect(state, "Box Blur", effect_scene::k4KW, effect_scene::k4KH,
                             effect_scene::p_args(radius == 50 ? 490 : 40));
}

// Every combination of one thread / all cores and idle / busy after the
// leading arguments.
void conditions(benchmark::internal::Benchmark* b, const std::vector<std::string>& names,
                const std::vector<std::vector<std::int64_t>>& leading)
{
    std::vector<std::string> all = names;
    all.insert(all.end(), {"threads", "busy"});
    b->ArgNames(all);
    for (const auto& lead : leading)
        for (std::int64_t busy : {0, 1})
            for (std::int64_t threads : {1, 0}) {
                std::vector<std::int64_t> args = lead;
                args.insert(args.end(), {threads, busy});
                b->Args(args);
            }
    b->UseRealTime();
}

BENCHMARK(BM_Dab)->Apply([](auto* b) { conditions(b, {"d"}, {{16}, {64}, {256}}); })->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Stroke)->Apply([](auto* b) { conditions(b, {}, {{}}); })->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render1080p)->Apply([](auto* b) { conditions(b, {}, {{}}); })->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoxBlur4K)->Apply([](auto* b) { conditions(b, {"r"}, {{50}, {5}}); })->Unit(benchmark::kMillisecond);

// The console report, then all cores against one thread for every row: the
// median of the repetitions when there are several, else the one figure.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && run.repetitions <= 1))
                times_[run.run_name.str()] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nall cores / one thread (wall time, medians)\n");
        const std::regex one("threads:1");
        for (const auto& [name, oneThread] : times_) {
            if (name.find("threads:1") == std::string::npos) continue;
            const auto all = times_.find(std::regex_replace(name, one, "threads:0"));
            if (all == times_.end() || oneThread <= 0) continue;
            std::printf("%-44s %6.2f\n", std::regex_replace(name, std::regex("/threads:1|/real_time"), "").c_str(),
                        all->second / oneThread);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
