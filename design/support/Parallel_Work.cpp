// SPDX-License-Identifier: GPL-3.0-or-later
#include "Parallel_Work.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <time.h>

namespace {

inline void cpu_relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Longest a waiting thread polls before it gives up its core: long enough to
// catch the next short piece of a busy stretch or a piece about to finish,
// short enough that a thread waiting on one that is off its core (on a
// loaded machine) soon sleeps instead of taking time from it and from the
// machine's other work.
constexpr auto Poll_Time = std::chrono::microseconds(20);
// Polling rounds between looks at the clock.
constexpr int Rounds_Per_Look = 64;

// Polls until done() holds, for at most Poll_Time; false when it timed out.
template <class Done>
bool poll_until(Done done) {
    const auto limit = std::chrono::steady_clock::now() + Poll_Time;
    for (int round = 1;; ++round) {
        if (done()) return true;
        cpu_relax();
        if (round % Rounds_Per_Look == 0 && std::chrono::steady_clock::now() >= limit) return done();
    }
}

using Task = void (*)(void* context, int lo, int hi);
using Clock = std::chrono::steady_clock;

// Processor time the calling thread has had, in nanoseconds (0 where the
// system does not keep it).
long long thread_time_ns() {
    timespec t{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) != 0) return 0;
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Whether splitting work pays just now. A split pays when the helper has its
// half done about as soon as the caller has its own: the whole split then
// takes well under twice the processor time of the caller's half. On a
// loaded machine the helper is often off its core, or shares the caller's:
// the caller then runs the other half itself or waits for it, and the
// hand-over costs more than it gains. After such a split, work stays on the
// calling thread for a while, twice as long after each further split that
// did not pay (from Shortest_Pause up to Longest_Pause); a split that pays
// ends the pauses.
class Split_Judge {
public:
    bool split_now() const { return forced_.load() || Clock::now().time_since_epoch().count() >= resume_.load(); }

    // A split that took `whole` in all, in which the caller had `own_ns` of
    // processor time for its own part; `taken` when the caller ran the
    // helper's part as well.
    void record(long long own_ns, Clock::duration whole, bool taken) {
        // Paid: at least an eighth faster than the two parts in turn.
        const long long whole_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(whole).count();
        if (!taken && whole_ns * Paid_Eighths < own_ns * 2 * 8) {
            pause_.store(Shortest_Pause.count());
            return;
        }
        const Clock::rep pause = pause_.load();
        resume_.store((Clock::now() + Clock::duration(pause)).time_since_epoch().count());
        pause_.store(std::min<Clock::rep>(2 * pause, Longest_Pause.count()));
    }

    void force(bool always) { forced_.store(always); }

private:
    static constexpr int Paid_Eighths = 8 + 1;
    static constexpr Clock::duration Shortest_Pause = std::chrono::milliseconds(1);
    static constexpr Clock::duration Longest_Pause = std::chrono::seconds(1);
    std::atomic<Clock::rep> resume_{0}, pause_{Shortest_Pause.count()};
    std::atomic<bool> forced_{false};
};

// One helper thread that takes the upper half of a range. Between pieces it
// sleeps, except inside a busy stretch (KALTAP_Busy_Stretch), where it polls
// for a while first, because waking a sleeping thread costs far more than the
// short pieces handed out there. The hand-over uses sequentially consistent
// atomics: whoever goes to sleep announces it before checking for work, and
// whoever posts work checks for a sleeper after posting, so no wake-up is lost.
//
// A piece posted for the helper is claimed before it is run, by the helper or
// by the caller (finish): the caller that is done with its own half and finds
// the other not yet started runs it itself instead of waiting. On a busy
// machine the helper may be off its core for milliseconds at a time; the
// caller then never waits for work that has not begun, only for work under
// way. Each piece runs exactly once, whoever claims it.
class Helper {
public:
    Helper() : thread_([this] { loop(); }) {}
    ~Helper() {
        quit_.store(true);
        { std::lock_guard<std::mutex> lock(mutex_); }
        wake_.notify_all();
        thread_.join();
    }

    // Busy stretches nest: the helper polls while at least one is open.
    void set_busy(bool busy) {
        if (busy)
            busy_.fetch_add(1);
        else
            busy_.fetch_sub(1);
    }

    void run(Task task, void* context, int lo, int hi) {
        task_ = task;
        context_ = context;
        lo_ = lo;
        hi_ = hi;
        posted_.fetch_add(1);
        if (helper_sleeping_.load()) {
            std::lock_guard<std::mutex> lock(mutex_);
            wake_.notify_one();
        }
    }

    // Runs the piece posted last on the calling thread if the helper has not
    // claimed it yet (true); otherwise waits until the helper has run it.
    bool finish() {
        unsigned piece = posted_.load();
        if (claim(piece)) {
            task_(context_, lo_, hi_);
            return true;
        }
        wait();
        return false;
    }

