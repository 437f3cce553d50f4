#include "Parallel_Work.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// One helper thread that waits for a half range to work on.
class Helper {
public:
    Helper() : thread_([this] { loop(); }) {}
    ~Helper() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void run(const std::function<void(int, int)>* body, int lo, int hi) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            body_ = body;
            lo_ = lo;
            hi_ = hi;
            busy_ = true;
        }
        wake_.notify_all();
    }

    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return !busy_; });
    }

private:
    void loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || busy_; });
            if (quit_) return;
            const std::function<void(int, int)>* body = body_;
            int lo = lo_, hi = hi_;
            lock.unlock();
            (*body)(lo, hi);
            lock.lock();
            busy_ = false;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int, int)>* body_ = nullptr;
    int lo_ = 0, hi_ = -1;
    bool busy_ = false, quit_ = false;
    std::thread thread_;
};

Helper* helper() {
    static bool many_cores = std::thread::hardware_concurrency() >= 2;
    if (!many_cores) return nullptr;
    static Helper h;
    return &h;
}

}  // namespace

int KALTAP_Parallel_Threads() { return helper() ? 2 : 1; }

void KALTAP_Parallel_For(int first, int last, int grain, const std::function<void(int, int)>& body) {
    if (last < first) return;
    Helper* h = helper();
    if (!h || last - first + 1 < grain) {
        body(first, last);
        return;
    }
    int mid = first + (last - first + 1) / 2;
    h->run(&body, mid, last);
    body(first, mid - 1);
    h->wait();
}
