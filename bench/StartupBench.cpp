// Times how long a window program takes from its start until the X server shows its window, and
// how much memory it holds by then. Two programs take turns, so a change in the machine's load
// hits both alike, and the ratio of their medians is printed.
//
//   lanvex_bench_startup RUNS REFERENCE [ARGS...] -- SUBJECT [ARGS...]
//
// Run it on an X server of its own (scripts/bench-startup.sh uses Xvfb). For each start it
// watches the root window: "mapped" is the time the program's top-level window is mapped,
// "painted" the time the first drawing into it arrives (seen through the DAMAGE extension),
// "CPU" the processor time the program's main thread had used by then (steadier than the clock
// on a busy machine), "RSS" the resident memory half a second after that painting.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double mappedMs = 0;
    double paintedMs = 0;
    double cpuMs = 0;
    double rssMiB = 0;
};

struct Program
{
    std::string label;
    std::vector<std::string> argv;
    std::vector<Sample> samples;
};

constexpr auto kStartTimeout = std::chrono::seconds(20);
constexpr auto kSettleTime = std::chrono::milliseconds(500);
constexpr auto kQuietTime = std::chrono::milliseconds(200);

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "lanvex_bench_startup: %s\n", message.c_str());
    std::exit(1);
}

class Display
{
public:
    Display()
    {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_))
            fail("cannot open the X display (is DISPLAY set?)");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || !damage->present)
            fail("the X server has no DAMAGE extension");
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Waits for the first top-level window to be mapped and drawn into; false on timeout.
    bool waitForPaint(Clock::time_point start, pid_t child, Sample& sample, const std::function<void()>& onPaint)
    {
        std::vector<xcb_damage_damage_t> damages;
        xcb_window_t mapped = XCB_NONE;
        bool painted = false;
        while (!painted && Clock::now() - start < kStartTimeout) {
            std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(nextEvent(child), &free);
            if (!event)
                continue;
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                // Watch every new top-level window from its creation, so no drawing is missed.
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event.get());
                const xcb_damage_damage_t damage = xcb_generate_id(connection_);
                xcb_damage_create(connection_, damage, created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection_);
                damages.push_back(damage);
            } else if (type == XCB_MAP_NOTIFY && mapped == XCB_NONE) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
                mapped = map->window;
                sample.mappedMs = msSince(start);
            } else if (type == damageEvent_ && mapped != XCB_NONE) {
                const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
                if (damage->drawable == mapped) {
                    sample.paintedMs = msSince(start);
                    onPaint();
                    painted = true;
                }
            }
        }
        for (const xcb_damage_damage_t damage : damages)
            xcb_damage_destroy(connection_, damage);
        xcb_flush(connection_);
        return painted;
    }

private:
    // The next event, or nullptr after a short wait so the caller can check its time limit.
    xcb_generic_event_t* nextEvent(pid_t child)
    {
        if (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            return event;
        pollfd fd { xcb_get_file_descriptor(connection_), POLLIN, 0 };
        ::poll(&fd, 1, 50);
        if (xcb_connection_has_error(connection_))
            fail("lost the X display");
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            fail("the program ended before its window was painted");
        return xcb_poll_for_event(connection_);
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    uint8_t damageEvent_ = 0;
};

// The main thread's time on the processor so far, from the scheduler's own account in nanoseconds.
double mainThreadCpuMs(pid_t pid)
{
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    schedstat >> ns;
    return ns / 1e6;
}

double residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0;
}

pid_t spawn(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        fail("cannot start " + argv[0] + ": " + std::strerror(error));
    return pid;
}

void stop(pid_t pid)
{
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

Sample timeOneStart(Display& display, const Program& program)
{
    // Let the X server finish with the program that ended before.
    ::usleep(static_cast<useconds_t>(std::chrono::microseconds(kQuietTime).count()));
    Sample sample;
    const Clock::time_point start = Clock::now();
    const pid_t pid = spawn(program.argv);
    const bool painted = display.waitForPaint(start, pid, sample, [&] { sample.cpuMs = mainThreadCpuMs(pid); });
    if (!painted) {
        stop(pid);
        fail(program.label + ": no window was painted within 20 s");
    }
    ::usleep(static_cast<useconds_t>(std::chrono::microseconds(kSettleTime).count()));
    sample.rssMiB = residentMiB(pid);
    stop(pid);
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Field> double medianOf(const Program& program, Field field)
{
    std::vector<double> values;
    for (const Sample& sample : program.samples)
        values.push_back(sample.*field);
    return median(values);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const auto separator = std::find(args.begin(), args.end(), "--");
    if (args.size() < 4 || separator == args.end() || separator == args.begin() + 1 || separator + 1 == args.end()) {
        std::fprintf(stderr, "usage: lanvex_bench_startup RUNS REFERENCE [ARGS...] -- SUBJECT [ARGS...]\n");
        return 2;
    }
    const int runs = std::atoi(args[0].c_str());
    if (runs < 1) {
        std::fprintf(stderr, "lanvex_bench_startup: RUNS must be a positive number\n");
        return 2;
    }
    Program reference { "reference", { args.begin() + 1, separator }, {} };
    Program subject { "subject", { separator + 1, args.end() }, {} };

    Display display;
    // One warm-up start each fills the file cache; it is not counted.
    timeOneStart(display, reference);
    timeOneStart(display, subject);
    // The two take turns going first, so neither always starts right after the other has ended.
    for (int run = 0; run < runs; ++run) {
        Program* first = run % 2 == 0 ? &reference : &subject;
        Program* second = first == &reference ? &subject : &reference;
        for (Program* program : { first, second })
            program->samples.push_back(timeOneStart(display, *program));
    }

    std::printf("%-10s %10s %11s %8s %8s   %s\n", "", "mapped ms", "painted ms", "CPU ms", "RSS MiB", "program");
    for (const Program* program : { &reference, &subject }) {
        std::printf("%-10s %10.1f %11.1f %8.1f %8.1f   %s\n", program->label.c_str(),
                    medianOf(*program, &Sample::mappedMs), medianOf(*program, &Sample::paintedMs),
                    medianOf(*program, &Sample::cpuMs), medianOf(*program, &Sample::rssMiB), program->argv[0].c_str());
    }
    std::printf("ratio      %10.2f %11.2f %8.2f %8.2f   (medians of %d starts each, subject / reference)\n",
                medianOf(subject, &Sample::mappedMs) / medianOf(reference, &Sample::mappedMs),
                medianOf(subject, &Sample::paintedMs) / medianOf(reference, &Sample::paintedMs),
                medianOf(subject, &Sample::cpuMs) / medianOf(reference, &Sample::cpuMs),
                medianOf(subject, &Sample::rssMiB) / medianOf(reference, &Sample::rssMiB), runs);
    // The two starts of one run met the same load; the median of their ratios shows how steady that is.
    std::vector<double> paired;
    for (int run = 0; run < runs; ++run) {
        const std::size_t i = static_cast<std::size_t>(run);
        paired.push_back(subject.samples[i].paintedMs / reference.samples[i].paintedMs);
    }
    std::printf("painted ratio, median of the %d runs' own ratios: %.2f\n", runs, median(paired));
    return 0;
}