    // Drops the piece posted last if the helper has not claimed it yet;
    // otherwise waits until the helper has run it.
    void drop_or_wait() {
        if (!claim(posted_.load())) wait();
    }

    void wait() {
        const unsigned target = posted_.load();
        if (poll_until([&] { return finished_.load() == target; })) return;
        std::unique_lock<std::mutex> lock(mutex_);
        caller_sleeping_.store(true);
        done_.wait(lock, [&] { return finished_.load() == target; });
        caller_sleeping_.store(false);
    }

private:
    void loop() {
        unsigned seen = 0;
        for (;;) {
            if (posted_.load() == seen && busy_.load() > 0)
                poll_until([&] { return posted_.load() != seen || quit_.load(); });
            while (posted_.load() == seen) {
                if (quit_.load()) return;
                std::unique_lock<std::mutex> lock(mutex_);
                helper_sleeping_.store(true);
                wake_.wait(lock, [&] { return quit_.load() || posted_.load() != seen; });
                helper_sleeping_.store(false);
            }
            seen = posted_.load();
            // A piece the caller has claimed is done by the caller; the
            // helper only marks it as seen.
            if (claim(seen)) task_(context_, lo_, hi_);
            finished_.store(seen);
            if (caller_sleeping_.load()) {
                std::lock_guard<std::mutex> lock(mutex_);
                done_.notify_all();
            }
        }
    }

    // Piece `piece` goes to whoever first moves `claimed_` from the piece
    // before it; a stale claim (the helper late for a piece the caller has
    // run, and posted past) fails.
    bool claim(unsigned piece) {
        unsigned previous = piece - 1;
        return claimed_.compare_exchange_strong(previous, piece);
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::atomic<unsigned> posted_{0}, finished_{0}, claimed_{0};
    std::atomic<bool> quit_{false}, helper_sleeping_{false}, caller_sleeping_{false};
    std::atomic<int> busy_{0};
    Task task_ = nullptr;
    void* context_ = nullptr;
    int lo_ = 0, hi_ = -1;
    std::thread thread_;
};

std::atomic<bool> single_thread{false};
Split_Judge judge;

Helper* helper() {
    static bool many_cores = std::thread::hardware_concurrency() >= 2;
    if (!many_cores || single_thread.load()) return nullptr;
    static Helper h;
    return &h;
}

void run_function(void* context, int lo, int hi) {
    (*static_cast<const std::function<void(int, int)>*>(context))(lo, hi);
}

}  // namespace

int KALTAP_Parallel_Threads() { return helper() ? 2 : 1; }

void KALTAP_Parallel_Use_One_Thread(bool one) { single_thread.store(one); }

KALTAP_Busy_Stretch::KALTAP_Busy_Stretch() {
    if (Helper* h = helper()) h->set_busy(true);
}

KALTAP_Busy_Stretch::~KALTAP_Busy_Stretch() {
    if (Helper* h = helper()) h->set_busy(false);
}

bool KALTAP_Background_Start(void (*task)(void* context), void* context) {
    Helper* h = helper();
    if (!h) return false;
    struct Job {
        void (*task)(void*);
        void* context;
    };
    static thread_local Job job;
    job = Job{task, context};
    h->run(
        [](void* p, int, int) {
            auto* j = static_cast<Job*>(p);
            j->task(j->context);
        },
        &job, 0, 0);
    return true;
}

void KALTAP_Background_Join() {
    if (Helper* h = helper()) h->drop_or_wait();
}

void KALTAP_Parallel_Always_Split(bool always) { judge.force(always); }

void KALTAP_Parallel_Pair(void (*task)(void* context, int part), void* context) {
    Helper* h = helper();
    if (!h || !judge.split_now()) {
        task(context, 0);
        task(context, 1);
        return;
    }
    struct Pair {
        void (*task)(void*, int);
        void* context;
    } pair{task, context};
    const Clock::time_point start = Clock::now();
    const long long own_start = thread_time_ns();
    h->run(
        [](void* p, int, int) {
            auto* q = static_cast<Pair*>(p);
            q->task(q->context, 1);
        },
        &pair, 1, 1);
    task(context, 0);
    const long long own = thread_time_ns() - own_start;
    const bool taken = h->finish();
    judge.record(own, Clock::now() - start, taken);
}

void KALTAP_Parallel_For(int first, int last, int grain, const std::function<void(int, int)>& body) {
    if (last < first) return;
    Helper* h = helper();
    if (!h || last - first + 1 < grain || !judge.split_now()) {
        body(first, last);
        return;
    }
    int mid = first + (last - first + 1) / 2;
    const Clock::time_point start = Clock::now();
    const long long own_start = thread_time_ns();
    h->run(run_function, const_cast<std::function<void(int, int)>*>(&body), mid, last);
    body(first, mid - 1);
    const long long own = thread_time_ns() - own_start;
    const bool taken = h->finish();
    judge.record(own, Clock::now() - start, taken);
}
