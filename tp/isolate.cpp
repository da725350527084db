// tp/isolate.cpp: --vex-isolate and --vex-timeout. Under isolation the original process
// is a supervisor (a subreaper, so every runner stays its child) that only waits and
// passes on the final runner's status. At each TEST CASE start the runner forks: the child
// runs the case and goes on with the run; the parent waits until the child says the case
// is done, then ends. When the child dies by a signal or runs out of time, the parent
// takes over from the case start: the crashed case's side effects are lost with it.
// Without isolation the time-out is a timer whose expiry ends the run.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "rt.h"

namespace vexrt {

bool in_case_child = false;

namespace {

int handed_over_pipe[2] = {-1, -1};  // runners that ended after handing over, to the supervisor
int case_done_fd = -1;               // in a case child: the waiting parent's pipe
// Only the supervisor holds its writing end: it reads as ended once the supervisor died, and
// the runner waiting at a case start then ends with its case: nothing runs on unsupervised.
int supervisor_alive = -1;

constexpr char DONE = 'D', TIMED_OUT = 'T';

void send_byte(int fd, char byte) {
    while (fd >= 0 && write(fd, &byte, 1) < 0 && errno == EINTR) {
    }
}

// The status of the process that ended the run: the last one that did not hand over. A
// runner says it handed over before it ends, so its word is in the pipe when it is reaped.
[[noreturn]] void supervise() {
    close(handed_over_pipe[1]);
    fcntl(handed_over_pipe[0], F_SETFL, O_NONBLOCK);
    std::vector<pid_t> handed;
    int final_status = 0;
    for (;;) {
        int status = 0;
        const pid_t pid = wait(&status);
        if (pid < 0 && errno == EINTR)
            continue;
        if (pid < 0)
            break;
        for (pid_t h;;) {
            const ssize_t got = read(handed_over_pipe[0], &h, sizeof h);
            if (got == sizeof h)
                handed.push_back(h);
            else if (got >= 0 || errno != EINTR)
                break;
        }
        bool was_handed = false;
        for (std::size_t i = 0; i < handed.size() && !was_handed; ++i)
            if (handed[i] == pid) {
                was_handed = true;
                handed.erase(handed.begin() + static_cast<long>(i));
            }
        if (!was_handed)
            final_status = status;
    }
    if (WIFSIGNALED(final_status)) {
        std::signal(WTERMSIG(final_status), SIG_DFL);
        std::raise(WTERMSIG(final_status));
    }
    std::_Exit(WIFEXITED(final_status) ? WEXITSTATUS(final_status) : 1);
}

[[noreturn]] void hand_over() {
    const pid_t self = getpid();
    while (write(handed_over_pipe[1], &self, sizeof self) < 0 && errno == EINTR) {
    }
    std::_Exit(0);
}

extern "C" void on_timer(int) {
    if (in_case_child) {  // the waiting parent writes the records
        drain_buffer();
        send_byte(case_done_fd, TIMED_OUT);
        std::_Exit(0);
    }
    write_timeout_records();
    drain_buffer();
    std::_Exit(1);
}

// Waits for the case child; the verdict of the wait.
CaseStart wait_for_case(pid_t child, int fd, const Options& o, int* signal) {
    pollfd p[2] = {{fd, POLLIN, 0}, {supervisor_alive, POLLIN, 0}};
    // The child's own timer stops it; this is the last resort when it cannot.
    const int limit = o.timeout > 0 ? static_cast<int>(o.timeout * 1000) + 2000 : -1;
    int ready;
    while ((ready = poll(p, 2, limit)) < 0 && errno == EINTR) {
    }
    if (ready > 0 && p[1].revents && !p[0].revents) {  // the supervisor was killed
        kill(child, SIGKILL);
        std::_Exit(1);
    }
    char byte = 0;
    ssize_t got = 0;
    if (ready > 0)
        while ((got = read(fd, &byte, 1)) < 0 && errno == EINTR) {
        }
    close(fd);
    if (got == 1 && byte == DONE)
        hand_over();
    if (ready == 0)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (ready == 0 || (got == 1 && byte == TIMED_OUT))
        return CASE_TIMED_OUT;
    if (WIFSIGNALED(status)) {
        *signal = WTERMSIG(status);
        return CASE_CRASHED;
    }
    std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);  // the case ended the run
}

}  // namespace

void start_supervisor() {
    int alive[2];
    if (pipe(handed_over_pipe) != 0 || pipe(alive) != 0 || prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        std::fprintf(stderr, "vextp: --vex-isolate is not available here\n");
        std::_Exit(2);
    }
    std::fflush(nullptr);
    const pid_t runner = fork();
    if (runner < 0) {
        std::fprintf(stderr, "vextp: --vex-isolate cannot start the run (fork)\n");
        std::_Exit(2);
    }
    if (runner > 0) {
        close(alive[0]);
        supervise();
    }
    close(handed_over_pipe[0]);
    close(alive[1]);
    supervisor_alive = alive[0];
}

CaseStart isolate_case(const Options& o, int* signal) {
    int fds[2];
    if (pipe(fds) != 0)
        return CASE_RUNS;  // out of descriptors: the case runs without isolation
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        case_done_fd = fds[1];
        in_case_child = true;
        return CASE_RUNS;
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return CASE_RUNS;
    }
    return wait_for_case(child, fds[0], o, signal);
}

void case_done() {
    if (!in_case_child)
        return;
    send_byte(case_done_fd, DONE);
    close(case_done_fd);
    case_done_fd = -1;
    in_case_child = false;  // from here on this process is the runner
}

void arm_timer(const Options& o) {
    if (o.timeout <= 0)
        return;
    std::signal(SIGALRM, on_timer);
    itimerval t{};
    t.it_value.tv_sec = static_cast<time_t>(o.timeout);
    const double fraction = o.timeout - static_cast<double>(t.it_value.tv_sec);
    t.it_value.tv_usec = static_cast<suseconds_t>(fraction * 1e6);
    if (t.it_value.tv_sec == 0 && t.it_value.tv_usec == 0)
        t.it_value.tv_usec = 1;
    setitimer(ITIMER_REAL, &t, nullptr);
}

void disarm_timer() {
    itimerval t{};
    setitimer(ITIMER_REAL, &t, nullptr);
}

}  // namespace vexrt
